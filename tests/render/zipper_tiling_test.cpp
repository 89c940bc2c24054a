// The zipper geometry does what it is for: on a flat patch whose positions are its own
// (row, column) indices, the block pass and the stitch pass tile the band of boundary cells
// along a side exactly once, and with corner blocks flagged the corner pyramids, the corner
// stitching and the stitch pass tile every corner cell exactly once, all counter-clockwise.
// The models go through the real crack-fixing preparation.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "common/TestModels.h"
#include "model/AGIM.h"
#include "model/Level.h"
#include "render/DrawSink.h"
#include "zipper_fixture.h"

namespace agim::test {
namespace {

constexpr int kNone = 0;  // no finer neighbour across this side

// Patch 0 at `level`, stored at level + 4, with direction codes `codes`; across side s a
// patch finer by diffs[s] levels (kNone: a patch of the same level). Prepared as a loaded
// model is, then, with `corners`, in crack-free mode.
void prepare(AGIM& model, int level, std::array<int, 4> diffs, std::array<int, 4> codes,
             bool corners) {
  PatchSpec centre{level, level + 4, {1, 2, 3, 4}, {codes[0], codes[1], codes[2], codes[3]}};
  std::vector<PatchSpec> around;
  for (int s = 0; s < 4; ++s) {
    const int l = level + diffs[static_cast<std::size_t>(s)];
    around.push_back(PatchSpec{l, l, {0, 0, 0, 0}, {0, 0, 0, 0}});
  }
  build_model(model, {centre, around[0], around[1], around[2], around[3]});
  model.Prepare_Zipper_Data();
  if (corners) model.Flag_CornerZB();
}

// Twice the signed area of (a, b, c) in the patch's (row, column) frame: positive when the
// triangle runs counter-clockwise, as the quad (r,c), (r+1,c), (r+1,c+1), (r,c+1) does.
double twice_area(const Vertex& a, const Vertex& b, const Vertex& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Counts, for every point of a fine lattice over the patch (K points a stored step, shifted
// off every edge), how many of the triangles contain it.
class Coverage {
 public:
  static constexpr int K = 4;

  explicit Coverage(int n) : extent_((n - 1) * K), hits_(static_cast<std::size_t>(extent_ * extent_), 0) {}

  // The lattice point (i, j) in patch coordinates.
  static double coord(int i, double shift) { return (i + 0.5) / K + shift; }

  void add(const Triangle& t) {
    const Vertex* v = t.v;
    const double lo_x = std::min({v[0].x, v[1].x, v[2].x}), hi_x = std::max({v[0].x, v[1].x, v[2].x});
    const double lo_y = std::min({v[0].y, v[1].y, v[2].y}), hi_y = std::max({v[0].y, v[1].y, v[2].y});
    for (int i = static_cast<int>(std::floor(lo_x * K)) - 1; i <= hi_x * K; ++i)
      for (int j = static_cast<int>(std::floor(lo_y * K)) - 1; j <= hi_y * K; ++j) {
        if (!inside(t, coord(i, kShiftX), coord(j, kShiftY))) continue;
        if (i < 0 || j < 0 || i >= extent_ || j >= extent_)
          ++outside_;
        else
          ++hits_[static_cast<std::size_t>(i * extent_ + j)];
      }
  }

  int hits(int i, int j) const { return hits_[static_cast<std::size_t>(i * extent_ + j)]; }
  int extent() const { return extent_; }
  int outside() const { return outside_; }
  static constexpr double kShiftX = 0.0137;
  static constexpr double kShiftY = 0.0071;

 private:
  static bool inside(const Triangle& t, double x, double y) {
    const Vertex p{x, y, 0, 0, 0, 0, false, false};
    const double a = twice_area(t.v[0], t.v[1], p);
    const double b = twice_area(t.v[1], t.v[2], p);
    const double c = twice_area(t.v[2], t.v[0], p);
    return (a > 0 && b > 0 && c > 0) || (a < 0 && b < 0 && c < 0);
  }

  int extent_;
  std::vector<int> hits_;
  int outside_ = 0;
};

// The triangles every zipper pass draws for patch 0, checked to be consistent with the counts
// the passes return.
std::vector<Triangle> draw_all(AGIM& model) {
  RecordingDrawSink sink;
  ScopedDrawSink scope(sink);
  const int n = model.Unique_NormalZB_Render(0) + model.Unique_CornerZB_Render(0) +
                model.Stitch_ZB_Render(0) + model.Stitch_CornerZB_Render(0);
  std::vector<Triangle> t = triangles_of(sink);
  EXPECT_EQ(static_cast<int>(t.size()), n);
  return t;
}

// True when the lattice point lies in the band of boundary cells along side s: within `span`
// stored steps of that side.
bool in_band(int s, double x, double y, int span, int n) {
  switch (s) {
    case 0: return x < span;
    case 1: return y < span;
    case 2: return x > n - 1 - span;
    default: return y > n - 1 - span;
  }
}

// Checks that `tris` cover exactly the points of the bands of the sides in `sides`, each once,
// all with winding `sign` (+1 counter-clockwise) and with areas adding up to the bands' area.
// With `allow_flat`, triangles of zero area pass (they cover nothing); `flat` counts them.
void expect_tiles_bands(const std::vector<Triangle>& tris, const std::vector<int>& sides, int n,
                        int span, const std::array<int, 4>& sign, bool allow_flat = false,
                        int* flat = nullptr) {
  Coverage cover(n);
  double area = 0;
  for (const Triangle& t : tris) {
    const double a2 = twice_area(t.v[0], t.v[1], t.v[2]);
    area += std::fabs(a2) / 2;
    cover.add(t);
    // Winding is judged in the frame of the side the triangle lies along.
    const double cx = (t.v[0].x + t.v[1].x + t.v[2].x) / 3, cy = (t.v[0].y + t.v[1].y + t.v[2].y) / 3;
    int s = -1;
    for (int k : sides)
      if (in_band(k, cx, cy, span, n)) s = k;
    ASSERT_NE(s, -1) << "triangle outside every band";
    if (a2 == 0 && allow_flat) {
      if (flat) ++*flat;
      continue;
    }
    EXPECT_GT(a2 * sign[static_cast<std::size_t>(s)], 0)
        << "winding, triangle (" << t.v[0].x << "," << t.v[0].y << ") (" << t.v[1].x << ","
        << t.v[1].y << ") (" << t.v[2].x << "," << t.v[2].y << ")";
  }
  EXPECT_EQ(cover.outside(), 0);
  double band_area = 0;
  int wrong = 0;
  for (int i = 0; i < cover.extent(); ++i)
    for (int j = 0; j < cover.extent(); ++j) {
      const double x = Coverage::coord(i, Coverage::kShiftX);
      const double y = Coverage::coord(j, Coverage::kShiftY);
      bool in = false;
      for (int k : sides) in = in || in_band(k, x, y, span, n);
      band_area += in ? 1.0 / (Coverage::K * Coverage::K) : 0.0;
      if (cover.hits(i, j) != (in ? 1 : 0) && ++wrong <= 5)
        ADD_FAILURE() << "point (" << x << ", " << y << ") covered " << cover.hits(i, j)
                      << " times";
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_NEAR(area, band_area, 1e-9);
}

TEST(ZipperTiling, BlockAndStitchPassesTileOneSideBandOnce) {
  // (direction codes, the winding each side's walk gives in the patch frame)
  const std::array<int, 4> around{1, 0, 0, 1}, reverse{0, 1, 1, 0};
  for (const auto& [codes, sign] : {std::pair{around, std::array{1, 1, 1, 1}},
                                    std::pair{reverse, std::array{-1, -1, -1, -1}}})
    for (int level = 2; level <= 3; ++level)
      for (int s = 0; s < 4; ++s)
        for (int d = 1; d <= 4; ++d) {
          SCOPED_TRACE("codes " + std::to_string(codes[0]) + " level " + std::to_string(level) +
                       " side " + std::to_string(s) + " d " + std::to_string(d));
          std::array<int, 4> diffs{kNone, kNone, kNone, kNone};
          diffs[static_cast<std::size_t>(s)] = d;
          AGIM model;
          prepare(model, level, diffs, codes, false);
          ASSERT_TRUE(model.elements[0].side_zipper[s]);
          const std::vector<Triangle> tris = draw_all(model);
          const int n = grid_size_for_level(level + 4);
          expect_tiles_bands(tris, {s}, n, static_cast<int>(pow2(4)), sign);
        }
}

TEST(ZipperTiling, CornerCellsAreTiledOnceForEveryPairOfLevelDifferences) {
  // Sides 0 and 2 finer by a, sides 1 and 3 by b: every corner meets the pair (a, b), seen
  // from both sides' first and last blocks.
  for (int level = 2; level <= 3; ++level)
    for (int a = 1; a <= 4; ++a)
      for (int b = 1; b <= 4; ++b) {
        SCOPED_TRACE("level " + std::to_string(level) + " pair " + std::to_string(a) + "," +
                     std::to_string(b));
        AGIM model;
        prepare(model, level, {a, b, a, b}, {1, 0, 0, 1}, true);
        const int nb = blocks_per_side(level);
        for (int s = 0; s < 4; ++s) {
          ASSERT_TRUE((*model.elements[0].zipper_blocks)[s][0].is_corner);
          ASSERT_TRUE((*model.elements[0].zipper_blocks)[s][static_cast<std::size_t>(nb - 1)].is_corner);
        }
        const std::vector<Triangle> tris = draw_all(model);
        const int n = grid_size_for_level(level + 4);
        // Between the two corner blocks of a two-block side, both pyramids lean towards the
        // edge they share, and parts of the strip across it collapse to zero-area triangles;
        // they cover nothing. Beside a normal block the strip has none.
        int flat = 0;
        expect_tiles_bands(tris, {0, 1, 2, 3}, n, static_cast<int>(pow2(4)), {1, 1, 1, 1}, true,
                           &flat);
        if (nb > 2) {
          EXPECT_EQ(flat, 0);
        }
        // The driver draws the same triangles in one batch and prints their number.
        RecordingDrawSink sink;
        ScopedDrawSink scope(sink);
        testing::internal::CaptureStdout();
        model.Render_ZipperAGIM();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), std::to_string(tris.size()) + "\n");
        EXPECT_EQ(triangles_of(sink).size(), tris.size());
      }
}

}  // namespace
}  // namespace agim::test
