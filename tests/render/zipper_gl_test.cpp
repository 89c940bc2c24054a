// The zipper driver on a real OpenGL context: a flat index-grid patch whose four sides border
// finer patches, corner blocks flagged, drawn with back faces culled. Every pixel of the band
// of boundary cells is filled (no cracks, nothing facing away) and the patch interior is not.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/TestModels.h"
#include "model/AGIM.h"
#include "model/Level.h"
#include "render/HeadlessContext.h"

namespace agim::test {
namespace {

TEST(ZipperGL, BandIsFilledFrontFacingAndInteriorLeftEmpty) {
  constexpr int kSize = 128;
  HeadlessContext ctx(kSize, kSize);
  if (!ctx.ok()) GTEST_SKIP() << ctx.error();

  // Patch 0 at level 3 stored at level 7 (65 x 65, four cells of 16 steps a side); its sides
  // border patches finer by 1, 4, 2 and 3 levels.
  AGIM model;
  build_model(model, {PatchSpec{3, 7, {1, 2, 3, 4}, {1, 0, 0, 1}},
                      PatchSpec{4, 4, {0, 0, 0, 0}, {0, 0, 0, 0}},
                      PatchSpec{7, 7, {0, 0, 0, 0}, {0, 0, 0, 0}},
                      PatchSpec{5, 5, {0, 0, 0, 0}, {0, 0, 0, 0}},
                      PatchSpec{6, 6, {0, 0, 0, 0}, {0, 0, 0, 0}}});
  model.Prepare_Zipper_Data();
  model.Flag_CornerZB();

  // Window x = patch row, window y = patch column: counter-clockwise in (row, column) is
  // counter-clockwise on screen, so front faces are the ones the renderer should produce.
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 64, 0, 64, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glColor3f(1, 1, 1);
  testing::internal::CaptureStdout();
  model.Render_ZipperAGIM();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_NE(printed, "0\n");

  const std::vector<std::uint8_t> pixels = ctx.read_pixels();
  ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kSize * kSize * 4));
  int holes = 0;
  int spill = 0;
  for (int py = 0; py < kSize; ++py)
    for (int px = 0; px < kSize; ++px) {
      // Pixel centre in patch units; rows of read_pixels run top-down.
      const double row = (px + 0.5) * 64.0 / kSize;
      const double col = (py + 0.5) * 64.0 / kSize;
      const bool lit =
          pixels[(static_cast<std::size_t>(kSize - 1 - py) * kSize + static_cast<std::size_t>(px)) * 4] > 128;
      // The band is the 16 steps along each side; pixels within a pixel of its inner edge
      // may go either way.
      const double margin = 0.5;
      const bool in_band = row < 16 - margin || row > 48 + margin || col < 16 - margin ||
                           col > 48 + margin;
      const bool interior = row > 16 + margin && row < 48 - margin && col > 16 + margin &&
                            col < 48 - margin;
      if (in_band && !lit) ++holes;
      if (interior && lit) ++spill;
    }
  EXPECT_EQ(holes, 0);
  EXPECT_EQ(spill, 0);
}

}  // namespace
}  // namespace agim::test
