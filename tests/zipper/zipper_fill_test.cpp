// Zipper detection, block allocation, column filling and thinning, on small index-grid models
// whose sample positions name their own grid indices.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/TestModels.h"
#include "model/AGIM.h"

namespace {

using agim::test::build_model;
using agim::test::PatchSpec;

// Position (r, c, id) and a normal (c, r, 7) that differs from it, so a swap shows.
void indexed(int id, int r, int c, Point& p, Point& n) {
  p = Point{};
  n = Point{};
  p.x = static_cast<float>(r);
  p.y = static_cast<float>(c);
  p.z = static_cast<float>(id);
  n.x = static_cast<float>(c);
  n.y = static_cast<float>(r);
  n.z = 7.0f;
}

// True when the n samples at a and b are the same bytes (empty ranges are equal).
bool same_points(const Point* a, const Point* b, std::size_t n) {
  return n == 0 || std::memcmp(a, b, n * sizeof(Point)) == 0;
}

void prepare(AGIM& m) {
  m.Prepare_Zipper_Data();
}

// A patch at `level`/`max_level` whose side `side` borders patch 1 at `neighbour_level`; its
// other sides border itself (equal level, never a zipper side).
void coarse_beside_fine(AGIM& m, int level, int max_level, int side, int neighbour_level,
                        int orientation = 0) {
  PatchSpec coarse;
  coarse.level = level;
  coarse.max_level = max_level;
  coarse.neighbour[side] = 1;
  coarse.side_orientation[side] = orientation;
  PatchSpec fine;
  fine.level = neighbour_level;
  fine.max_level = neighbour_level;
  build_model(m, {coarse, fine}, indexed);
  prepare(m);
}

const AGIM_Zipper_Block& block(const AGIM& m, int e, int s, int b) {
  return (*m.elements[static_cast<std::size_t>(e)].zipper_blocks)[s][static_cast<std::size_t>(b)];
}

// Block sample (k, t) holds stored sample (r, c): position and normal.
void expect_sample(const AGIM_Zipper_Block& zb, int k, int t, int r, int c) {
  const Point& p = zb.samples[k][t];
  EXPECT_EQ(p.x, r) << "row " << k << " column " << t;
  EXPECT_EQ(p.y, c) << "row " << k << " column " << t;
  EXPECT_EQ(p.nx, c) << "row " << k << " column " << t;
  EXPECT_EQ(p.ny, r) << "row " << k << " column " << t;
  EXPECT_EQ(p.nz, 7.0f);
}

TEST(ZipperDetect, OnlyAStrictlyFinerNeighbourMakesAZipperSide) {
  AGIM m;
  PatchSpec a;  // level 3; sides 0..3 border: itself, coarser, equal, finer
  a.level = 3;
  a.max_level = 4;
  a.neighbour[0] = 0;
  a.neighbour[1] = 1;
  a.neighbour[2] = 2;
  a.neighbour[3] = 3;
  PatchSpec coarser{2, 4, {1, 1, 1, 1}};
  PatchSpec equal{3, 4};
  PatchSpec finer{4, 4};
  build_model(m, {a, coarser, equal, finer}, indexed);
  prepare(m);
  const AGIM_element& e = m.elements[0];
  ASSERT_TRUE(e.has_zipper);
  EXPECT_FALSE(e.side_zipper[0]);
  EXPECT_FALSE(e.side_zipper[1]);
  EXPECT_FALSE(e.side_zipper[2]);
  EXPECT_TRUE(e.side_zipper[3]);
  // All four arrays are made with 2^(level-1) blocks; only the zipper side is filled and flagged.
  for (int s = 0; s < 4; ++s) {
    ASSERT_EQ((*e.zipper_blocks)[s].size(), 4u);
    for (const AGIM_Zipper_Block& zb : (*e.zipper_blocks)[s]) {
      EXPECT_EQ(zb.is_filled(), s == 3);
      EXPECT_EQ(zb.is_normal, s == 3 ? 1 : 0);
      EXPECT_EQ(zb.is_corner, 0);
      EXPECT_EQ(zb.spare_index, -1);
      EXPECT_EQ(zb.head.empty(), s != 3);
    }
  }
  // The equal and coarser patches get nothing.
  for (int id = 1; id < 4; ++id) {
    EXPECT_FALSE(m.elements[static_cast<std::size_t>(id)].has_zipper) << id;
    EXPECT_EQ(m.elements[static_cast<std::size_t>(id)].zipper_blocks, nullptr) << id;
  }
}

TEST(ZipperDetect, EqualLevelsGiveNoZipperAnywhere) {
  AGIM m;
  PatchSpec p{3, 5, {1, 1, 1, 1}};
  PatchSpec q{3, 4, {0, 0, 0, 0}};
  build_model(m, {p, q}, indexed);
  prepare(m);
  for (const AGIM_element& e : m.elements) {
    EXPECT_FALSE(e.has_zipper);
    EXPECT_EQ(e.zipper_blocks, nullptr);
  }
}

TEST(ZipperDetect, StaleFlagsAfterALevelChangeAreNotConsulted) {
  AGIM m;
  coarse_beside_fine(m, 2, 4, 1, 3);
  AGIM_element& e = m.elements[0];
  ASSERT_TRUE(e.has_zipper);
  const AGIM_Zipper_Block* old_blocks = (*e.zipper_blocks)[1].data();

  // The patch reaches its neighbour's level: no zipper; old flags and blocks remain untouched.
  e.level = 3;
  e.grid_size = 5;
  prepare(m);
  EXPECT_FALSE(e.has_zipper);
  EXPECT_TRUE(e.side_zipper[1]);
  EXPECT_EQ((*e.zipper_blocks)[1].data(), old_blocks);
  EXPECT_EQ((*e.zipper_blocks)[1].size(), 2u);

  // A finer neighbour on another side: all four flags are recomputed, the stale one cleared.
  e.level = 2;
  m.elements[1].level = 2;
  e.neighbour[2] = 2;
  m.elements.push_back(AGIM_element{});
  m.element_count = 3;
  AGIM_element& f = m.elements[2];
  f.element_id = 2;
  f.level = f.max_level = f.base_level = 4;
  f.grid_size = 9;
  f.position_grid.resize(9);
  f.normal_grid.resize(9);
  prepare(m);
  AGIM_element& e2 = m.elements[0];
  ASSERT_TRUE(e2.has_zipper);
  EXPECT_FALSE(e2.side_zipper[1]);
  EXPECT_TRUE(e2.side_zipper[2]);
  EXPECT_FALSE((*e2.zipper_blocks)[1][0].is_filled());
  EXPECT_TRUE((*e2.zipper_blocks)[2][0].is_filled());
}

TEST(ZipperDetect, NeighbourIdsOutsideTheModelAreNeverFollowed) {
  AGIM m;
  PatchSpec p{2, 4, {-1, 2, 7, 1}};
  PatchSpec q{4, 4, {0, 0, 0, 0}};
  build_model(m, {p, q}, indexed);
  prepare(m);
  m.Select_OneColumn_ZB(0, 0);  // across side 0 lies id -1
  m.Select_OneColumn_ZB(0, 9);  // no such side
  m.Fill_OneColumn_ZB(5, 0);    // no such patch
  m.Fill_headtail_NZB(-3);
  m.Fill_headtail_CNZB(0, 3, 99);
  const AGIM_element& e = m.elements[0];
  ASSERT_TRUE(e.has_zipper);
  EXPECT_FALSE(e.side_zipper[0]);
  EXPECT_FALSE(e.side_zipper[1]);
  EXPECT_FALSE(e.side_zipper[2]);
  EXPECT_TRUE(e.side_zipper[3]);
}

TEST(ZipperFill, WorkedExampleLevel2OfStorage4Side1) {
  // N 9, two blocks of 5 x 5 stored samples, thinned to 3 x 3 at stride 2 for a level 3 neighbour.
  for (int orientation : {0, 1}) {
    SCOPED_TRACE(orientation);
    AGIM m;
    coarse_beside_fine(m, 2, 4, 1, 3, orientation);
    for (int b = 0; b < 2; ++b) {
      const AGIM_Zipper_Block& zb = block(m, 0, 1, b);
      EXPECT_EQ(zb.level_diff, 1);
      EXPECT_EQ(zb.sample_count, 3);
      EXPECT_EQ(zb.block_index, b);
      EXPECT_EQ(zb.owner_element, 0);
      EXPECT_EQ(zb.owner_side, 1);
      ASSERT_EQ(zb.samples.size(), 3);
      for (int k = 0; k < 3; ++k)
        for (int t = 0; t < 3; ++t) {
          const int p = 4 * b + 2 * k;
          expect_sample(zb, k, t, orientation == 1 ? 8 - p : p, 2 * t);
        }
    }
  }
}

TEST(ZipperFill, NeighbourAtStorageLevelKeepsEveryFilledSample) {
  // dl = d: stride 1, the blocks stay as filled: block 0 grid[8-k][t], block 1 grid[4-k][t].
  AGIM m;
  coarse_beside_fine(m, 2, 4, 1, 4, 1);
  for (int b = 0; b < 2; ++b) {
    const AGIM_Zipper_Block& zb = block(m, 0, 1, b);
    EXPECT_EQ(zb.level_diff, 2);
    ASSERT_EQ(zb.sample_count, 5);
    for (int k = 0; k < 5; ++k)
      for (int t = 0; t < 5; ++t) expect_sample(zb, k, t, 8 - 4 * b - k, t);
  }
}

TEST(ZipperFill, EverySideAndDirectionCodeWalksFromTheRightCorner) {
  // Level 2 of storage 4 (N 9) beside a level 4 neighbour: unthinned 5 x 5 blocks. For block 0:
  // the stored sample at its start, one step into the patch, and one step along the side.
  struct Case {
    int side, orientation;
    int start[2], inward[2], along[2];
  };
  const Case cases[] = {
      {0, 0, {0, 0}, {1, 0}, {0, 1}}, {0, 1, {0, 8}, {1, 8}, {0, 7}},
      {1, 0, {0, 0}, {0, 1}, {1, 0}}, {1, 1, {8, 0}, {8, 1}, {7, 0}},
      {2, 0, {8, 0}, {7, 0}, {8, 1}}, {2, 1, {8, 8}, {7, 8}, {8, 7}},
      {3, 0, {0, 8}, {0, 7}, {1, 8}}, {3, 1, {8, 8}, {8, 7}, {7, 8}},
      // Any code other than exactly 1 walks like 0.
      {2, 2, {8, 0}, {7, 0}, {8, 1}}, {3, -1, {0, 8}, {0, 7}, {1, 8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << c.side << " code " << c.orientation);
    AGIM m;
    coarse_beside_fine(m, 2, 4, c.side, 4, c.orientation);
    const AGIM_Zipper_Block& first = block(m, 0, c.side, 0);
    const AGIM_Zipper_Block& last = block(m, 0, c.side, 1);
    ASSERT_EQ(first.sample_count, 5);
    expect_sample(first, 0, 0, c.start[0], c.start[1]);
    expect_sample(first, 0, 1, c.inward[0], c.inward[1]);
    expect_sample(first, 1, 0, c.along[0], c.along[1]);
    // The blocks share their end rows and the last block ends at the far corner of the side.
    for (int t = 0; t < 5; ++t) {
      EXPECT_EQ(first.samples[4][t].x, last.samples[0][t].x);
      EXPECT_EQ(first.samples[4][t].y, last.samples[0][t].y);
    }
    const int far_r = c.start[0] + 8 * (c.along[0] - c.start[0]);
    const int far_c = c.start[1] + 8 * (c.along[1] - c.start[1]);
    expect_sample(last, 4, 0, far_r, far_c);
  }
}

TEST(ZipperFill, Level1PatchHasOneBlockCoveringTheWholePatch) {
  // Storage 3 (N 5), level 1 beside level 2: one block, filled 5 x 5, thinned at stride 2.
  AGIM m;
  coarse_beside_fine(m, 1, 3, 1, 2);
  const AGIM_element& e = m.elements[0];
  for (int s = 0; s < 4; ++s) ASSERT_EQ((*e.zipper_blocks)[s].size(), 1u);
  const AGIM_Zipper_Block& zb = block(m, 0, 1, 0);
  EXPECT_EQ(zb.level_diff, 1);
  ASSERT_EQ(zb.sample_count, 3);
  for (int k = 0; k < 3; ++k)
    for (int t = 0; t < 3; ++t) expect_sample(zb, k, t, 2 * k, 2 * t);
}

TEST(ZipperFill, PatchAtStorageLevelGetsTwoByTwoBlocks) {
  AGIM m;
  coarse_beside_fine(m, 3, 3, 0, 4);
  ASSERT_EQ((*m.elements[0].zipper_blocks)[0].size(), 4u);
  for (int b = 0; b < 4; ++b) {
    const AGIM_Zipper_Block& zb = block(m, 0, 0, b);
    EXPECT_EQ(zb.level_diff, 0);
    ASSERT_EQ(zb.sample_count, 2);
    for (int k = 0; k < 2; ++k)
      for (int t = 0; t < 2; ++t) expect_sample(zb, k, t, t, b + k);
    ASSERT_EQ(zb.head.size(), 1u);
    EXPECT_EQ(zb.head[0].y, b);
    EXPECT_EQ(zb.tail[0].y, b + 1);
  }
}

TEST(ZipperFill, NeighbourFinerThanStorageKeepsFullStoredResolution) {
  // Storage 3 at level 2 (d 1) beside level 4 (dl 2): the block does not collapse to one
  // repeated sample; it keeps its 3 x 3 stored samples.
  AGIM m;
  coarse_beside_fine(m, 2, 3, 1, 4);
  for (int b = 0; b < 2; ++b) {
    const AGIM_Zipper_Block& zb = block(m, 0, 1, b);
    EXPECT_EQ(zb.level_diff, 1);
    ASSERT_EQ(zb.sample_count, 3);
    for (int k = 0; k < 3; ++k)
      for (int t = 0; t < 3; ++t) expect_sample(zb, k, t, 2 * b + k, t);
    ASSERT_EQ(zb.head.size(), 2u);
  }
}

// Everything but the link, compared field by field and sample by sample.
void expect_same_block(const AGIM_Zipper_Block& a, const AGIM_Zipper_Block& b) {
  EXPECT_EQ(a.is_normal, b.is_normal);
  EXPECT_EQ(a.is_corner, b.is_corner);
  EXPECT_EQ(a.level_diff, b.level_diff);
  EXPECT_EQ(a.sample_count, b.sample_count);
  EXPECT_EQ(a.block_index, b.block_index);
  EXPECT_EQ(a.owner_element, b.owner_element);
  EXPECT_EQ(a.owner_side, b.owner_side);
  ASSERT_EQ(a.samples.sample_count(), b.samples.sample_count());
  EXPECT_TRUE(same_points(a.samples.data(), b.samples.data(), a.samples.sample_count()));
  ASSERT_EQ(a.head.size(), b.head.size());
  ASSERT_EQ(a.tail.size(), b.tail.size());
  EXPECT_TRUE(same_points(a.head.data(), b.head.data(), a.head.size()));
  EXPECT_TRUE(same_points(a.tail.data(), b.tail.data(), a.tail.size()));
  EXPECT_EQ(a.corner_neighbour == nullptr, b.corner_neighbour == nullptr);
}

TEST(ZipperFill, RerunningThePreparationGivesIdenticalFreshBlocks) {
  AGIM m;
  PatchSpec a{2, 4, {1, 2, 1, 0}, {1, 0, 0, 1}};
  PatchSpec b{3, 4, {0, 2, 2, 2}};
  PatchSpec c{4, 4, {0, 1, 1, 1}};
  build_model(m, {a, b, c}, indexed);
  prepare(m);
  // Keep copies of the first run's blocks, then run again.
  std::vector<std::vector<AGIM_Zipper_Block>> first;
  std::vector<const AGIM_Zipper_Block*> first_ptrs;
  for (const AGIM_element& e : m.elements)
    for (int s = 0; s < 4; ++s)
      if (e.zipper_blocks) {
        first.push_back((*e.zipper_blocks)[s]);
        first_ptrs.push_back((*e.zipper_blocks)[s].data());
      }
  ASSERT_FALSE(first.empty());
  prepare(m);
  std::size_t i = 0;
  for (const AGIM_element& e : m.elements)
    for (int s = 0; s < 4; ++s)
      if (e.zipper_blocks) {
        const auto& now = (*e.zipper_blocks)[s];
        ASSERT_EQ(now.size(), first[i].size());
        for (std::size_t k = 0; k < now.size(); ++k) expect_same_block(now[k], first[i][k]);
        // Links point at the live blocks of this run.
        for (const AGIM_Zipper_Block& zb : now)
          if (zb.corner_neighbour) {
            const AGIM_element& t = m.elements[static_cast<std::size_t>(zb.corner_neighbour->owner_element)];
            const auto& arr = (*t.zipper_blocks)[zb.corner_neighbour->owner_side];
            EXPECT_GE(zb.corner_neighbour, arr.data());
            EXPECT_LT(zb.corner_neighbour, arr.data() + arr.size());
          }
        ++i;
      }
}

TEST(ZipperFill, FillThenSelectGivesTheBlocksThePreparationMakes) {
  // The preparation fills straight at the neighbour's spacing; filling at full resolution and
  // thinning afterwards must give the same blocks. Gaps 1, 2 (= d), 3 (> d); codes 0, 1, 2.
  for (int gap : {1, 2, 3})
    for (int orientation : {0, 1, 2}) {
      SCOPED_TRACE(testing::Message() << "gap " << gap << " code " << orientation);
      AGIM m;
      for (int side = 0; side < 4; ++side) {
        coarse_beside_fine(m, 2, 4, side, 2 + gap, orientation);
        const std::vector<AGIM_Zipper_Block> prepared = (*m.elements[0].zipper_blocks)[side];
        m.Fill_OneColumn_ZB(0, side);
        EXPECT_EQ(block(m, 0, side, 0).sample_count, 5);
        m.Select_OneColumn_ZB(0, side);
        for (std::size_t b = 0; b < prepared.size(); ++b) {
          const AGIM_Zipper_Block& now = block(m, 0, side, static_cast<int>(b));
          EXPECT_EQ(now.level_diff, prepared[b].level_diff);
          ASSERT_EQ(now.sample_count, prepared[b].sample_count);
          EXPECT_TRUE(same_points(now.samples.data(), prepared[b].samples.data(), now.samples.sample_count()));
        }
      }
    }
}

TEST(ZipperFill, KeptBlocksDropLinksIntoRecreatedBlocks) {
  // Patch 0 links to patch 1's blocks; then patch 0 stops having a zipper while patch 1's
  // blocks are re-created. Patch 0's kept blocks must not point at the destroyed ones.
  AGIM m;
  PatchSpec a{2, 4, {0, 1, 0, 0}};
  PatchSpec b{3, 4, {2, 0, 1, 1}};
  PatchSpec c{4, 4, {1, 2, 2, 2}};
  build_model(m, {a, b, c}, indexed);
  prepare(m);
  const auto& kept = (*m.elements[0].zipper_blocks)[1];
  ASSERT_NE(kept.front().corner_neighbour, nullptr);
  m.elements[0].level = 3;
  m.elements[0].grid_size = 5;
  prepare(m);
  EXPECT_FALSE(m.elements[0].has_zipper);
  EXPECT_TRUE(m.elements[1].has_zipper);
  EXPECT_EQ(kept.front().corner_neighbour, nullptr);
  EXPECT_EQ(kept.back().corner_neighbour, nullptr);
}

TEST(ZipperFill, PatchesWithInconsistentLevelsOrGridsGetNoBlocks) {
  // Levels above storage, level 0 and a missing grid: no blocks, no reads outside a grid.
  AGIM m;
  PatchSpec over{5, 3, {1, 1, 1, 1}};
  PatchSpec fine{6, 6, {0, 0, 0, 0}};
  PatchSpec zero{0, 3, {1, 1, 1, 1}};
  build_model(m, {over, fine, zero}, indexed);
  m.elements[1].normal_grid.clear();
  prepare(m);
  EXPECT_FALSE(m.elements[0].has_zipper);
  EXPECT_FALSE(m.elements[2].has_zipper);
  EXPECT_EQ(m.elements[0].zipper_blocks, nullptr);
  EXPECT_EQ(m.elements[2].zipper_blocks, nullptr);

  // Levels far beyond any storage: nothing is sized from them, and level changes leave them.
  m.elements[0].level = 40;
  m.elements[0].max_level = 50;
  prepare(m);
  m.LOD_Change(-10.0);
  m.Flag_CornerZB();
  m.Fill_headtail_CZB(0);
  EXPECT_EQ(m.elements[0].level, 40);
  EXPECT_FALSE(m.elements[0].has_zipper);
}

}  // namespace
