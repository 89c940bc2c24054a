// The layer pyramid of a zipper block: row 0 is the block's side column, each next row is
// picked from the block's samples by a row rule. The head/tail lists and the zipper renderers
// walk the same rows through these two functions.
#pragma once

#include <vector>

#include "model/Point.h"
#include "zipper/AGIM_Zipper_Block.h"

namespace agim {

// Which samples a new pyramid row takes. Normal: the symmetric pyramid of a normal block.
// CornerFirst / CornerLast: the corner rule of block 0 / of the last block of a side, which
// leans the rows away from the patch corner.
enum class PyramidRule { Normal, CornerFirst, CornerLast };

// Row 0: samples[k][0] for k = 0 .. sample_count-1, tagged (row k, column 0).
void first_pyramid_row(const AGIM_Zipper_Block& block, std::vector<Point>& row0);

// Builds row t+1 from row t (`from`, at least two entries) into `to` by `rule`. Each new entry
// copies the chosen sample (position and normal) and records its indices in row and column.
void next_pyramid_row(const AGIM_Zipper_Block& block, const std::vector<Point>& from, int t,
                      PyramidRule rule, std::vector<Point>& to);

}  // namespace agim
