// Exact emission of the zipper renderers: which triangles, in which order and winding, with
// which vertex calls, and the counts they return and print. Blocks are made by hand with
// samples that name themselves: sample (r, c) of block b on side s sits at (r, c, 10 s + b).
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "model/AGIM.h"
#include "model/Level.h"
#include "render/DrawSink.h"
#include "common/TestModels.h"
#include "zipper_fixture.h"

namespace agim::test {
namespace {

constexpr int kNone = -1;  // no zipper side

// Tag of block b on side s, stored in z of its samples.
double tag_of(int side, int block) { return 10.0 * side + block; }

// A block of level difference d whose sample (r, c) has position (r, c, tag) and normal
// (-r, -c, -tag - 1), with the head and tail lists of its symmetric pyramid.
AGIM_Zipper_Block encoded_block(int d, int side, int block) {
  AGIM_Zipper_Block zb;
  const int m = grid_size_for_level(d + 1);
  const float tag = static_cast<float>(tag_of(side, block));
  zb.level_diff = d;
  zb.sample_count = m;
  zb.block_index = block;
  zb.owner_side = side;
  zb.is_normal = 1;
  zb.samples.resize(m);
  for (int r = 0; r < m; ++r)
    for (int c = 0; c < m; ++c)
      zb.samples[r][c] = Point{static_cast<float>(r), static_cast<float>(c), tag,
                               static_cast<float>(-r), static_cast<float>(-c), -tag - 1.0f, 0, 0};
  set_chains(zb, PyramidRule::Normal);
  return zb;
}

// One patch at `level` whose side s borders a finer patch with level difference diffs[s]
// (kNone: not a zipper side). Every side gets its 2^(level-1) blocks; zipper sides are filled.
void side_model(AGIM& model, int level, std::array<int, 4> diffs) {
  build_model(model, {PatchSpec{level, level + 4, {0, 0, 0, 0}, {1, 0, 0, 1}}});
  AGIM_element& e = model.elements[0];
  const int nb = blocks_per_side(level);
  e.zipper_blocks = std::make_unique<ZipperBlockSides>();
  for (int s = 0; s < 4; ++s) {
    (*e.zipper_blocks)[s].resize(static_cast<std::size_t>(nb));
    e.side_zipper[s] = diffs[static_cast<std::size_t>(s)] != kNone;
    e.has_zipper = e.has_zipper || e.side_zipper[s];
    if (!e.side_zipper[s]) continue;
    for (int b = 0; b < nb; ++b)
      (*e.zipper_blocks)[s][static_cast<std::size_t>(b)] =
          encoded_block(diffs[static_cast<std::size_t>(s)], s, b);
  }
}

AGIM_Zipper_Block& block_at(AGIM& model, int side, int block) {
  return (*model.elements[0].zipper_blocks)[side][static_cast<std::size_t>(block)];
}

// Flags block (side, block) as a corner block with its corner chains; its partner's level
// difference is read from the patch.
void flag_corner(AGIM& model, int side, int block) {
  const int nb = blocks_per_side(model.elements[0].level);
  const bool first = block == 0;
  const int ps = first ? (side + 3) % 4 : (side + 1) % 4;
  AGIM_Zipper_Block& zb = block_at(model, side, block);
  zb.is_corner = 1;
  zb.is_normal = 0;
  set_corner_chains(zb, first, block_at(model, ps, first ? nb - 1 : 0).level_diff);
}

// A vertex expected at block sample (r, c) of a block with the given tag.
struct Sample {
  int r, c;
};
using Tri = std::array<Sample, 3>;

// Checks that `got` are exactly the triangles `want` of one block (by block indices), each
// vertex with its own normal and sent in the given vertex form.
void expect_block_triangles(const std::vector<Triangle>& got, const std::vector<Tri>& want,
                            double tag, bool four) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i)
    for (int j = 0; j < 3; ++j) {
      const Vertex& v = got[i].v[j];
      const Sample& s = want[i][static_cast<std::size_t>(j)];
      SCOPED_TRACE("triangle " + std::to_string(i) + " vertex " + std::to_string(j));
      EXPECT_EQ(v.x, s.r);
      EXPECT_EQ(v.y, s.c);
      EXPECT_EQ(v.z, tag);
      EXPECT_TRUE(v.own_normal);
      EXPECT_EQ(v.nx, -s.r);
      EXPECT_EQ(v.ny, -s.c);
      EXPECT_EQ(v.nz, -tag - 1);
      EXPECT_EQ(v.four, four);
    }
}

