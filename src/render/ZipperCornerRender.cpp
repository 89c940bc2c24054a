// The corner block pass: each corner block draws its own pyramid, kept to its half of the
// corner cell, in the special form (both blocks one level apart from their neighbours) or the
// general one.
#include <cstddef>
#include <vector>

#include "model/AGIM.h"
#include "render/ZipperBlockAccess.h"
#include "render/ZipperEmit.h"

namespace {

// Block `block` of side `side` of patch `element` when that side is drawable, else null.
const AGIM_Zipper_Block* side_block(const AGIM& model, int element, int side, int block) {
  const std::vector<AGIM_Zipper_Block>* blocks = agim::zipper_side(model, element, side);
  if (blocks == nullptr || block < 0 || static_cast<std::size_t>(block) >= blocks->size())
    return nullptr;
  return &(*blocks)[static_cast<std::size_t>(block)];
}

}  // namespace

int AGIM::Unique_CornerZB_Render(int element) const {
  int count = 0;
  for (int s = 0; s < 4; ++s) {
    const std::vector<AGIM_Zipper_Block>* blocks = agim::zipper_side(*this, element, s);
    if (blocks == nullptr) continue;
    const int nb = static_cast<int>(blocks->size());
    // The first end block, then the last; a side of one block visits it twice, as a first block.
    for (const int b : {0, nb - 1}) {
      if (!(*blocks)[static_cast<std::size_t>(b)].is_corner) continue;
      agim::ZipperCorner corner;
      if (!agim::find_corner(*this, element, s, b, corner)) continue;
      if (corner.block->level_diff == 1 && corner.partner->level_diff == 1)
        count += Special_CornerZB_Render(element, s, b);
      else
        count += General_CornerZB_Render(element, s, b);
    }
  }
  return count;
}

int AGIM::Special_CornerZB_Render(int element, int side, int block) const {
  const AGIM_Zipper_Block* zb = side_block(*this, element, side, block);
  if (zb == nullptr || !agim::has_pyramid(*zb) || zb->level_diff != 1) return 0;
  const PointGrid& S = zb->samples;
  // The three side samples fanned round the cell centre, which the partner shares.
  agim::emit_triangle(S[0][0], S[1][0], S[1][1], agim::VertexForm::Homogeneous);
  agim::emit_triangle(S[1][0], S[2][0], S[1][1], agim::VertexForm::Homogeneous);
  return 2;
}

int AGIM::General_CornerZB_Render(int element, int side, int block) const {
  const AGIM_Zipper_Block* zb = side_block(*this, element, side, block);
  if (zb == nullptr) return 0;
  const agim::PyramidRule rule =
      block == 0 ? agim::PyramidRule::CornerFirst : agim::PyramidRule::CornerLast;
  return agim::emit_block_pyramid(*zb, rule, false);
}
