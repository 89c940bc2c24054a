// Head/tail lists of a zipper block: the first and last sample of each row of its layer
// pyramid, shared by the normal and the corner head/tail filling.
#pragma once

#include <vector>

#include "model/Point.h"
#include "zipper/AGIM_Zipper_Block.h"
#include "zipper/PyramidRows.h"

namespace agim::zipper {

// Gives a filled block new head and tail lists of level_diff+1 entries, walking its pyramid
// rows by `rule`; `row_a` and `row_b` are scratch rows the caller may reuse across blocks.
void build_head_tail(AGIM_Zipper_Block& block, PyramidRule rule, std::vector<Point>& row_a,
                     std::vector<Point>& row_b);

}  // namespace agim::zipper
