// AGIM_Zipper_Block: the crack-fixing record for one boundary cell of a patch side that borders
// a finer patch, and ZipperBlockSides, the four per-side block arrays a patch owns.
#pragma once

#include <vector>

#include "model/Point.h"
#include "model/PointGrid.h"

// One boundary cell resampled at the finer neighbour's spacing. samples[row][column]: the row
// runs along the side in walk order, the column runs into the patch (column 0 on the side).
// Every field is zeroed at construction (spare_index -1), so a block of a side that is not a
// zipper side reads as empty: level_diff 0, sample_count 0, no samples, no head or tail.
struct AGIM_Zipper_Block {
  PointGrid samples;                // sample_count x sample_count; empty until filled
  unsigned char is_normal = 0;      // 1: a normal zipper block
  unsigned char is_corner = 0;      // 1: a corner zipper block
  int spare_index = -1;             // unused
  int level_diff = 0;               // resolution exponent: sample_count = 2^level_diff + 1
  int sample_count = 0;             // rows of samples, and samples per row
  int block_index = 0;              // position along the side, in walk order
  int owner_element = 0;            // id of the owning patch
  int owner_side = 0;               // side 0..3 holding the block
  std::vector<Point> head;          // first sample of each pyramid row; level_diff+1 once built
  std::vector<Point> tail;          // last sample of each pyramid row; level_diff+1 once built
  AGIM_Zipper_Block* corner_neighbour = nullptr;  // end block of the patch across the side
  unsigned char spare_flag = 0;     // unused

  // True once filling has given the block its samples (only blocks of zipper sides are filled).
  bool is_filled() const { return !samples.empty(); }
};

// The block arrays of one patch, one per side 0..3, each of 2^(level-1) blocks.
struct ZipperBlockSides {
  std::vector<AGIM_Zipper_Block> side[4];

  std::vector<AGIM_Zipper_Block>& operator[](int s) { return side[s]; }
  const std::vector<AGIM_Zipper_Block>& operator[](int s) const { return side[s]; }
};
