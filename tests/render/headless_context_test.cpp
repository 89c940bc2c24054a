// The offscreen context: creation, a compatibility profile with buffer objects, clearing and
// reading back top-down rows.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "render/HeadlessContext.h"

namespace {

TEST(HeadlessContext, CompatibilityContextReadsBackTopDownRows) {
  agim::HeadlessContext ctx(8, 6);
  if (!ctx.ok()) GTEST_SKIP() << ctx.error();
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  ASSERT_NE(extensions, nullptr);
  EXPECT_NE(std::strstr(extensions, "GL_ARB_vertex_buffer_object"), nullptr);

  // Red everywhere, then a green top row drawn with immediate mode (a compatibility feature).
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 8, 0, 6, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(0, 1, 0);
  glBegin(GL_QUADS);
  glVertex2f(0, 5);
  glVertex2f(8, 5);
  glVertex2f(8, 6);
  glVertex2f(0, 6);
  glEnd();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  const auto pixels = ctx.read_pixels();
  ASSERT_EQ(pixels.size(), 8u * 6u * 4u);
  auto at = [&](int x, int y, int ch) { return pixels[(static_cast<std::size_t>(y) * 8 + x) * 4 + ch]; };
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(at(x, 0, 0), 0);
    EXPECT_EQ(at(x, 0, 1), 255);
    EXPECT_EQ(at(x, 5, 0), 255);
    EXPECT_EQ(at(x, 5, 1), 0);
    EXPECT_EQ(at(x, 5, 3), 255);
  }
}

TEST(HeadlessContext, BadSizeIsReportedNotThrown) {
  agim::HeadlessContext ctx(0, 10);
  EXPECT_FALSE(ctx.ok());
  EXPECT_NE(ctx.error().find("0x10"), std::string::npos);
  EXPECT_TRUE(ctx.read_pixels().empty());
}

TEST(HeadlessContext, TwoContextsLiveSideBySide) {
  agim::HeadlessContext a(4, 4);
  if (!a.ok()) GTEST_SKIP() << a.error();
  {
    agim::HeadlessContext b(2, 2);
    ASSERT_TRUE(b.ok()) << b.error();
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(b.read_pixels()[2], 255);
  }
  ASSERT_TRUE(a.make_current());
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const auto pixels = a.read_pixels();
  ASSERT_EQ(pixels.size(), 64u);
  EXPECT_EQ(pixels[0], 255);
}

}  // namespace
