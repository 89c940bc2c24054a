// Zipper detection, block allocation and block flagging.
#include "model/AGIM.h"
#include "model/Level.h"
#include "zipper/ZipperAccess.h"
#include "zipper/ZipperColumns.h"

using agim::blocks_per_side;
using agim::zipper::block_filled;
using agim::zipper::element_sound;
using agim::zipper::side_blocks;
using agim::zipper::valid_element;

void AGIM::Detect_IFZipper() {
  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    // A patch whose levels or grids disagree cannot be given blocks; nor is a bad neighbour
    // id ever followed.
    bool finer[4] = {false, false, false, false};
    bool any = false;
    if (element_sound(el)) {
      for (int k = 0; k < 4; ++k) {
        const int n = el.neighbour[k];
        finer[k] = valid_element(*this, n) && el.level < elements[static_cast<std::size_t>(n)].level;
        any = any || finer[k];
      }
    }
    if (!any) {
      // The side flags keep their old values; nothing consults them while has_zipper is clear.
      el.has_zipper = false;
      continue;
    }
    el.has_zipper = true;
    for (int k = 0; k < 4; ++k) el.side_zipper[k] = finer[k];
  }
}

void AGIM::Fill_ZipperBlock() {
  // Blocks kept from an earlier run (patches without has_zipper) may link into blocks that are
  // about to be re-created; drop those links before the targets go away.
  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    if ((el.has_zipper && element_sound(el)) || !el.zipper_blocks) continue;
    for (int s = 0; s < 4; ++s) {
      for (AGIM_Zipper_Block& block : (*el.zipper_blocks)[s]) {
        if (!block.corner_neighbour) continue;
        const int target = block.corner_neighbour->owner_element;
        if (!valid_element(*this, target)) {
          block.corner_neighbour = nullptr;
          continue;
        }
        const AGIM_element& t = elements[static_cast<std::size_t>(target)];
        if (t.has_zipper && element_sound(t)) block.corner_neighbour = nullptr;
      }
    }
  }

  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    if (!el.has_zipper || !element_sound(el)) continue;
    const int nb = blocks_per_side(el.level);
    // Re-creating the four arrays destroys the old blocks with their samples, heads and tails.
    el.zipper_blocks = std::make_unique<ZipperBlockSides>();
    for (int s = 0; s < 4; ++s) (*el.zipper_blocks)[s].resize(static_cast<std::size_t>(nb));
    for (int s = 0; s < 4; ++s) {
      if (!el.side_zipper[s]) continue;
      // Filling at full resolution and thinning to the neighbour's spacing in one pass: the
      // same samples as Fill_OneColumn_ZB followed by Select_OneColumn_ZB, without the
      // full-resolution copy.
      agim::zipper::fill_side_blocks(*this, e, s, agim::zipper::selected_level_diff(*this, e, s));
    }
  }
  Detect_IFNZB_CZB();
}

void AGIM::Detect_IFNZB_CZB() {
  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    if (!el.has_zipper) continue;
    for (int s = 0; s < 4; ++s) {
      if (!el.side_zipper[s]) continue;
      std::vector<AGIM_Zipper_Block>* blocks = side_blocks(el, s);
      if (!blocks) continue;
      for (AGIM_Zipper_Block& block : *blocks) {
        if (!block_filled(block)) continue;
        block.is_normal = 1;
        block.is_corner = 0;
      }
    }
  }
}
