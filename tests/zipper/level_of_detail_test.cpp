// Level-of-detail change by a control value, and the view test against the focus rectangle
// in a real offscreen OpenGL context; both rebuild the zipper data.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/TestModels.h"
#include "model/AGIM.h"
#include "render/HeadlessContext.h"

namespace {

using agim::test::build_model;
using agim::test::PatchSpec;

// True when the n samples at a and b are the same bytes (empty ranges are equal).
bool same_points(const Point* a, const Point* b, std::size_t n) {
  return n == 0 || std::memcmp(a, b, n * sizeof(Point)) == 0;
}

void prepare(AGIM& m) {
  m.Prepare_Zipper_Data();
}

// Three patches at levels 4, 3, 2 (storage 5, 4, 3) in a ring, as read and prepared.
void ring(AGIM& m, int l0 = 4, int l1 = 3, int l2 = 2) {
  PatchSpec a{l0, 5, {1, 2, 1, 2}};
  PatchSpec b{l1, 4, {0, 2, 0, 2}};
  PatchSpec c{l2, 3, {0, 1, 0, 1}};
  build_model(m, {a, b, c});
  prepare(m);
}

std::vector<int> levels(const AGIM& m) {
  std::vector<int> out;
  for (const AGIM_element& e : m.elements) {
    EXPECT_EQ(e.grid_size, (1 << (e.level - 1)) + 1);
    out.push_back(e.level);
  }
  return out;
}

TEST(LODChange, ThresholdsAreStrictAndTheReferenceMovesOnlyWithALevel) {
  struct Step {
    double value;
    std::vector<int> levels;
    float reference;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* what;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"exactly 2.0 below", {{-4.0, {4, 3, 2}, -2.0f}}},
      {"exactly 2.0 above", {{0.0, {4, 3, 2}, -2.0f}}},
      {"NaN", {{nan, {4, 3, 2}, -2.0f}}},
      {"far above right after reading", {{10.0, {4, 3, 2}, -2.0f}}},
      {"one step coarser, then the same value again",
       {{-4.5, {3, 2, 2}, -4.5f}, {-4.5, {3, 2, 2}, -4.5f}}},
      {"floor at level 2",
       {{-100.0, {3, 2, 2}, -100.0f}, {-200.0, {2, 2, 2}, -200.0f}, {-300.0, {2, 2, 2}, -200.0f}}},
      {"ceiling at the loaded level",
       {{-100.0, {3, 2, 2}, -100.0f}, {-200.0, {2, 2, 2}, -200.0f}, {0.0, {3, 3, 2}, 0.0f},
        {10.0, {4, 3, 2}, 10.0f}, {20.0, {4, 3, 2}, 10.0f}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AGIM m;
    ring(m);
    for (const Step& s : c.steps) {
      m.LOD_Change(s.value);
      EXPECT_EQ(levels(m), s.levels) << "value " << s.value;
      EXPECT_EQ(m.lod_reference, s.reference) << "value " << s.value;
    }
  }
}

TEST(LODChange, LevelsStayWithinStorageEvenWhenTheLoadedLevelIsAbove) {
  // An in-memory patch whose loaded level exceeds its storage never refines past storage, and a
  // storage level 1 patch is never coarsened.
  AGIM m;
  build_model(m, {PatchSpec{3, 3, {1, 1, 1, 1}}, PatchSpec{1, 1, {0, 0, 0, 0}}});
  m.elements[0].base_level = 5;
  m.LOD_Change(-10.0);
  EXPECT_EQ(levels(m), (std::vector<int>{2, 1}));
  m.LOD_Change(10.0);
  m.LOD_Change(30.0);
  m.LOD_Change(50.0);
  EXPECT_EQ(levels(m), (std::vector<int>{3, 1}));
}

// Zipper data compared block by block; links compared by the place of the block they name.
void expect_same_zipper_data(const AGIM& a, const AGIM& b) {
  ASSERT_EQ(a.element_count, b.element_count);
  for (int e = 0; e < a.element_count; ++e) {
    const AGIM_element& x = a.elements[static_cast<std::size_t>(e)];
    const AGIM_element& y = b.elements[static_cast<std::size_t>(e)];
    ASSERT_EQ(x.has_zipper, y.has_zipper) << e;
    if (!x.has_zipper) continue;
    for (int s = 0; s < 4; ++s) {
      ASSERT_EQ(x.side_zipper[s], y.side_zipper[s]);
      const auto& bx = (*x.zipper_blocks)[s];
      const auto& by = (*y.zipper_blocks)[s];
      ASSERT_EQ(bx.size(), by.size());
      for (std::size_t k = 0; k < bx.size(); ++k) {
        EXPECT_EQ(bx[k].level_diff, by[k].level_diff);
        ASSERT_EQ(bx[k].samples.sample_count(), by[k].samples.sample_count());
        EXPECT_TRUE(same_points(bx[k].samples.data(), by[k].samples.data(), bx[k].samples.sample_count()));
        ASSERT_EQ(bx[k].head.size(), by[k].head.size());
        EXPECT_TRUE(same_points(bx[k].head.data(), by[k].head.data(), bx[k].head.size()));
        EXPECT_TRUE(same_points(bx[k].tail.data(), by[k].tail.data(), bx[k].tail.size()));
        const AGIM_Zipper_Block* lx = bx[k].corner_neighbour;
        const AGIM_Zipper_Block* ly = by[k].corner_neighbour;
        ASSERT_EQ(lx == nullptr, ly == nullptr);
        if (lx) {
          EXPECT_EQ(lx->owner_element, ly->owner_element);
          EXPECT_EQ(lx->owner_side, ly->owner_side);
          EXPECT_EQ(lx->block_index, ly->block_index);
        }
      }
    }
  }
}

TEST(LODChange, RebuildsTheZipperDataOnEveryCall) {
  AGIM m;
  ring(m);
  // A call that changes nothing still rebuilds: a damaged head list is made whole again.
  AGIM_Zipper_Block& zb = (*m.elements[1].zipper_blocks)[0][0];
  ASSERT_EQ(zb.head.size(), 2u);
  zb.head.clear();
  m.LOD_Change(-4.0);
  EXPECT_EQ((*m.elements[1].zipper_blocks)[0][0].head.size(), 2u);

  // After a step the data equals a fresh preparation at the new levels.
  m.LOD_Change(-4.5);
  AGIM fresh;
  ring(fresh, 3, 2, 2);
  expect_same_zipper_data(m, fresh);
}

// --- View test ---------------------------------------------------------------------------

// With identity matrices and the viewport (0, 0, 2, 2), a point (x, y, z) projects exactly to
// the window point (x + 1, y + 1).
// One context serves every test of the suite and stays until the process ends, so the GL
// driver is loaded once and never unloaded while its start-up allocations are live.
class ViewportTest : public testing::Test {
 protected:
  static agim::HeadlessContext& context() {
    static agim::HeadlessContext* ctx = new agim::HeadlessContext(4, 4);
    return *ctx;
  }
  void SetUp() override {
    if (!context().ok()) GTEST_SKIP() << context().error();
    ASSERT_TRUE(context().make_current());
    glViewport(0, 0, 2, 2);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
};

struct Corners {
  float p[4][2];  // window x, y of corners [0][0], [N-1][0], [0][N-1], [N-1][N-1]
};

// Builds patches whose four stored corners project to the given window points; every other
// sample sits at the first corner.
void corner_model(AGIM& m, std::initializer_list<PatchSpec> specs, std::vector<Corners> corners) {
  std::vector<int> n;
  for (const PatchSpec& s : specs) n.push_back((1 << (s.max_level - 1)) + 1);
  build_model(m, specs, [&](int id, int r, int c, Point& p, Point& nrm) {
    p = Point{};
    nrm = Point{};
    nrm.z = 1.0f;
    const int last = n[static_cast<std::size_t>(id)] - 1;
    const int k = (r == last && c == 0) ? 1 : (r == 0 && c == last) ? 2 : (r == last && c == last) ? 3 : 0;
    p.x = corners[static_cast<std::size_t>(id)].p[k][0] - 1.0f;
    p.y = corners[static_cast<std::size_t>(id)].p[k][1] - 1.0f;
  });
  prepare(m);
}

constexpr float kOut = 10.0f;      // a window coordinate outside the focus rectangle
constexpr float kMidX = 461.0f;    // inside in x
constexpr float kMidY = 272.0f;    // inside in y

TEST_F(ViewportTest, OnlyACornerStrictlyInsideTheFocusKeepsTheLoadedLevel) {
  const float min_x = 296.833f, max_y = 436.167f;
  struct Case {
    const char* what;
    Corners corners;
    bool in_view;
  };
  const Case cases[] = {
      {"all corners outside", {{{kOut, kOut}, {kOut, 900}, {900, kOut}, {900, 900}}}, false},
      {"first corner inside", {{{kMidX, kMidY}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}}, true},
      {"second corner inside", {{{kOut, kOut}, {kMidX, kMidY}, {kOut, kOut}, {kOut, kOut}}}, true},
      {"last corner inside", {{{kOut, kOut}, {kOut, kOut}, {kOut, kOut}, {kMidX, kMidY}}}, true},
      {"on the left edge", {{{min_x, kMidY}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}}, false},
      {"on the top edge", {{{kMidX, max_y}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}}, false},
      {"just inside the left edge",
       {{{std::nextafter(min_x, 1000.0f), kMidY}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}}, true},
      {"covering the focus with no corner in it", {{{0, 0}, {0, 900}, {900, 0}, {900, 900}}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AGIM m;
    corner_model(m, {PatchSpec{5, 5, {0, 0, 0, 0}}}, {c.corners});
    m.Viewport_Test();
    EXPECT_EQ(m.elements[0].level, c.in_view ? 5 : 3);
    EXPECT_EQ(m.elements[0].grid_size, c.in_view ? 17 : 5);
    EXPECT_EQ(m.elements[0].out_of_view, !c.in_view);
  }
}

TEST_F(ViewportTest, OutOfViewLevelNeverExceedsStorageAndInViewRestoresTheLoadedLevel) {
  const Corners out{{{kOut, kOut}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}};
  const Corners in{{{kMidX, kMidY}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}};
  AGIM m;
  // Patch 0: storage 2, out of view; patch 1: storage 1; patch 2: coarsened earlier, in view.
  corner_model(m, {PatchSpec{2, 2, {1, 1, 1, 1}}, PatchSpec{1, 1, {0, 0, 0, 0}}, PatchSpec{4, 6, {0, 0, 0, 0}}},
               {out, out, in});
  m.elements[2].level = 2;
  m.Viewport_Test();
  EXPECT_EQ(levels(m), (std::vector<int>{2, 1, 4}));
  EXPECT_TRUE(m.elements[0].out_of_view);
  EXPECT_TRUE(m.elements[1].out_of_view);
  EXPECT_FALSE(m.elements[2].out_of_view);
}

TEST_F(ViewportTest, ACornerThatCannotBeProjectedIsNotInside) {
  // A projection whose w is -z sends every corner at z = 0 to w = 0: gluProject fails. The
  // focus is widened to hold the window origin, so an unset result would count as inside.
  GLdouble w_from_z[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -1, 0, 0, 0, 0};
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(w_from_z);
  glMatrixMode(GL_MODELVIEW);
  AGIM m;
  corner_model(m, {PatchSpec{5, 5, {0, 0, 0, 0}}}, {Corners{{{1, 1}, {1, 1}, {1, 1}, {1, 1}}}});
  m.focus_min_x = m.focus_min_y = -100.0f;
  m.focus_max_x = m.focus_max_y = 100.0f;
  m.Viewport_Test();
  EXPECT_TRUE(m.elements[0].out_of_view);
  EXPECT_EQ(m.elements[0].level, 3);
}

TEST_F(ViewportTest, RebuildsBlocksWithoutCornerLinks) {
  // Patch 0 in view at level 5; patch 1 out of view drops to 3 and gets zipper blocks towards
  // patch 0 with head/tail lists but no corner links.
  const Corners out{{{kOut, kOut}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}};
  const Corners in{{{kMidX, kMidY}, {kOut, kOut}, {kOut, kOut}, {kOut, kOut}}};
  AGIM m;
  corner_model(m, {PatchSpec{5, 5, {1, 0, 0, 0}}, PatchSpec{5, 5, {0, 1, 1, 1}}}, {in, out});
  EXPECT_FALSE(m.elements[1].has_zipper);
  m.Viewport_Test();
  const AGIM_element& e = m.elements[1];
  ASSERT_TRUE(e.has_zipper);
  EXPECT_TRUE(e.side_zipper[0]);
  const auto& blocks = (*e.zipper_blocks)[0];
  ASSERT_EQ(blocks.size(), 4u);
  for (const AGIM_Zipper_Block& zb : blocks) {
    EXPECT_EQ(zb.level_diff, 2);
    EXPECT_EQ(zb.head.size(), 3u);
    EXPECT_EQ(zb.corner_neighbour, nullptr);
  }
}

}  // namespace
