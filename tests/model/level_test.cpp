// Level arithmetic and grid addressing: the sizes every other part derives from a level.
#include <gtest/gtest.h>

#include "model/Level.h"
#include "model/PointGrid.h"

namespace {

struct LevelRow {
  const char* name;
  int level, max_level;
  int grid_size, stored_size, stride, blocks;
};

TEST(LevelArithmetic, SizesFollowFromLevels) {
  const LevelRow rows[] = {
      {"level 3 of storage 5", 3, 5, 5, 17, 4, 4},
      {"level equals storage", 5, 5, 17, 17, 1, 16},
      {"level 1 keeps the corners", 1, 4, 2, 9, 8, 1},
      {"level 6", 6, 6, 33, 33, 1, 32},
      {"level 0 gives one sample", 0, 1, 1, 2, 2, 0},
  };
  for (const LevelRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(agim::grid_size_for_level(r.level), r.grid_size);
    EXPECT_EQ(agim::grid_size_for_level(r.max_level), r.stored_size);
    EXPECT_EQ(agim::stride_for_levels(r.max_level, r.level), r.stride);
    EXPECT_EQ(agim::blocks_per_side(r.level), r.blocks);
  }
}

TEST(PointGrid, AddressesRowThenColumnInOneBlock) {
  // Current-level sample (2, 3) of a level-3 patch stored at level 5 sits at grid[8][12].
  PointGrid grid(agim::grid_size_for_level(5));
  const int s = agim::stride_for_levels(5, 3);
  grid[2 * s][3 * s].x = 42.0f;
  EXPECT_EQ(grid[8][12].x, 42.0f);
  EXPECT_EQ(&grid[8][12], grid.data() + 8 * 17 + 12);
  EXPECT_EQ(grid.size(), 17);

  PointGrid copy = grid;  // deep copy
  copy[8][12].x = 1.0f;
  EXPECT_EQ(grid[8][12].x, 42.0f);

  grid.clear();
  EXPECT_TRUE(grid.empty());
}

}  // namespace
