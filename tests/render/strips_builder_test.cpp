// The strip builder's serpentine walk and entry counts, the upload's console lines, and the
// extension-name test.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/TestModels.h"
#include "model/AGIM.h"
#include "render/GLBufferEntryPoints.h"
#include "render/HeadlessContext.h"

namespace {

using agim::test::build_model;
using agim::test::PatchSpec;
using Sample = std::pair<int, int>;  // (row, column) in the stored grid

// The stored (row, column) of every strip entry, read back off the index-grid positions.
std::vector<Sample> strip_samples(const AGIM_element& e) {
  std::vector<Sample> out;
  for (const VBO_Vertex& v : e.strip_vertices)
    out.emplace_back(static_cast<int>(v.x), static_cast<int>(v.y));
  return out;
}

// Patch 0 at level 2 (grid_size 3); `finer_sides` lists the sides whose neighbour (patch 1,
// level 3) is finer, the other sides border patch 2 at level 2.
void build_center_patch(AGIM& model, const std::vector<int>& finer_sides) {
  PatchSpec center{2, 2, {2, 2, 2, 2}, {1, 0, 0, 1}};
  for (int side : finer_sides) center.neighbour[side] = 1;
  build_model(model, {center, PatchSpec{3, 3, {0, 0, 0, 0}, {}}, PatchSpec{2, 2, {0, 0, 0, 0}, {}}});
}

TEST(StripBuilder, SerpentineOrderAndLeftOutBands) {
  struct Case {
    const char* name;
    std::vector<int> finer;
    std::vector<Sample> expected;
  };
  const std::vector<Case> cases = {
      {"no finer side", {},
       {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}, {2, 0}, {2, 1}, {2, 2}, {1, 1}, {1, 2}, {0, 1}, {0, 2}}},
      {"side 0 finer drops row 0", {0}, {{1, 1}, {1, 0}, {2, 1}, {2, 0}, {2, 1}, {2, 2}, {1, 1}, {1, 2}}},
      {"side 1 finer drops strip 0, strip 1 still descends", {1},
       {{2, 1}, {2, 2}, {1, 1}, {1, 2}, {0, 1}, {0, 2}}},
      {"side 2 finer drops row 2", {2}, {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {1, 1}, {1, 2}, {0, 1}, {0, 2}}},
      {"side 3 finer drops the last strip", {3}, {{0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}, {2, 0}}},
      {"all sides finer leave no strip at grid_size 3", {0, 1, 2, 3}, {}},
  };
  for (const Case& c : cases) {
    AGIM model;
    build_center_patch(model, c.finer);
    model.Build_Strip_Buffers();
    const AGIM_element& e = model.elements[0];
    EXPECT_EQ(e.strip_vertex_count, static_cast<int>(c.expected.size())) << c.name;
    EXPECT_EQ(e.strip_normals.size(), e.strip_vertices.size()) << c.name;
    EXPECT_EQ(strip_samples(e), c.expected) << c.name;
  }
}

TEST(StripBuilder, CountsFollowTheRowAndStripFormula) {
  // grid_size 5, sides 0 and 3 finer: R = 4 rows, K = 3 strips -> 24 entries.
  AGIM model;
  build_model(model, {PatchSpec{3, 3, {1, 2, 2, 1}, {}}, PatchSpec{4, 4, {}, {}}, PatchSpec{3, 3, {}, {}}});
  model.Build_Strip_Buffers();
  EXPECT_EQ(model.elements[0].strip_vertex_count, 24);
  EXPECT_EQ(model.elements[0].strip_vertices.size(), 24u);

  // grid_size 2 with sides 1 and 3 finer keeps no strip at all.
  build_model(model, {PatchSpec{2, 2, {2, 1, 2, 1}, {}}, PatchSpec{3, 3, {}, {}}, PatchSpec{2, 2, {}, {}}});
  model.Build_Strip_Buffers();
  EXPECT_EQ(model.elements[0].strip_vertex_count, 0);
  EXPECT_TRUE(model.elements[0].strip_vertices.empty());
}

