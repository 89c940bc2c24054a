// Finding the zipper blocks a renderer may draw: a patch's zipper sides, a block's pyramid and
// chains checked against their sizes, and a corner block's partner across the patch corner.
#pragma once

#include <vector>

#include "model/AGIM.h"

namespace agim {

// Largest level difference a drawable block may carry.
inline constexpr int kMaxZipperLevelDiff = 16;

// True when the block's pyramid can be built: level difference 1 .. kMaxZipperLevelDiff,
// sample_count 2^level_diff + 1, and a samples grid of exactly that size.
bool has_pyramid(const AGIM_Zipper_Block& block);

// True when the block has a pyramid and head and tail hold at least level_diff + 1 entries.
bool has_chains(const AGIM_Zipper_Block& block);

// The blocks of side `side` of patch `element` when that side can be drawn: a valid patch and
// side, side_zipper set, and a block array of 2^(level-1) blocks. Null otherwise.
const std::vector<AGIM_Zipper_Block>* zipper_side(const AGIM& model, int element, int side);

// A corner block together with its partner on the adjacent side of the same patch.
struct ZipperCorner {
  const AGIM_Zipper_Block* block = nullptr;    // the corner block
  const AGIM_Zipper_Block* partner = nullptr;  // the block across the corner cell's diagonal
  int partner_side = 0;                        // side holding the partner
  int partner_block = 0;                       // partner's index on that side
  bool first = true;                           // the block is its side's first block (index 0)
};

// Locates end block `block` of side `side` and its partner: a first block (index 0) pairs with
// the last block of side (side+3) mod 4, any other index with block 0 of side (side+1) mod 4.
// Returns false, leaving `out` unspecified, when the corner cannot be drawn: the block is not
// on a drawable side, or the partner's side is not a zipper side, or either block has no
// pyramid (unfilled, level difference 0, or sizes that disagree).
bool find_corner(const AGIM& model, int element, int side, int block, ZipperCorner& out);

}  // namespace agim
