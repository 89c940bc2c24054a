// Layer pyramids and head/tail lists of zipper blocks: the normal and corner row rules, the
// choice between the corner fillings, the crack-free corner flagging and the corner links.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/TestModels.h"
#include "model/AGIM.h"
#include "model/Level.h"
#include "zipper/PyramidRows.h"

namespace {

using agim::PyramidRule;
using agim::test::build_model;
using agim::test::PatchSpec;

using Cell = std::pair<int, int>;  // (row, column)
using Rows = std::vector<std::vector<Cell>>;

// A filled block of level_diff L whose sample (i, j) has position (i, j, 0).
AGIM_Zipper_Block make_block(int levels) {
  AGIM_Zipper_Block b;
  b.level_diff = levels;
  b.sample_count = agim::grid_size_for_level(levels + 1);
  b.samples.resize(b.sample_count);
  for (int i = 0; i < b.sample_count; ++i)
    for (int j = 0; j < b.sample_count; ++j) {
      b.samples[i][j].x = static_cast<float>(i);
      b.samples[i][j].y = static_cast<float>(j);
    }
  return b;
}

// Every pyramid row by `rule`, as (row, column) tags; also checks each entry carries the
// sample it names and lies inside the block.
Rows pyramid(const AGIM_Zipper_Block& b, PyramidRule rule) {
  Rows rows;
  std::vector<Point> from, to;
  agim::first_pyramid_row(b, from);
  for (int r = 0;; ++r) {
    std::vector<Cell> cells;
    for (const Point& p : from) {
      EXPECT_GE(p.row, 0);
      EXPECT_LT(p.row, b.sample_count);
      EXPECT_GE(p.column, 0);
      EXPECT_LT(p.column, b.sample_count);
      EXPECT_EQ(p.x, p.row);
      EXPECT_EQ(p.y, p.column);
      cells.emplace_back(p.row, p.column);
    }
    rows.push_back(cells);
    if (r == b.level_diff || from.size() < 2) break;
    agim::next_pyramid_row(b, from, r, rule, to);
    std::swap(from, to);
  }
  return rows;
}

std::vector<Cell> column0(int count) {
  std::vector<Cell> c;
  for (int k = 0; k < count; ++k) c.emplace_back(k, 0);
  return c;
}

TEST(PyramidRows, NormalTables) {
  EXPECT_EQ(pyramid(make_block(0), PyramidRule::Normal), (Rows{column0(2)}));
  EXPECT_EQ(pyramid(make_block(1), PyramidRule::Normal), (Rows{column0(3), {{1, 1}}}));
  EXPECT_EQ(pyramid(make_block(2), PyramidRule::Normal),
            (Rows{column0(5), {{1, 1}, {3, 1}}, {{2, 3}}}));
  EXPECT_EQ(pyramid(make_block(3), PyramidRule::Normal),
            (Rows{column0(9), {{1, 1}, {3, 1}, {5, 1}, {7, 1}}, {{2, 3}, {4, 3}, {6, 3}}, {{4, 6}}}));
}

TEST(PyramidRows, CornerTables) {
  struct Case {
    int levels;
    PyramidRule rule;
    Rows above_base;  // rows 1 .. L
  };
  const Case cases[] = {
      {0, PyramidRule::CornerFirst, {}},
      {0, PyramidRule::CornerLast, {}},
      {1, PyramidRule::CornerFirst, {{{2, 1}}}},
      {1, PyramidRule::CornerLast, {{{0, 1}}}},
      {2, PyramidRule::CornerFirst, {{{2, 1}, {3, 1}}, {{3, 2}}}},
      {2, PyramidRule::CornerLast, {{{1, 1}, {2, 1}}, {{1, 3}}}},
      {3, PyramidRule::CornerFirst, {{{2, 1}, {3, 1}, {5, 1}, {7, 1}}, {{4, 3}, {5, 3}, {7, 3}}, {{8, 6}}}},
      {3, PyramidRule::CornerLast, {{{1, 1}, {3, 1}, {5, 1}, {6, 1}}, {{1, 3}, {2, 3}, {5, 3}}, {{0, 6}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "L " << c.levels << " rule " << static_cast<int>(c.rule));
    Rows expected{column0(agim::grid_size_for_level(c.levels + 1))};
    expected.insert(expected.end(), c.above_base.begin(), c.above_base.end());
    EXPECT_EQ(pyramid(make_block(c.levels), c.rule), expected);
  }
}

// Heads and tails of the pyramid rows, as the head/tail lists should hold them.
std::pair<std::vector<Cell>, std::vector<Cell>> ends(const Rows& rows) {
  std::vector<Cell> h, t;
  for (const auto& r : rows) {
    h.push_back(r.front());
    t.push_back(r.back());
  }
  return {h, t};
}

TEST(PyramidRows, Level4HeadsAndTails) {
  const AGIM_Zipper_Block b = make_block(4);
  using V = std::vector<Cell>;
  EXPECT_EQ(ends(pyramid(b, PyramidRule::Normal)),
            std::make_pair(V{{0, 0}, {1, 1}, {2, 3}, {4, 6}, {8, 10}},
                           V{{16, 0}, {15, 1}, {14, 3}, {12, 6}, {8, 10}}));
  EXPECT_EQ(ends(pyramid(b, PyramidRule::CornerFirst)),
            std::make_pair(V{{0, 0}, {2, 1}, {4, 3}, {8, 6}, {16, 10}},
                           V{{16, 0}, {15, 1}, {15, 3}, {15, 6}, {16, 10}}));
  EXPECT_EQ(ends(pyramid(b, PyramidRule::CornerLast)),
            std::make_pair(V{{0, 0}, {1, 1}, {1, 3}, {1, 6}, {0, 10}},
                           V{{16, 0}, {14, 1}, {13, 3}, {8, 6}, {0, 10}}));
}

TEST(PyramidRows, RowSizesShrinkToOneApexInsideTheBlock) {
  // Rows of 2^L+1, 2^(L-1), then 2^(L-r+1)-1 samples; row L is a single apex. The index checks
  // run inside pyramid().
  for (int levels = 1; levels <= 9; ++levels)
    for (PyramidRule rule : {PyramidRule::Normal, PyramidRule::CornerFirst, PyramidRule::CornerLast}) {
      SCOPED_TRACE(testing::Message() << "L " << levels << " rule " << static_cast<int>(rule));
      const Rows rows = pyramid(make_block(levels), rule);
      ASSERT_EQ(rows.size(), static_cast<std::size_t>(levels) + 1);
      EXPECT_EQ(rows[1].size(), static_cast<std::size_t>(1) << (levels - 1));
      for (int r = 2; r <= levels; ++r)
        EXPECT_EQ(rows[static_cast<std::size_t>(r)].size(), (std::size_t{1} << (levels - r + 1)) - 1);
    }
}

// --- Through the model operations ------------------------------------------------------

// Position (r, c, id), normal (0, 0, 1).
void indexed(int id, int r, int c, Point& p, Point& n) {
  p = Point{};
  n = Point{};
  p.x = static_cast<float>(r);
  p.y = static_cast<float>(c);
  p.z = static_cast<float>(id);
  n.z = 1.0f;
}

void prepare(AGIM& m) {
  m.Prepare_Zipper_Data();
}

AGIM_Zipper_Block& block(AGIM& m, int e, int s, int b) {
  return (*m.elements[static_cast<std::size_t>(e)].zipper_blocks)[s][static_cast<std::size_t>(b)];
}

// The (row, column) block indices of a head or tail list, read back from the sample positions
// through the block's own samples.
std::vector<Cell> cells_of(const AGIM_Zipper_Block& b, const std::vector<Point>& list) {
  std::vector<Cell> out;
  for (const Point& p : list) {
    Cell found{-1, -1};
    for (int i = 0; i < b.sample_count; ++i)
      for (int j = 0; j < b.sample_count; ++j)
        if (b.samples[i][j].x == p.x && b.samples[i][j].y == p.y) found = {i, j};
    out.push_back(found);
  }
  return out;
}

TEST(HeadTail, NormalBlocksOfAPreparedModelHoldTheirPyramidEnds) {
  // Storage 5, level 2 beside level 4: level_diff 2, 5 x 5 blocks.
  AGIM m;
  build_model(m, {PatchSpec{2, 5, {0, 1, 0, 0}}, PatchSpec{4, 5, {0, 0, 0, 0}}}, indexed);
  prepare(m);
  for (int b = 0; b < 2; ++b) {
    const AGIM_Zipper_Block& zb = block(m, 0, 1, b);
    ASSERT_EQ(zb.level_diff, 2);
    EXPECT_EQ(cells_of(zb, zb.head), (std::vector<Cell>{{0, 0}, {1, 1}, {2, 3}}));
    EXPECT_EQ(cells_of(zb, zb.tail), (std::vector<Cell>{{4, 0}, {3, 1}, {2, 3}}));
  }
}

// A patch of level `level` (storage 4, direction codes 1, 0, 0, 1) whose sides 0 and 1 border
// finer patches at the given levels; sides 2 and 3 border itself.
void corner_model(AGIM& m, int level, int side0_level, int side1_level) {
  PatchSpec p{level, 4, {1, 2, 0, 0}, {1, 0, 0, 1}};
  build_model(m, {p, PatchSpec{side0_level, 4, {1, 1, 1, 1}}, PatchSpec{side1_level, 4, {2, 2, 2, 2}}},
              indexed);
  prepare(m);
}

TEST(CornerHeadTail, BothLevelDiffOneUsesTheSymmetricPyramid) {
  AGIM m;
  corner_model(m, 2, 3, 3);
  AGIM_Zipper_Block& last0 = block(m, 0, 0, 1);  // last block of side 0
  AGIM_Zipper_Block& first1 = block(m, 0, 1, 0);  // block 0 of side 1
  last0.is_corner = first1.is_corner = 1;
  last0.head.clear();
  first1.head.clear();
  m.Fill_headtail_CZB(0);
  for (const AGIM_Zipper_Block* zb : {&last0, &first1}) {
    EXPECT_EQ(cells_of(*zb, zb->head), (std::vector<Cell>{{0, 0}, {1, 1}}));
    EXPECT_EQ(cells_of(*zb, zb->tail), (std::vector<Cell>{{2, 0}, {1, 1}}));
  }
}

TEST(CornerHeadTail, DifferentLevelDiffsLeanTheApexAwayFromTheCorner) {
  // Side 0 at level_diff 1, side 1 at level_diff 2.
  AGIM m;
  corner_model(m, 2, 3, 4);
  AGIM_Zipper_Block& last0 = block(m, 0, 0, 1);
  AGIM_Zipper_Block& first1 = block(m, 0, 1, 0);
  ASSERT_EQ(last0.level_diff, 1);
  ASSERT_EQ(first1.level_diff, 2);
  last0.is_corner = first1.is_corner = 1;
  m.Fill_headtail_CZB(0);
  EXPECT_EQ(cells_of(last0, last0.head), (std::vector<Cell>{{0, 0}, {0, 1}}));
  EXPECT_EQ(cells_of(first1, first1.head), (std::vector<Cell>{{0, 0}, {2, 1}, {3, 2}}));
  EXPECT_EQ(cells_of(first1, first1.tail), (std::vector<Cell>{{4, 0}, {3, 1}, {3, 2}}));
  // End blocks that are not corner blocks keep their normal lists.
  const AGIM_Zipper_Block& first0 = block(m, 0, 0, 0);
  EXPECT_EQ(cells_of(first0, first0.head), (std::vector<Cell>{{0, 0}, {1, 1}}));
}

TEST(CornerHeadTail, PartnerOnASideWithoutZipperCountsAsUnfilled) {
  // Only side 1 is a zipper side; its first block is flagged by hand. Its partner, the last
  // block of side 0, was never filled: the corner is not "both level_diff 1".
  AGIM m;
  PatchSpec p{2, 4, {0, 1, 0, 0}, {1, 0, 0, 1}};
  build_model(m, {p, PatchSpec{3, 4, {1, 1, 1, 1}}}, indexed);
  prepare(m);
  AGIM_Zipper_Block& first1 = block(m, 0, 1, 0);
  ASSERT_EQ(first1.level_diff, 1);
  block(m, 0, 0, 1).level_diff = 1;  // even a stray value on the unfilled partner is ignored
  first1.is_corner = 1;
  m.Fill_headtail_CZB(0);
  EXPECT_EQ(cells_of(first1, first1.head), (std::vector<Cell>{{0, 0}, {2, 1}}));
}

TEST(CornerHeadTail, SingleBlockSideIsAFirstBlock) {
  // Level 1: one block a side, handled as a first block (apex leans to row 2).
  AGIM m;
  PatchSpec p{1, 4, {0, 1, 0, 0}};
  build_model(m, {p, PatchSpec{3, 4, {1, 1, 1, 1}}}, indexed);
  prepare(m);
  AGIM_Zipper_Block& only = block(m, 0, 1, 0);
  ASSERT_EQ(only.level_diff, 2);
  only.is_corner = 1;
  m.Fill_headtail_CZB(0);
  EXPECT_EQ(cells_of(only, only.head), (std::vector<Cell>{{0, 0}, {2, 1}, {3, 2}}));
}

TEST(FlagCorner, FlagsBothEndBlocksAtEveryCornerOfTwoZipperSides) {
  // Sides 0 and 1 are zipper sides: only the corner they share (stored sample [0][0]) is
  // flagged, on the last block of side 0 and block 0 of side 1, which both cover it.
  AGIM m;
  corner_model(m, 2, 3, 3);
  m.Flag_CornerZB();
  AGIM_Zipper_Block& last0 = block(m, 0, 0, 1);
  AGIM_Zipper_Block& first1 = block(m, 0, 1, 0);
  for (const AGIM_Zipper_Block* zb : {&last0, &first1}) {
    EXPECT_EQ(zb->is_corner, 1);
    EXPECT_EQ(zb->is_normal, 0);
  }
  EXPECT_EQ(block(m, 0, 0, 0).is_corner, 0);
  EXPECT_EQ(block(m, 0, 1, 1).is_corner, 0);
  // The two blocks meet at the patch corner: stored sample (0, 0).
  EXPECT_EQ(last0.samples[2][0].x, 0.0f);
  EXPECT_EQ(last0.samples[2][0].y, 0.0f);
  EXPECT_EQ(first1.samples[0][0].x, 0.0f);
  EXPECT_EQ(first1.samples[0][0].y, 0.0f);
  // Their corner lists were built: both level_diff 1.
  EXPECT_EQ(cells_of(last0, last0.head), (std::vector<Cell>{{0, 0}, {1, 1}}));
}

TEST(FlagCorner, LeavesCornersItCannotPairAlone) {
  struct Case {
    const char* what;
    int level;
    int codes[4];
  };
  const Case cases[] = {
      {"one block a side", 1, {1, 0, 0, 1}},
      {"other direction codes", 2, {0, 0, 0, 0}},
      {"side 0 walked from index 0", 2, {0, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AGIM m;
    PatchSpec p{c.level, 4, {1, 2, 0, 0}};
    for (int k = 0; k < 4; ++k) p.side_orientation[k] = c.codes[k];
    build_model(m, {p, PatchSpec{3, 4, {1, 1, 1, 1}}, PatchSpec{3, 4, {2, 2, 2, 2}}}, indexed);
    prepare(m);
    m.Flag_CornerZB();
    for (int s = 0; s < 2; ++s)
      for (const AGIM_Zipper_Block& zb : (*m.elements[0].zipper_blocks)[s]) EXPECT_EQ(zb.is_corner, 0);
  }
  // A corner with only one zipper side.
  AGIM m;
  build_model(m, {PatchSpec{2, 4, {0, 1, 0, 0}, {1, 0, 0, 1}}, PatchSpec{3, 4, {1, 1, 1, 1}}}, indexed);
  prepare(m);
  m.Flag_CornerZB();
  for (const AGIM_Zipper_Block& zb : (*m.elements[0].zipper_blocks)[1]) EXPECT_EQ(zb.is_corner, 0);
}

TEST(CornerLinks, EndBlocksLinkToTheLastBlockOfTheNeighboursHighestZipperSide) {
  // Patch 0 (level 2) borders patch 1 (level 3) across side 1; patch 1 has zipper sides 0 and 3
  // towards patch 2 (level 4). Patch 3 (level 4) borders patch 0 across side 2 and has no zipper.
  AGIM m;
  build_model(m,
              {PatchSpec{2, 4, {0, 1, 3, 0}}, PatchSpec{3, 4, {2, 0, 1, 2}},
               PatchSpec{4, 4, {1, 1, 1, 1}}, PatchSpec{4, 4, {3, 3, 3, 3}}},
              indexed);
  for (int call : {0, 1, 7}) {
    SCOPED_TRACE(call);
    m.Detect_IFZipper();
    m.Fill_ZipperBlock();
    m.Detect_Corner_NeiZB(call);
    auto& side1 = (*m.elements[0].zipper_blocks)[1];
    auto& target = (*m.elements[1].zipper_blocks)[3];
    EXPECT_EQ(side1.front().corner_neighbour, &target.back());
    EXPECT_EQ(side1.back().corner_neighbour, &target.back());
    auto& side2 = (*m.elements[0].zipper_blocks)[2];
    EXPECT_EQ(side2.front().corner_neighbour, nullptr);
    EXPECT_EQ(side2.back().corner_neighbour, nullptr);
    // Patch 1's side 0 borders patch 2, which has no zipper: no link.
    EXPECT_EQ((*m.elements[1].zipper_blocks)[0].front().corner_neighbour, nullptr);
  }
}

}  // namespace
