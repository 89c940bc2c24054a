// Offscreen pictures of generated models: the shaded pass shows the patch palette on a white
// background, the wireframe adds black lines, and the crack-free mode (strips plus zipper
// geometry) leaves no background showing inside the surface's silhouette.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "geometry/SampleModels.h"
#include "model/AGIM.h"
#include "model/Level.h"
#include "render/FrameRenderer.h"
#include "render/HeadlessContext.h"
#include "render/PngWriter.h"
#include "render/SceneCamera.h"
#include "render/UlCColorTable_Static.h"

namespace {

using Image = std::vector<std::uint8_t>;

constexpr int kW = 320;
constexpr int kH = 320;

bool is_white(const Image& img, int x, int y) {
  const std::uint8_t* p = &img[(static_cast<std::size_t>(y) * kW + x) * 4];
  return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

// Pictures are kept on failure, and always when AGIM_KEEP_IMAGES is set.
bool keep_images() { return std::getenv("AGIM_KEEP_IMAGES") != nullptr; }

// Saves `img` under the test scratch folder (for a look after a failure).
void save(const Image& img, const std::string& name) {
  std::string error;
  const std::string path = std::string(AGIM_TEST_TMP) + "/" + name + ".png";
  if (agim::write_png_rgb(path, kW, kH, img, &error)) {
    std::printf("wrote %s\n", path.c_str());
  } else {
    std::printf("%s\n", error.c_str());
  }
}

// The model with every patch at its storage level: the finest surface the samples describe.
void refine_fully(AGIM& model) {
  for (AGIM_element& e : model.elements) {
    e.level = e.max_level;
    e.grid_size = agim::grid_size_for_level(e.level);
  }
}

class ImageTest : public testing::Test {
 protected:
  void SetUp() override {
    context_ = std::make_unique<agim::HeadlessContext>(kW, kH);
    if (!context_->ok()) GTEST_SKIP() << context_->error();
  }
  std::unique_ptr<agim::HeadlessContext> context_;
};

TEST_F(ImageTest, ShadedModelShowsThePaletteOnWhite) {
  AGIM model;
  agim::make_sample_model(agim::SampleShape::Sphere, agim::SampleLayout{}, model);
  const agim::BoundingSphere sphere = agim::bounding_sphere({&model});

  // Unlit, the pixels carry the palette colours themselves.
  agim::set_lit_camera(sphere, kW, kH);
  glDisable(GL_LIGHTING);
  model.Render_AGIM();
  const Image flat = context_->read_pixels();
  std::set<std::uint32_t> palette;
  for (unsigned k = 0; k < 42; ++k) {
    const osg::Color4<unsigned char> c = UlCColorTable_Static::Instance()->get_Color(k);
    palette.insert(c[0] << 16 | c[1] << 8 | c[2]);
  }
  std::set<std::uint32_t> seen;
  int model_pixels = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const std::uint8_t* p = &flat[(static_cast<std::size_t>(y) * kW + x) * 4];
      const std::uint32_t rgb = p[0] << 16 | p[1] << 8 | p[2];
      if (palette.count(rgb)) seen.insert(rgb), ++model_pixels;
    }
  // A sphere seen from one side shows about half of its 24 patches.
  EXPECT_GE(seen.size(), 8u);
  EXPECT_GT(model_pixels, kW * kH / 4);
  EXPECT_TRUE(is_white(flat, 0, 0) && is_white(flat, kW - 1, 0) && is_white(flat, 0, kH - 1) &&
              is_white(flat, kW - 1, kH - 1));

  // Lit: shading varies across the surface, the background stays white, and the wireframe
  // adds black lines that win the depth test.
  agim::render_frame(model, sphere, kW, kH, agim::FrameOptions{});
  const Image lit = context_->read_pixels();
  agim::FrameOptions wire;
  wire.wireframe = true;
  agim::render_frame(model, sphere, kW, kH, wire);
  const Image lined = context_->read_pixels();
  int differ = 0, black_lit = 0, black_lined = 0, white_lit = 0;
  for (std::size_t i = 0; i < lit.size(); i += 4) {
    differ += lit[i] != flat[i] || lit[i + 1] != flat[i + 1] || lit[i + 2] != flat[i + 2];
    black_lit += lit[i] + lit[i + 1] + lit[i + 2] == 0;
    black_lined += lined[i] + lined[i + 1] + lined[i + 2] == 0;
    white_lit += lit[i] == 255 && lit[i + 1] == 255 && lit[i + 2] == 255;
  }
  EXPECT_GT(differ, model_pixels / 2);
  EXPECT_GT(white_lit, kW * kH / 4);
  EXPECT_GT(black_lined, black_lit + 1000);
  if (HasFailure() || keep_images()) save(flat, "shaded_flat"), save(lit, "shaded_lit"), save(lined, "shaded_wire");
}

TEST_F(ImageTest, TurntableTurnsAboutTheFixedCentre) {
  AGIM model;
  agim::make_sample_model(agim::SampleShape::Twisted, agim::SampleLayout{}, model);
  const double c[3] = {agim::kTurntableCentre[0], agim::kTurntableCentre[1], agim::kTurntableCentre[2]};
  const agim::BoundingSphere sphere = agim::bounding_sphere_about({&model}, c);
  agim::FrameOptions at;
  std::vector<Image> frames;
  for (float angle : {0.0f, 90.0f, 360.0f}) {
    at.angle_degrees = angle;
    agim::render_frame(model, sphere, kW, kH, at);
    frames.push_back(context_->read_pixels());
  }
  EXPECT_NE(frames[0], frames[1]);
  // A full turn comes back to the same picture, up to rounding of the rotation.
  int off = 0;
  for (std::size_t i = 0; i < frames[0].size(); ++i) off += std::abs(frames[0][i] - frames[2][i]) > 8;
  EXPECT_LT(off, 200);
}

// Pixels of `img` that are background although the full-resolution silhouette, shrunk by
// `margin` pixels, covers them.
int holes_inside(const Image& img, const Image& full, int margin) {
  int holes = 0;
  for (int y = margin; y < kH - margin; ++y)
    for (int x = margin; x < kW - margin; ++x) {
      if (!is_white(img, x, y)) continue;
      bool inside = true;
      for (int dy = -margin; dy <= margin && inside; ++dy)
        for (int dx = -margin; dx <= margin && inside; ++dx) inside = !is_white(full, x + dx, y + dy);
      holes += inside;
    }
  return holes;
}

TEST_F(ImageTest, CrackFreeModeLeavesNoHoleInsideTheSilhouette) {
  agim::SampleLayout layout;
  layout.patches_per_edge = 2;
  layout.storage_level = 5;
  layout.level_spread = 3;
  AGIM coarse;
  agim::make_sample_model(agim::SampleShape::BumpySphere, layout, coarse);
  AGIM full;
  agim::copy_patches(coarse, full);
  refine_fully(full);
  agim::prepare_crack_free(coarse);
  int finer_sides = 0;
  for (const AGIM_element& e : coarse.elements)
    for (bool z : e.side_zipper) finer_sides += z;
  ASSERT_GT(finer_sides, 0) << "the model needs level differences";

  const double c[3] = {agim::kTurntableCentre[0], agim::kTurntableCentre[1], agim::kTurntableCentre[2]};
  const agim::BoundingSphere sphere = agim::bounding_sphere_about({&full}, c);
  for (float angle : {0.0f, 60.0f, 135.0f, 225.0f, 300.0f}) {
    agim::FrameOptions shaded;
    shaded.angle_degrees = angle;
    agim::render_frame(full, sphere, kW, kH, shaded);
    const Image silhouette = context_->read_pixels();

    agim::FrameOptions crack_free = shaded;
    crack_free.crack_free = true;
    testing::internal::CaptureStdout();
    agim::render_frame(coarse, sphere, kW, kH, crack_free);
    testing::internal::GetCapturedStdout();
    const Image stitched = context_->read_pixels();

    // The coarse strips alone leave the bands along finer sides open.
    agim::set_lit_camera(sphere, kW, kH);
    glPushMatrix();
    glTranslatef(agim::kTurntableCentre[0], agim::kTurntableCentre[1], agim::kTurntableCentre[2]);
    glRotatef(-angle, 0, 0, 1);
    glTranslatef(-agim::kTurntableCentre[0], -agim::kTurntableCentre[1], -agim::kTurntableCentre[2]);
    glEnable(GL_CULL_FACE);
    agim::draw_strip_arrays(coarse);
    glDisable(GL_CULL_FACE);
    glPopMatrix();
    const Image strips_only = context_->read_pixels();

    // Coarse chords cut inside the fine silhouette by a few pixels at most.
    const int margin = 4;
    const int stitched_holes = holes_inside(stitched, silhouette, margin);
    const int strip_holes = holes_inside(strips_only, silhouette, margin);
    EXPECT_EQ(stitched_holes, 0) << "angle " << angle;
    EXPECT_GT(strip_holes, 500) << "angle " << angle;
    if (HasFailure() || keep_images()) {
      const std::string tag = "crack_" + std::to_string(static_cast<int>(angle));
      save(silhouette, tag + "_full"), save(stitched, tag + "_stitched"), save(strips_only, tag + "_strips");
      if (HasFailure()) break;
    }
  }
}

}  // namespace