TEST(StripBuilder, CoarseLevelSamplesTheStoredGridAtItsStride) {
  // level 2 of max_level 3: stride 2, current sample (i, j) is stored sample (2i, 2j).
  AGIM model;
  build_model(model, {PatchSpec{2, 3, {0, 0, 0, 0}, {}}});
  model.Build_Strip_Buffers();
  const std::vector<Sample> expected = {{0, 2}, {0, 0}, {2, 2}, {2, 0}, {4, 2}, {4, 0},
                                        {4, 2}, {4, 4}, {2, 2}, {2, 4}, {0, 2}, {0, 4}};
  EXPECT_EQ(strip_samples(model.elements[0]), expected);
  // Normals come from the normal grid, entry for entry.
  for (const VBO_Vertex& n : model.elements[0].strip_normals) EXPECT_EQ(n.z, 1.0f);
}

TEST(StripBuilder, RebuildAfterALevelChangeReplacesTheStrips) {
  AGIM model;
  build_model(model, {PatchSpec{3, 3, {0, 0, 0, 0}, {}}});
  model.Build_Strip_Buffers();
  EXPECT_EQ(model.elements[0].strip_vertex_count, 40);
  model.elements[0].level = 2;
  model.elements[0].grid_size = 3;
  model.Build_Strip_Buffers();
  EXPECT_EQ(model.elements[0].strip_vertex_count, 12);
  EXPECT_EQ(model.elements[0].strip_vertices.size(), 12u);
}

TEST(StripBuilder, BrokenPatchesGetNoStripInsteadOfReadingOutside) {
  AGIM model;
  // Neighbour ids outside the model are not followed (and count as not finer); a level
  // above max_level and a grid smaller than its level claims give no strip.
  build_model(model, {PatchSpec{2, 2, {-1, 7, 1000000, 3}, {}}, PatchSpec{3, 2, {}, {}}, PatchSpec{2, 2, {}, {}}});
  model.elements[1].grid_size = 5;
  model.elements[2].position_grid.resize(2);
  model.Build_Strip_Buffers();
  EXPECT_EQ(model.elements[0].strip_vertex_count, 12);
  EXPECT_EQ(model.elements[1].strip_vertex_count, 0);
  EXPECT_EQ(model.elements[2].strip_vertex_count, 0);
}

// A model whose three patches get 12, 8 and 6 strip entries.
void build_12_8_6(AGIM& model) {
  build_model(model, {PatchSpec{2, 2, {3, 3, 3, 3}, {}}, PatchSpec{2, 2, {4, 3, 3, 3}, {}},
                      PatchSpec{2, 2, {3, 4, 3, 3}, {}}, PatchSpec{2, 2, {}, {}}, PatchSpec{3, 3, {}, {}}});
  model.Build_Strip_Buffers();
  model.elements[3].strip_vertex_count = 0;  // keep the total to the three patches under test
  model.elements[3].strip_vertices.clear();
  model.elements[3].strip_normals.clear();
  model.elements[4].strip_vertex_count = 0;
  model.elements[4].strip_vertices.clear();
  model.elements[4].strip_normals.clear();
}

TEST(StripUpload, WithoutAContextReportsFailureAndKeepsNoBuffers) {
  AGIM model;
  build_12_8_6(model);
  model.vertex_buffer_ids = {5, 6, 7, 8, 9};  // stale names from an earlier upload
  model.normal_buffer_ids = {5, 6, 7, 8, 9};
  testing::internal::CaptureStdout();
  model.Upload_Strip_Buffers();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "VBO Support failed\n");
  EXPECT_TRUE(model.vertex_buffer_ids.empty());
  EXPECT_TRUE(model.normal_buffer_ids.empty());
}

