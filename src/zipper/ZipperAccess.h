// Guarded access to a patch's zipper blocks for the crack-fixing code: every lookup checks ids,
// sides, levels and array sizes first, so no operation follows a bad id or reads past an array.
#pragma once

#include <vector>

#include "model/AGIM.h"
#include "model/Level.h"

namespace agim::zipper {

// True when `id` names a patch slot of `model`.
inline bool valid_element(const AGIM& model, int id) {
  return id >= 0 && id < model.element_count &&
         static_cast<std::size_t>(id) < model.elements.size();
}

// True when the patch's levels and grids agree: 1 <= level <= max_level <= the storage limit,
// and both grids hold N x N samples. Only such a patch gets zipper blocks.
inline bool element_sound(const AGIM_element& e) {
  if (e.max_level < 1 || e.max_level > kMaxStorageLevel) return false;
  if (e.level < 1 || e.level > e.max_level) return false;
  const int n = grid_size_for_level(e.max_level);
  return e.position_grid.size() == n && e.normal_grid.size() == n;
}

// The block array of `side`, or null when the patch has no blocks, the side is not 0..3, or
// the array was not made for the patch's current level (its blocks are stale).
inline std::vector<AGIM_Zipper_Block>* side_blocks(AGIM_element& e, int side) {
  if (!e.zipper_blocks || side < 0 || side > 3) return nullptr;
  std::vector<AGIM_Zipper_Block>& blocks = (*e.zipper_blocks)[side];
  if (e.level < 1 || e.level > kMaxStorageLevel) return nullptr;
  if (static_cast<int>(blocks.size()) != blocks_per_side(e.level)) return nullptr;
  return &blocks;
}

// True when the block holds a filled sample grid that matches its level_diff:
// sample_count = 2^level_diff + 1 samples a side.
inline bool block_filled(const AGIM_Zipper_Block& b) {
  if (b.level_diff < 0 || b.level_diff >= kMaxStorageLevel) return false;
  return b.sample_count == grid_size_for_level(b.level_diff + 1) &&
         b.samples.size() == b.sample_count;
}

}  // namespace agim::zipper
