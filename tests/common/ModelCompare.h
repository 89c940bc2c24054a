// Whole-model comparison for tests: ids, levels, neighbours, direction codes and every stored
// sample, bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "model/AGIM.h"

namespace agim::test {

// Same x, y, z bits.
inline bool same_bits(const Point& a, const Point& b) {
  return std::bit_cast<uint32_t>(a.x) == std::bit_cast<uint32_t>(b.x) &&
         std::bit_cast<uint32_t>(a.y) == std::bit_cast<uint32_t>(b.y) &&
         std::bit_cast<uint32_t>(a.z) == std::bit_cast<uint32_t>(b.z);
}

// The two models hold the same patches: every field a reader writes and every stored sample
// (positions and normals) bit for bit.
inline void expect_same_model(const AGIM& a, const AGIM& b) {
  ASSERT_EQ(a.element_count, b.element_count);
  ASSERT_EQ(a.elements.size(), b.elements.size());
  for (std::size_t i = 0; i < a.elements.size(); ++i) {
    SCOPED_TRACE("slot " + std::to_string(i));
    const AGIM_element &x = a.elements[i], &y = b.elements[i];
    EXPECT_EQ(x.element_id, y.element_id);
    EXPECT_EQ(x.level, y.level);
    EXPECT_EQ(x.base_level, y.base_level);
    EXPECT_EQ(x.max_level, y.max_level);
    EXPECT_EQ(x.grid_size, y.grid_size);
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(x.neighbour[s], y.neighbour[s]);
      EXPECT_EQ(x.side_orientation[s], y.side_orientation[s]);
    }
    ASSERT_EQ(x.position_grid.size(), y.position_grid.size());
    ASSERT_EQ(x.normal_grid.size(), y.normal_grid.size());
    for (std::size_t j = 0; j < x.position_grid.sample_count(); ++j) {
      ASSERT_TRUE(same_bits(x.position_grid.data()[j], y.position_grid.data()[j])) << "position sample " << j;
      ASSERT_TRUE(same_bits(x.normal_grid.data()[j], y.normal_grid.data()[j])) << "normal sample " << j;
    }
  }
}

}  // namespace agim::test
