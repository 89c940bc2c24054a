// Level arithmetic: every size derived from a level (grid size, stored size, stride, blocks a
// side) is a power of two computed in double precision and truncated, and lives here only.
#pragma once

#include <cmath>

namespace agim {

// Highest storage level any model may use: N = 2^(L-1)+1 samples a side (4097 at level 13).
inline constexpr int kMaxStorageLevel = 13;

// 2.0 raised to an integer power in double precision; exact for the exponents that occur.
inline double pow2(int exponent) { return std::ldexp(1.0, exponent); }

// Samples a side of a grid at `level`: 2^(level-1)+1 (1 for level 0). Also the stored size N
// when given a storage level.
inline int grid_size_for_level(int level) { return static_cast<int>(pow2(level - 1) + 1.0); }

// Stored steps between current-level samples: 2^(max_level-level). Requires level <= max_level.
inline int stride_for_levels(int max_level, int level) {
  return static_cast<int>(pow2(max_level - level));
}

// Zipper blocks (boundary cells) along one side at `level`: 2^(level-1).
inline int blocks_per_side(int level) { return static_cast<int>(pow2(level - 1)); }

}  // namespace agim