// Triangles per normal block and per general corner block, by level difference.
int normal_block_count(int d) { return d == 0 ? 0 : std::array{3, 7, 19, 47}[static_cast<std::size_t>(d - 1)]; }

TEST(ZipperNormalBlock, EmitsItsPyramidExactly) {
  struct Case {
    int d;
    std::vector<Tri> want;
  };
  const std::vector<Case> cases = {
      {1, {{{{0, 0}, {1, 0}, {1, 1}}}, {{{1, 0}, {2, 0}, {1, 1}}}, {{{1, 1}, {2, 2}, {0, 2}}}}},
      {2,
       {{{{0, 0}, {1, 0}, {1, 1}}},
        {{{1, 0}, {2, 0}, {1, 1}}},
        {{{3, 1}, {1, 1}, {2, 0}}},
        {{{2, 0}, {3, 0}, {3, 1}}},
        {{{3, 0}, {4, 0}, {3, 1}}},
        {{{1, 1}, {3, 1}, {2, 3}}},
        {{{2, 3}, {4, 4}, {0, 4}}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("d = " + std::to_string(c.d));
    AGIM model;
    side_model(model, 1, {kNone, c.d, kNone, kNone});
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    EXPECT_EQ(model.Unique_NormalZB_Render(0), static_cast<int>(c.want.size()));
    expect_block_triangles(triangles_of(sink), c.want, tag_of(1, 0), true);
  }
}

TEST(ZipperNormalBlock, CountsByLevelDifference) {
  for (int d = 0; d <= 4; ++d) {
    SCOPED_TRACE("d = " + std::to_string(d));
    AGIM model;
    side_model(model, 1, {d, kNone, kNone, kNone});
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    const int n = model.Unique_NormalZB_Render(0);
    EXPECT_EQ(n, normal_block_count(d));
    EXPECT_EQ(sink.calls.size(), static_cast<std::size_t>(6 * n));  // normal + vertex, x3
  }
}

TEST(ZipperStitch, JoinsTwoOneLevelBlocksAndFansTheEnds) {
  AGIM model;
  side_model(model, 2, {1, kNone, kNone, kNone});
  RecordingDrawSink sink;
  ScopedDrawSink scope(sink);
  ASSERT_EQ(model.Stitch_ZB_Render(0), 4);
  const std::vector<Triangle> got = triangles_of(sink);
  ASSERT_EQ(got.size(), 4u);
  // (block tag, r, c) per vertex: the pair strip, then the end fans of block 0 and block 1.
  const int want[4][3][3] = {
      {{1, 1, 1}, {0, 1, 1}, {0, 2, 0}},
      {{0, 1, 1}, {1, 1, 1}, {0, 2, 2}},
      {{0, 0, 2}, {0, 0, 0}, {0, 1, 1}},
      {{1, 2, 2}, {1, 1, 1}, {1, 2, 0}},
  };
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) {
      const Vertex& v = got[static_cast<std::size_t>(i)].v[j];
      SCOPED_TRACE("triangle " + std::to_string(i) + " vertex " + std::to_string(j));
      EXPECT_EQ(v.z, want[i][j][0]);
      EXPECT_EQ(v.x, want[i][j][1]);
      EXPECT_EQ(v.y, want[i][j][2]);
      EXPECT_TRUE(v.own_normal);
      EXPECT_EQ(v.nz, -v.z - 1);
      EXPECT_FALSE(v.four) << "the stitch pass sends glVertex3f";
    }
}

TEST(ZipperStitch, SideTotalsFollowBlocksPairsAndEndFans) {
  // level 1 has one block a side: no pair, so no stitching and no end fans either.
  for (int level = 1; level <= 3; ++level)
    for (int d = 1; d <= 4; ++d) {
      SCOPED_TRACE("level " + std::to_string(level) + ", d " + std::to_string(d));
      AGIM model;
      side_model(model, level, {kNone, kNone, d, kNone});
      const int nb = blocks_per_side(level);
      RecordingDrawSink sink;
      ScopedDrawSink scope(sink);
      const int blocks = model.Unique_NormalZB_Render(0);
      const int stitches = model.Stitch_ZB_Render(0);
      EXPECT_EQ(blocks, nb * normal_block_count(d));
      EXPECT_EQ(stitches, nb >= 2 ? (nb - 1) * 2 * d + 2 * d : 0);
      EXPECT_EQ(triangles_of(sink).size(), static_cast<std::size_t>(blocks + stitches));
    }
}

TEST(ZipperStitch, CornerBlocksKeepTheirPairStripButLoseTheirEndFan) {
  AGIM model;
  side_model(model, 2, {2, 2, kNone, kNone});
  flag_corner(model, 1, 0);  // block 0 of side 1, partnered with block 1 of side 0
  RecordingDrawSink sink;
  ScopedDrawSink scope(sink);
  EXPECT_EQ(model.Unique_NormalZB_Render(0), 3 * 7);  // the corner block is skipped
  // Side 0: pair 4 + two end fans of 2; side 1: pair 4 + the last block's end fan.
  EXPECT_EQ(model.Stitch_ZB_Render(0), 8 + 6);
  // Only the pair strip of side 1 touches the corner block's samples: 2d triangles.
  int touching = 0;
  for (const Triangle& t : triangles_of(sink))
    if (t.v[0].z == tag_of(1, 0) || t.v[1].z == tag_of(1, 0) || t.v[2].z == tag_of(1, 0))
      ++touching;
  EXPECT_EQ(touching, 4);
}

TEST(ZipperCornerBlock, GeneralPyramidLeansAwayFromTheCorner) {
  struct Case {
    int d;
    bool first;
    std::vector<Tri> want;
  };
  const std::vector<Case> cases = {
      {1, true, {{{{0, 0}, {1, 0}, {2, 1}}}, {{{1, 0}, {2, 0}, {2, 1}}}}},
      {1, false, {{{{0, 0}, {1, 0}, {0, 1}}}, {{{1, 0}, {2, 0}, {0, 1}}}}},
      {2, true,
       {{{{0, 0}, {1, 0}, {2, 1}}},
        {{{1, 0}, {2, 0}, {2, 1}}},
        {{{3, 1}, {2, 1}, {2, 0}}},
        {{{2, 0}, {3, 0}, {3, 1}}},
        {{{3, 0}, {4, 0}, {3, 1}}},
        {{{2, 1}, {3, 1}, {3, 2}}}}},
      {2, false,
       {{{{0, 0}, {1, 0}, {1, 1}}},
        {{{1, 0}, {2, 0}, {1, 1}}},
        {{{2, 1}, {1, 1}, {2, 0}}},
        {{{2, 0}, {3, 0}, {2, 1}}},
        {{{3, 0}, {4, 0}, {2, 1}}},
        {{{1, 1}, {2, 1}, {1, 3}}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("d = " + std::to_string(c.d) + (c.first ? ", first" : ", last"));
    AGIM model;
    side_model(model, 2, {c.d, kNone, kNone, kNone});
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    const int block = c.first ? 0 : 1;
    EXPECT_EQ(model.General_CornerZB_Render(0, 0, block), static_cast<int>(c.want.size()));
    expect_block_triangles(triangles_of(sink), c.want, tag_of(0, block), true);
  }
}

TEST(ZipperCornerBlock, GeneralCountsAreOneBelowTheNormalBlock) {
  for (int d = 1; d <= 4; ++d)
    for (int block : {0, 1}) {
      AGIM model;
      side_model(model, 2, {d, kNone, kNone, kNone});
      RecordingDrawSink sink;
      ScopedDrawSink scope(sink);
      EXPECT_EQ(model.General_CornerZB_Render(0, 0, block), normal_block_count(d) - 1)
          << "d " << d << " block " << block;
      EXPECT_EQ(triangles_of(sink).size(), static_cast<std::size_t>(normal_block_count(d) - 1));
    }
}

TEST(ZipperCornerBlock, PassPicksSpecialOrGeneralByBothLevelDifferences) {
  struct Case {
    int d0, d1;       // level differences of sides 0 and 1, which meet at block 1 / block 0
    int want;         // corner block pass total
  };
  const Case cases[] = {{1, 1, 2 + 2}, {1, 2, 2 + 6}, {2, 1, 6 + 2}, {3, 4, 18 + 46}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.d0) + "/" + std::to_string(c.d1));
    AGIM model;
    side_model(model, 2, {c.d0, c.d1, kNone, kNone});
    flag_corner(model, 0, 1);
    flag_corner(model, 1, 0);
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    EXPECT_EQ(model.Unique_CornerZB_Render(0), c.want);
    EXPECT_EQ(triangles_of(sink).size(), static_cast<std::size_t>(c.want));
  }
  // The special pair: the three side samples fanned round the shared centre.
  AGIM model;
  side_model(model, 2, {1, 1, kNone, kNone});
  RecordingDrawSink sink;
  ScopedDrawSink scope(sink);
  EXPECT_EQ(model.Special_CornerZB_Render(0, 1, 0), 2);
  expect_block_triangles(triangles_of(sink), {{{{0, 0}, {1, 0}, {1, 1}}}, {{{1, 0}, {2, 0}, {1, 1}}}},
                         tag_of(1, 0), true);
}

// A vertex of the corner band: entry k of chain P (block B) or Q (partner A), or C or D.
struct Ref {
  char chain;  // 'P', 'Q', 'C', 'D'
  int k;
};

// A corner of side 0 with level difference dB and its partner side with dA; B is block 0 of
// side 0 (first) or its last block.
struct CornerModel {
  AGIM model;
  const AGIM_Zipper_Block* B = nullptr;
  const AGIM_Zipper_Block* A = nullptr;
  bool first = true;

  CornerModel(int dB, int dA, bool first_block) : first(first_block) {
    std::array<int, 4> diffs{dB, kNone, kNone, kNone};
    const int ps = first ? 3 : 1;
    diffs[static_cast<std::size_t>(ps)] = dA;
    side_model(model, 2, diffs);
    flag_corner(model, 0, first ? 0 : 1);
    flag_corner(model, ps, first ? 1 : 0);
    B = &block_at(model, 0, first ? 0 : 1);
    A = &block_at(model, ps, first ? 1 : 0);
  }

  // The sample a reference names.
  Point at(Ref ref) const {
    const int m = B->sample_count;
    switch (ref.chain) {
      case 'P': return (first ? B->head : B->tail)[static_cast<std::size_t>(ref.k)];
      case 'Q': return (first ? A->tail : A->head)[static_cast<std::size_t>(ref.k)];
      case 'C': return first ? B->samples[0][0] : B->samples[m - 1][0];
      default: return first ? B->samples[m - 1][m - 1] : B->samples[0][m - 1];
    }
  }
};

TEST(ZipperCornerStitch, EmitsTheDiagonalBandExactly) {
  struct Case {
    const char* name;
    int dB, dA;
    bool first;
    std::vector<std::array<Ref, 3>> want;
    std::size_t positions_only_from;  // triangles from here on send no normals
  };
  const std::vector<Case> cases = {
      {"(2,2) first", 2, 2, true,
       {{{{'P', 1}, {'Q', 1}, {'C', 0}}}, {{{'Q', 2}, {'P', 2}, {'D', 0}}},
        {{{'Q', 1}, {'P', 1}, {'Q', 2}}}, {{{'Q', 2}, {'P', 1}, {'P', 2}}}},
       2},
      {"(2,2) last", 2, 2, false,
       {{{{'Q', 1}, {'P', 1}, {'C', 0}}}, {{{'P', 2}, {'Q', 2}, {'D', 0}}},
        {{{'Q', 2}, {'P', 1}, {'Q', 1}}}, {{{'P', 2}, {'P', 1}, {'Q', 2}}}},
       2},
      {"(2,1) first", 2, 1, true,
       {{{{'P', 1}, {'Q', 1}, {'C', 0}}}, {{{'Q', 1}, {'P', 2}, {'D', 0}}},
        {{{'Q', 1}, {'P', 1}, {'P', 2}}}},
       3},
      {"(4,1) first", 4, 1, true,
       {{{{'P', 1}, {'Q', 1}, {'C', 0}}}, {{{'Q', 1}, {'P', 4}, {'D', 0}}},
        {{{'Q', 1}, {'P', 1}, {'P', 2}}}, {{{'Q', 1}, {'P', 2}, {'P', 3}}},
        {{{'Q', 1}, {'P', 3}, {'P', 4}}}},
       5},
      {"(1,3) first", 1, 3, true,
       {{{{'P', 1}, {'Q', 1}, {'C', 0}}}, {{{'Q', 3}, {'P', 1}, {'D', 0}}},
        {{{'P', 1}, {'Q', 2}, {'Q', 1}}}, {{{'P', 1}, {'Q', 3}, {'Q', 2}}}},
       4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CornerModel cm(c.dB, c.dA, c.first);
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    EXPECT_EQ(cm.model.Stitch_CornerZB_Render(0), static_cast<int>(c.want.size()));
    const std::vector<Triangle> got = triangles_of(sink);
    ASSERT_EQ(got.size(), c.want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      for (int j = 0; j < 3; ++j) {
        SCOPED_TRACE("triangle " + std::to_string(i) + " vertex " + std::to_string(j));
        const Point p = cm.at(c.want[i][static_cast<std::size_t>(j)]);
        const Vertex& v = got[i].v[j];
        EXPECT_EQ(v.x, p.x);
        EXPECT_EQ(v.y, p.y);
        EXPECT_EQ(v.z, p.z);
        EXPECT_TRUE(v.four);
        EXPECT_EQ(v.own_normal, i < c.positions_only_from);
        if (v.own_normal) {
          EXPECT_EQ(v.nz, p.nz);
        }
      }
  }
}

TEST(ZipperCornerStitch, CountsByLevelDifferences) {
  struct Case {
    int dB, dA, want;
  };
  const Case cases[] = {{1, 1, 0}, {1, 2, 3}, {1, 3, 4}, {2, 2, 4}, {2, 4, 6},
                        {3, 3, 6}, {4, 1, 5}, {4, 4, 8}, {3, 1, 4}, {1, 4, 5}};
  for (const Case& c : cases)
    for (bool first : {true, false}) {
      SCOPED_TRACE(std::to_string(c.dB) + "," + std::to_string(c.dA) + (first ? " first" : " last"));
      CornerModel cm(c.dB, c.dA, first);
      RecordingDrawSink sink;
      ScopedDrawSink scope(sink);
      EXPECT_EQ(cm.model.Stitch_CornerZB_Render(0), c.want);
      EXPECT_EQ(triangles_of(sink).size(), static_cast<std::size_t>(c.want));
    }
}

TEST(ZipperCornerStitch, OnlySidesZeroAndTwoStartACorner) {
  // The corner of sides 1 and 2 seen from side 1's last block: only side 2's first block
  // starts it, and only when that block is flagged too.
  AGIM model;
  side_model(model, 2, {kNone, 2, 3, kNone});
  flag_corner(model, 1, 1);
  {
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    EXPECT_EQ(model.Stitch_CornerZB_Render(0), 0);
    EXPECT_TRUE(sink.calls.empty());
  }
  flag_corner(model, 2, 0);
  RecordingDrawSink sink;
  ScopedDrawSink scope(sink);
  EXPECT_EQ(model.Stitch_CornerZB_Render(0), 5);
}

TEST(ZipperCornerStitch, SingleBlockSideIsVisitedTwiceAsAFirstBlock) {
  // A patch at level 1: block 0 of side 0 is both end blocks. Both visits take it as a first
  // block partnered with block 0 of side 3, whose chain is its head.
  AGIM model;
  side_model(model, 1, {2, kNone, kNone, 3});
  AGIM_Zipper_Block& B = block_at(model, 0, 0);
  AGIM_Zipper_Block& A = block_at(model, 3, 0);
  B.is_corner = 1;
  set_corner_chains(B, true, 3);
  RecordingDrawSink sink;
  ScopedDrawSink scope(sink);
  EXPECT_EQ(model.Unique_CornerZB_Render(0), 2 * 6);
  EXPECT_EQ(model.Stitch_CornerZB_Render(0), 2 * 5);
  const std::vector<Triangle> got = triangles_of(sink);
  ASSERT_EQ(got.size(), 22u);
  // The first band triangle is (P[1], Q[1], C) with Q taken from the partner's head.
  const Triangle& t = got[12];
  EXPECT_EQ(t.v[0].x, B.head[1].x);
  EXPECT_EQ(t.v[0].y, B.head[1].y);
  EXPECT_EQ(t.v[1].x, A.head[1].x);
  EXPECT_EQ(t.v[1].y, A.head[1].y);
  EXPECT_EQ(t.v[1].z, tag_of(3, 0));
  EXPECT_EQ(t.v[2].x, 0);
  EXPECT_EQ(t.v[2].y, 0);
}

// Runs the driver on `model`, returning what it printed and the calls it made.
std::string run_driver(AGIM& model, RecordingDrawSink& sink) {
  ScopedDrawSink scope(sink);
  testing::internal::CaptureStdout();
  model.Render_ZipperAGIM();
  return testing::internal::GetCapturedStdout();
}

TEST(ZipperDriver, OneBatchAndThePrintedTotalIsWhatWasDrawn) {
  AGIM model;
  side_model(model, 3, {1, 2, 3, 4});
  flag_corner(model, 0, 0);
  flag_corner(model, 3, 3);
  flag_corner(model, 1, 3);
  flag_corner(model, 2, 0);
  RecordingDrawSink sink;
  const std::string out = run_driver(model, sink);
  ASSERT_GE(sink.calls.size(), 3u);
  EXPECT_EQ(sink.calls[0].op, DrawCall::PointSize);
  EXPECT_EQ(sink.calls[0].a[0], 10.0);
  EXPECT_EQ(sink.calls[1].op, DrawCall::Begin);
  EXPECT_EQ(sink.calls[1].a[0], 4.0);  // GL_TRIANGLES
  EXPECT_EQ(sink.calls.back().op, DrawCall::End);
  const std::size_t drawn = triangles_of(sink).size();
  EXPECT_GT(drawn, 0u);
  EXPECT_EQ(out, std::to_string(drawn) + "\n");
}

TEST(ZipperDriver, PatchWithoutZipperDrawsNothingDespiteStaleSideFlags) {
  AGIM model;
  side_model(model, 2, {2, 2, 2, 2});
  model.elements[0].has_zipper = false;  // blocks and side flags left from an earlier level
  RecordingDrawSink sink;
  EXPECT_EQ(run_driver(model, sink), "0\n");
  ASSERT_EQ(sink.calls.size(), 3u);  // point size, begin, end
  AGIM empty;
  RecordingDrawSink sink2;
  EXPECT_EQ(run_driver(empty, sink2), "0\n");
}

// Every pass on `model`, with the total of their counts; the recorded calls land in `sink`.
int all_passes(AGIM& model, RecordingDrawSink& sink) {
  ScopedDrawSink scope(sink);
  return model.Unique_NormalZB_Render(0) + model.Unique_CornerZB_Render(0) +
         model.Stitch_ZB_Render(0) + model.Stitch_CornerZB_Render(0);
}

TEST(ZipperGuards, SidesOfLevelDifferenceZeroDrawNothing) {
  AGIM model;
  side_model(model, 3, {0, 0, kNone, kNone});
  flag_corner(model, 0, 3);
  flag_corner(model, 1, 0);
  RecordingDrawSink sink;
  EXPECT_EQ(all_passes(model, sink), 0);
  EXPECT_TRUE(sink.calls.empty());
}

TEST(ZipperGuards, CornerWithoutADrawablePartnerDrawsNothingForThatCorner) {
  struct Case {
    const char* name;
    std::array<int, 4> diffs;
  };
  // Block 0 of side 0 is flagged; its partner is the last block of side 3.
  const Case cases[] = {
      {"partner side not a zipper side", {2, kNone, kNone, kNone}},
      {"partner level difference 0", {2, kNone, kNone, 0}},
      {"own level difference 0", {0, kNone, kNone, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AGIM model;
    side_model(model, 2, c.diffs);
    AGIM_Zipper_Block& zb = block_at(model, 0, 0);
    zb.is_corner = 1;
    if (zb.level_diff >= 1) set_corner_chains(zb, true, 2);
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    EXPECT_EQ(model.Unique_CornerZB_Render(0), 0);
    EXPECT_EQ(model.Stitch_CornerZB_Render(0), 0);
    EXPECT_TRUE(sink.calls.empty());
  }
}

TEST(ZipperGuards, BlocksWithMissingOrShortListsAreLeftOut) {
  // A pair whose right block lost its head: no pair strip; the end fans need only their own
  // block's list.
  {
    AGIM model;
    side_model(model, 2, {2, kNone, kNone, kNone});
    block_at(model, 0, 1).head.clear();
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    EXPECT_EQ(model.Stitch_ZB_Render(0), 2 + 2);
    EXPECT_EQ(model.Unique_NormalZB_Render(0), 14) << "the pyramids need only the samples";
  }
  // A tail one entry short, a grid that disagrees with sample_count, a side array of the
  // wrong length for the patch level.
  {
    AGIM model;
    side_model(model, 2, {2, 2, 2, kNone});
    block_at(model, 0, 0).tail.pop_back();
    block_at(model, 1, 1).samples.resize(3);
    (*model.elements[0].zipper_blocks)[2].pop_back();
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    // Side 0: both end fans; side 1: block 0's end fan; side 2: nothing.
    EXPECT_EQ(model.Stitch_ZB_Render(0), 2 + 2 + 2);
    EXPECT_EQ(model.Unique_NormalZB_Render(0), 7 + 7 + 7);
  }
  // Corner chains too short for their level difference.
  {
    CornerModel cm(3, 2, true);
    const_cast<AGIM_Zipper_Block*>(cm.A)->tail.resize(2);
    RecordingDrawSink sink;
    ScopedDrawSink scope(sink);
    EXPECT_EQ(cm.model.Stitch_CornerZB_Render(0), 0);
  }
}

TEST(ZipperGuards, OutOfRangeArgumentsReturnZero) {
  AGIM model;
  side_model(model, 2, {2, 2, kNone, kNone});
  flag_corner(model, 0, 0);
  Point pair[2] = {};
  RecordingDrawSink sink;
  ScopedDrawSink scope(sink);
  EXPECT_EQ(model.Unique_NormalZB_Render(-1), 0);
  EXPECT_EQ(model.Stitch_ZB_Render(1), 0);
  EXPECT_EQ(model.Unique_CornerZB_Render(7), 0);
  EXPECT_EQ(model.Stitch_CornerZB_Render(-3), 0);
  EXPECT_EQ(model.Special_CornerZB_Render(0, 4, 0), 0);
  EXPECT_EQ(model.Special_CornerZB_Render(0, 0, 0), 0) << "level difference 2 is not special";
  EXPECT_EQ(model.General_CornerZB_Render(0, 0, 2), 0);
  EXPECT_EQ(model.General_CornerZB_Render(0, 2, 0), 0) << "side 2 is not a zipper side";
  EXPECT_EQ(model.Stitch_CornerZB_SameLV(0, 0, 0, 0, 3, 1, nullptr), 0);
  EXPECT_EQ(model.Stitch_CornerZB_DiffOneLV(0, 5, 0, 0, 3, 1, pair), 0);
  EXPECT_EQ(model.Stitch_CornerZB_DiffBigLV(0, 0, 0, -1, 3, 1, pair), 0);
  EXPECT_TRUE(sink.calls.empty());
}

}  // namespace
}  // namespace agim::test
