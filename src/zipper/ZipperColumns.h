// Filling the zipper blocks of one patch side from the patch's stored grids, at full stored
// resolution or straight at the finer neighbour's spacing.
#pragma once

#include "model/AGIM.h"

namespace agim::zipper {

// The level_diff the side's blocks are thinned to: the level gap to the neighbour across the
// side, within 0 .. max_level - level (the full stored gap when the neighbour id is invalid).
// Requires a valid element id and a side 0..3.
int selected_level_diff(const AGIM& model, int element, int side);

// Fills the side's blocks with 2^level_diff + 1 samples a side taken every
// 2^(max_level - level - level_diff) stored steps, level_diff clamped to 0 .. max_level - level.
// The same samples as filling at full resolution and thinning afterwards. Does nothing for a
// bad id or side, an unsound patch, or a side without blocks made for the current level.
void fill_side_blocks(AGIM& model, int element, int side, int level_diff);

}  // namespace agim::zipper
