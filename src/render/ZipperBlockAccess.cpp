#include "render/ZipperBlockAccess.h"

#include <cstddef>

#include "model/Level.h"

namespace agim {

bool has_pyramid(const AGIM_Zipper_Block& block) {
  const int d = block.level_diff;
  if (d < 1 || d > kMaxZipperLevelDiff) return false;
  const int m = grid_size_for_level(d + 1);  // 2^d + 1
  return block.sample_count == m && block.samples.size() == m;
}

bool has_chains(const AGIM_Zipper_Block& block) {
  if (!has_pyramid(block)) return false;
  const std::size_t need = static_cast<std::size_t>(block.level_diff) + 1;
  return block.head.size() >= need && block.tail.size() >= need;
}

const std::vector<AGIM_Zipper_Block>* zipper_side(const AGIM& model, int element, int side) {
  if (element < 0 || element >= model.element_count ||
      static_cast<std::size_t>(element) >= model.elements.size() || side < 0 || side > 3)
    return nullptr;
  const AGIM_element& e = model.elements[static_cast<std::size_t>(element)];
  if (!e.side_zipper[side] || !e.zipper_blocks) return nullptr;
  if (e.level < 1 || e.level > kMaxStorageLevel) return nullptr;
  const std::vector<AGIM_Zipper_Block>& blocks = (*e.zipper_blocks)[side];
  const int nb = blocks_per_side(e.level);
  if (nb < 1 || blocks.size() != static_cast<std::size_t>(nb)) return nullptr;
  return &blocks;
}

bool find_corner(const AGIM& model, int element, int side, int block, ZipperCorner& out) {
  const std::vector<AGIM_Zipper_Block>* blocks = zipper_side(model, element, side);
  if (blocks == nullptr || block < 0 || static_cast<std::size_t>(block) >= blocks->size())
    return false;
  const int nb = static_cast<int>(blocks->size());
  out.first = block == 0;
  out.partner_side = out.first ? (side + 3) % 4 : (side + 1) % 4;
  const std::vector<AGIM_Zipper_Block>* partners = zipper_side(model, element, out.partner_side);
  if (partners == nullptr) return false;
  out.partner_block = out.first ? nb - 1 : 0;
  out.block = &(*blocks)[static_cast<std::size_t>(block)];
  out.partner = &(*partners)[static_cast<std::size_t>(out.partner_block)];
  return has_pyramid(*out.block) && has_pyramid(*out.partner);
}

}  // namespace agim
