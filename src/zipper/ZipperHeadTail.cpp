// Corner links between end blocks of neighbouring patches, and the head/tail lists of the
// layer pyramids of normal blocks.
#include <utility>

#include "model/AGIM.h"
#include "model/Level.h"
#include "zipper/PyramidRows.h"
#include "zipper/ZipperHeadTail.h"
#include "zipper/ZipperAccess.h"

using agim::zipper::block_filled;
using agim::zipper::side_blocks;
using agim::zipper::valid_element;

namespace {

// A normal end block: not a corner block, flagged normal.
inline bool normal_end(const AGIM_Zipper_Block& b) { return b.is_corner == 0 && b.is_normal != 0; }

}  // namespace

namespace agim::zipper {

void build_head_tail(AGIM_Zipper_Block& block, PyramidRule rule, std::vector<Point>& row_a,
                     std::vector<Point>& row_b) {
  const int levels = block.level_diff;
  block.head.assign(static_cast<std::size_t>(levels) + 1, Point{});
  block.tail.assign(static_cast<std::size_t>(levels) + 1, Point{});
  first_pyramid_row(block, row_a);
  block.head[0] = row_a.front();
  block.tail[0] = row_a.back();
  for (int r = 0; r < levels && row_a.size() > 1; ++r) {
    next_pyramid_row(block, row_a, r, rule, row_b);
    if (row_b.empty()) break;
    block.head[static_cast<std::size_t>(r) + 1] = row_b.front();
    block.tail[static_cast<std::size_t>(r) + 1] = row_b.back();
    std::swap(row_a, row_b);
  }
}

}  // namespace agim::zipper

void AGIM::Detect_Corner_NeiZB(int /*unused*/) {
  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    if (!el.has_zipper) continue;
    for (int s = 0; s < 4; ++s) {
      if (!el.side_zipper[s]) continue;
      const int n = el.neighbour[s];
      if (!valid_element(*this, n)) continue;
      AGIM_element& nel = elements[static_cast<std::size_t>(n)];
      if (!nel.has_zipper) continue;
      std::vector<AGIM_Zipper_Block>* mine = side_blocks(el, s);
      if (!mine) continue;
      AGIM_Zipper_Block& e0 = mine->front();
      AGIM_Zipper_Block& e1 = mine->back();
      for (int s2 = 0; s2 < 4; ++s2) {
        if (!nel.side_zipper[s2]) continue;
        std::vector<AGIM_Zipper_Block>* theirs = side_blocks(nel, s2);
        if (!theirs) continue;
        AGIM_Zipper_Block& n0 = theirs->front();
        AGIM_Zipper_Block& n1 = theirs->back();
        // Each later match overwrites an earlier one.
        if (normal_end(e0) && normal_end(n0)) e0.corner_neighbour = &n0;
        if (normal_end(e0) && normal_end(n1)) e0.corner_neighbour = &n1;
        if (normal_end(e1) && normal_end(n0)) e1.corner_neighbour = &n0;
        if (normal_end(e1) && normal_end(n1)) e1.corner_neighbour = &n1;
      }
    }
  }
}

void AGIM::Fill_headtail_ZB() {
  for (int e = 0; e < element_count && valid_element(*this, e); ++e)
    if (elements[static_cast<std::size_t>(e)].has_zipper) Fill_headtail_NZB(e);
}

void AGIM::Fill_headtail_NZB(int element) {
  if (!valid_element(*this, element)) return;
  AGIM_element& el = elements[static_cast<std::size_t>(element)];
  std::vector<Point> row_a;
  std::vector<Point> row_b;
  for (int s = 0; s < 4; ++s) {
    if (!el.side_zipper[s]) continue;
    std::vector<AGIM_Zipper_Block>* blocks = side_blocks(el, s);
    if (!blocks) continue;
    for (AGIM_Zipper_Block& block : *blocks) {
      if (!block_filled(block)) continue;
      agim::zipper::build_head_tail(block, agim::PyramidRule::Normal, row_a, row_b);
    }
  }
}
