// Corner zipper blocks: the head/tail lists of end blocks that share a patch corner with the
// end block of the adjacent side, and the crack-free mode that flags them.
#include <vector>

#include "model/AGIM.h"
#include "model/Level.h"
#include "zipper/PyramidRows.h"
#include "zipper/ZipperAccess.h"
#include "zipper/ZipperHeadTail.h"

using agim::blocks_per_side;
using agim::zipper::block_filled;
using agim::zipper::element_sound;
using agim::zipper::side_blocks;
using agim::zipper::valid_element;

namespace {

// Block `block` of `side`, or null when it does not exist for the patch's current level.
AGIM_Zipper_Block* block_at(AGIM_element& el, int side, int block) {
  std::vector<AGIM_Zipper_Block>* blocks = side_blocks(el, side);
  if (!blocks || block < 0 || block >= static_cast<int>(blocks->size())) return nullptr;
  return &(*blocks)[static_cast<std::size_t>(block)];
}

// A sample of the block tagged with its indices.
Point tagged(const AGIM_Zipper_Block& b, int i, int j) {
  Point p = b.samples[i][j];
  p.row = i;
  p.column = j;
  return p;
}

}  // namespace

void AGIM::Fill_headtail_CZB(int element) {
  if (!valid_element(*this, element)) return;
  AGIM_element& el = elements[static_cast<std::size_t>(element)];
  if (el.level < 1 || el.level > agim::kMaxStorageLevel) return;
  const int nb = blocks_per_side(el.level);
  for (int s = 0; s < 4; ++s) {
    if (!el.side_zipper[s]) continue;
    for (int b : {0, nb - 1}) {
      AGIM_Zipper_Block* block = block_at(el, s, b);
      if (!block || block->is_corner == 0) continue;
      // Block 0 pairs with the last block of the previous side; any other end block with
      // block 0 of the next side. A single block a side is always a first block.
      const int partner_side = b == 0 ? (s + 3) % 4 : (s + 1) % 4;
      const int partner_index = b == 0 ? nb - 1 : 0;
      const AGIM_Zipper_Block* partner = block_at(el, partner_side, partner_index);
      // A partner on a side that is not a zipper side was never filled: it counts as no match.
      const bool partner_filled =
          partner && el.side_zipper[partner_side] && block_filled(*partner);
      if (block->level_diff == 1 && partner_filled && partner->level_diff == 1)
        Fill_headtail_CSZB(element, s, b);
      else
        Fill_headtail_CNZB(element, s, b);
    }
  }
}

void AGIM::Fill_headtail_CSZB(int element, int side, int block) {
  if (!valid_element(*this, element)) return;
  AGIM_Zipper_Block* zb = block_at(elements[static_cast<std::size_t>(element)], side, block);
  if (!zb || !block_filled(*zb) || zb->level_diff != 1) return;
  zb->head.assign(2, Point{});
  zb->tail.assign(2, Point{});
  zb->head[0] = tagged(*zb, 0, 0);
  zb->tail[0] = tagged(*zb, 2, 0);
  zb->head[1] = zb->tail[1] = tagged(*zb, 1, 1);
}

void AGIM::Fill_headtail_CNZB(int element, int side, int block) {
  if (!valid_element(*this, element)) return;
  AGIM_Zipper_Block* zb = block_at(elements[static_cast<std::size_t>(element)], side, block);
  if (!zb || !block_filled(*zb)) return;
  std::vector<Point> row_a;
  std::vector<Point> row_b;
  agim::zipper::build_head_tail(
      *zb, block == 0 ? agim::PyramidRule::CornerFirst : agim::PyramidRule::CornerLast, row_a,
      row_b);
}

void AGIM::Flag_CornerZB() {
  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    if (!el.has_zipper || !element_sound(el)) continue;
    const int nb = blocks_per_side(el.level);
    if (nb < 2) continue;
    // The corner pairing assumes side 0 and side 3 walked from their far ends, sides 1 and 2
    // from index 0; then the last block of side s and block 0 of side s+1 share a corner cell.
    const int* code = el.side_orientation;
    if (code[0] != 1 || code[1] == 1 || code[2] == 1 || code[3] != 1) continue;
    bool flagged = false;
    for (int s = 0; s < 4; ++s) {
      const int next = (s + 1) % 4;
      if (!el.side_zipper[s] || !el.side_zipper[next]) continue;
      AGIM_Zipper_Block* last = block_at(el, s, nb - 1);
      AGIM_Zipper_Block* first = block_at(el, next, 0);
      if (!last || !first || !block_filled(*last) || !block_filled(*first)) continue;
      last->is_corner = first->is_corner = 1;
      last->is_normal = first->is_normal = 0;
      flagged = true;
    }
    if (flagged) Fill_headtail_CZB(e);
  }
}