TEST(StripUpload, WithAContextPrintsTheTotalAndFillsTheBuffers) {
  agim::HeadlessContext ctx(4, 4);
  if (!ctx.ok()) GTEST_SKIP() << ctx.error();
  AGIM model;
  build_12_8_6(model);
  EXPECT_EQ(model.elements[0].strip_vertex_count, 12);
  EXPECT_EQ(model.elements[1].strip_vertex_count, 8);
  EXPECT_EQ(model.elements[2].strip_vertex_count, 6);
  testing::internal::CaptureStdout();
  model.Upload_Strip_Buffers();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "VBO Support\n26\n");
  ASSERT_EQ(model.vertex_buffer_ids.size(), 5u);
  ASSERT_EQ(model.normal_buffer_ids.size(), 5u);
  EXPECT_EQ(model.buffer_vertex_counts[0], 12);
  EXPECT_EQ(model.buffer_vertex_counts[2], 6);

  // The buffer holds exactly the strip positions.
  auto get_sub = reinterpret_cast<PFNGLGETBUFFERSUBDATAARBPROC>(agim::gl_get_proc_address("glGetBufferSubDataARB"));
  ASSERT_NE(get_sub, nullptr);
  std::vector<VBO_Vertex> back(8);
  agim::gl_buffer_entry_points().glBindBufferARB(GL_ARRAY_BUFFER_ARB, model.vertex_buffer_ids[1]);
  get_sub(GL_ARRAY_BUFFER_ARB, 0, 8 * sizeof(VBO_Vertex), back.data());
  EXPECT_EQ(std::memcmp(back.data(), model.elements[1].strip_vertices.data(), 8 * sizeof(VBO_Vertex)), 0);

  // A second upload replaces the names (the old buffers are deleted, not leaked).
  const std::vector<uint32_t> old = model.vertex_buffer_ids;
  testing::internal::CaptureStdout();
  model.Upload_Strip_Buffers();
  testing::internal::GetCapturedStdout();
  auto is_buffer = reinterpret_cast<PFNGLISBUFFERARBPROC>(agim::gl_get_proc_address("glIsBufferARB"));
  ASSERT_NE(is_buffer, nullptr);
  for (uint32_t name : old) {
    bool reused = false;
    for (uint32_t now : model.vertex_buffer_ids) reused = reused || now == name;
    for (uint32_t now : model.normal_buffer_ids) reused = reused || now == name;
    if (!reused) {
      EXPECT_FALSE(is_buffer(name)) << name;
    }
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ExtensionTest, NamesWithoutAContextOrWithBlanksAreUnsupported) {
  EXPECT_FALSE(IsExtensionSupported(""));
  EXPECT_FALSE(IsExtensionSupported(nullptr));
  EXPECT_FALSE(IsExtensionSupported("GL_ARB_vertex_buffer_object"));  // no context
}

TEST(ExtensionTest, WholeWordsOnlyInARealExtensionString) {
  agim::HeadlessContext ctx(2, 2);
  if (!ctx.ok()) GTEST_SKIP() << ctx.error();
  const std::string all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const std::string first = all.substr(0, all.find(' '));
  std::string trimmed = all.substr(0, all.find_last_not_of(' ') + 1);
  const std::string last = trimmed.substr(trimmed.rfind(' ') + 1);

  struct Case {
    std::string name;
    bool expected;
  };
  const std::vector<Case> cases = {
      {first, true},                                  // at the start
      {"GL_ARB_vertex_buffer_object", true},          // in the middle
      {last, true},                                   // at the end
      {"GL_ARB_vertex_buffer", false},                // only the front part of a longer name
      {"GL_ARB_vertex_buffer_object_x", false},       // longer than any name
      {"ARB_vertex_buffer_object", false},            // the back part of a name
      {"GL_ARB_vertex_buffer_object " + last, false}, // two names with a blank
      {" ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsExtensionSupported(c.name.c_str()), c.expected) << "'" << c.name << "'";
}

}  // namespace
