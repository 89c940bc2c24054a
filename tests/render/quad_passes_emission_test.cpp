// What the shaded, wireframe and buffer-object passes emit, recorded call by call.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "common/TestModels.h"
#include "model/AGIM.h"
#include "render/DrawSink.h"

namespace {

using agim::DrawCall;
using agim::test::build_model;
using agim::test::PatchSpec;
using Corner = std::pair<int, int>;  // (row, column) in the stored grid

// Records one pass over `model`.
template <typename Fn>
std::vector<DrawCall> record(Fn&& pass) {
  agim::RecordingDrawSink sink;
  agim::ScopedDrawSink scope(sink);
  pass();
  return sink.calls;
}

// The stored (row, column) of every vertex, off the index-grid positions; checks each vertex
// has w = 1 and comes right after its normal.
std::vector<Corner> corners(const std::vector<DrawCall>& calls) {
  std::vector<Corner> out;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].op != DrawCall::Vertex4f) continue;
    EXPECT_GT(i, 0u);
    EXPECT_EQ(calls[i - 1].op, DrawCall::Normal3f);
    EXPECT_EQ(calls[i].a[3], 1.0);
    out.emplace_back(static_cast<int>(calls[i].a[0]), static_cast<int>(calls[i].a[1]));
  }
  return out;
}

TEST(QuadPasses, OneQuadPatchIsTheExactCallSequence) {
  AGIM model;
  build_model(model, {PatchSpec{1, 1, {0, 0, 0, 0}, {}}});
  const auto calls = record([&] { model.Render_AGIM(); });
  const std::vector<std::pair<DrawCall::Op, std::array<double, 2>>> head = {
      {DrawCall::Color4ubv, {233, 244}},
      {DrawCall::PushAttrib, {GL_LIGHTING_BIT, 0}},
      {DrawCall::Enable, {GL_POLYGON_OFFSET_FILL, 0}},
      {DrawCall::Enable, {GL_DEPTH_TEST, 0}},
      {DrawCall::PolygonOffset, {1.0, 1.0}},
      {DrawCall::PolygonMode, {GL_FRONT, GL_FILL}},
      {DrawCall::PolygonMode, {GL_BACK, GL_POINT}},
      {DrawCall::Begin, {GL_QUADS, 0}},
  };
  ASSERT_EQ(calls.size(), head.size() + 8 + 2);
  for (std::size_t i = 0; i < head.size(); ++i) {
    EXPECT_EQ(calls[i].op, head[i].first) << i;
    EXPECT_EQ(calls[i].a[0], head[i].second[0]) << i;
    EXPECT_EQ(calls[i].a[1], head[i].second[1]) << i;
  }
  EXPECT_EQ(calls[calls.size() - 2].op, DrawCall::End);
  EXPECT_EQ(calls.back().op, DrawCall::PopAttrib);
  EXPECT_EQ(corners(calls), (std::vector<Corner>{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
  // Normals reach GL unchanged.
  EXPECT_EQ(calls[head.size()].a[2], 1.0);
}

TEST(QuadPasses, FourQuadPatchGoesColumnByColumn) {
  AGIM model;
  build_model(model, {PatchSpec{2, 2, {0, 0, 0, 0}, {}}});
  const auto all = corners(record([&] { model.Render_AGIM_Wireframe(); }));
  ASSERT_EQ(all.size(), 16u);
  const std::vector<Corner> first = {all[0], all[4], all[8], all[12]};
  EXPECT_EQ(first, (std::vector<Corner>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  EXPECT_EQ(std::vector<Corner>(all.begin() + 12, all.end()), (std::vector<Corner>{{1, 1}, {2, 1}, {2, 2}, {1, 2}}));
}

TEST(QuadPasses, CoarseLevelIsDrawnAtItsStride) {
  // level 2 of max_level 4: grid_size 3, stride 4 -> corners on stored rows/columns 0, 4, 8.
  AGIM model;
  build_model(model, {PatchSpec{2, 4, {0, 0, 0, 0}, {}}});
  const auto all = corners(record([&] { model.Render_AGIM(); }));
  ASSERT_EQ(all.size(), 16u);
  EXPECT_EQ(std::vector<Corner>(all.begin(), all.begin() + 4), (std::vector<Corner>{{0, 0}, {4, 0}, {4, 4}, {0, 4}}));
  EXPECT_EQ(all.back(), (Corner{4, 8}));
}

TEST(QuadPasses, PaletteWrapsAndWireframeIsBlack) {
  // 43 patches copied from one level-2 patch.
  AGIM model;
  build_model(model, {PatchSpec{2, 2, {}, {}}});
  model.elements.resize(43);
  for (int k = 1; k < 43; ++k) {
    AGIM_element& e = model.elements[static_cast<std::size_t>(k)];
    e.level = e.max_level = e.base_level = 2;
    e.grid_size = 3;
    e.position_grid = model.elements[0].position_grid;
    e.normal_grid = model.elements[0].normal_grid;
  }
  model.element_count = 43;

  std::vector<std::array<double, 4>> shaded;
  for (const DrawCall& c : record([&] { model.Render_AGIM(); }))
    if (c.op == DrawCall::Color4ubv) shaded.push_back({c.a[0], c.a[1], c.a[2], c.a[3]});
  ASSERT_EQ(shaded.size(), 43u);
  EXPECT_EQ(shaded[0], (std::array<double, 4>{233, 244, 123, 255}));
  EXPECT_EQ(shaded[41], (std::array<double, 4>{119, 136, 153, 255}));
  EXPECT_EQ(shaded[42], shaded[0]);
  EXPECT_NE(shaded[1], shaded[0]);

  int black = 0;
  for (const DrawCall& c : record([&] { model.Render_AGIM_Wireframe(); })) {
    ASSERT_NE(c.op, DrawCall::Color4ubv);
    if (c.op == DrawCall::Color3f) {
      EXPECT_EQ(c.a[0] + c.a[1] + c.a[2], 0.0);
      ++black;
    }
    if (c.op == DrawCall::PolygonMode && c.a[0] == GL_FRONT) {
      EXPECT_EQ(c.a[1], GL_LINE);
    }
  }
  EXPECT_EQ(black, 43);
}

TEST(QuadPasses, AttributeStackAndBatchesBalancePerPatch) {
  AGIM model;
  build_model(model, {PatchSpec{3, 3, {}, {}}, PatchSpec{1, 1, {}, {}}, PatchSpec{2, 3, {}, {}}});
  model.elements[1].grid_size = 1;  // a one-sample patch gets an empty batch
  for (bool wire : {false, true}) {
    const auto calls = record([&] { wire ? model.Render_AGIM_Wireframe() : model.Render_AGIM(); });
    int depth = 0, open = 0, begins = 0, max_depth = 0;
    for (const DrawCall& c : calls) {
      if (c.op == DrawCall::PushAttrib) max_depth = std::max(max_depth, ++depth);
      if (c.op == DrawCall::PopAttrib) --depth;
      if (c.op == DrawCall::Begin) ++open, ++begins;
      if (c.op == DrawCall::End) --open;
      EXPECT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(max_depth, 1);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(begins, 3);
    EXPECT_EQ(corners(calls).size(), 4u * (16 + 0 + 4));
  }
}

TEST(QuadPasses, EmptyAndBrokenModelsDrawNothingUnsafe) {
  AGIM empty;
  EXPECT_TRUE(record([&] { empty.Render_AGIM(); }).empty());
  EXPECT_TRUE(record([&] { empty.Render_AGIMwithVBO(); }).empty());

  // A patch whose level exceeds its grids, and element_count larger than the patch array.
  AGIM broken;
  build_model(broken, {PatchSpec{2, 2, {}, {}}});
  broken.elements[0].level = 4;
  broken.elements[0].grid_size = 9;
  broken.element_count = 5;
  const auto calls = record([&] { broken.Render_AGIM(); });
  EXPECT_TRUE(corners(calls).empty());
}

TEST(BufferPass, OneStripDrawPerPatchAndArraysDisabledAfter) {
  AGIM model;
  build_model(model, {PatchSpec{2, 2, {}, {}}, PatchSpec{3, 3, {}, {}}});
  model.Build_Strip_Buffers();
  model.vertex_buffer_ids = {11, 12};
  model.normal_buffer_ids = {21, 22};
  model.buffer_vertex_counts = {12, 40};
  const auto calls = record([&] { model.Render_AGIMwithVBO(); });
  const std::vector<DrawCall::Op> ops = {
      DrawCall::EnableClientState, DrawCall::EnableClientState,
      DrawCall::BindBuffer, DrawCall::VertexPointer, DrawCall::BindBuffer, DrawCall::NormalPointer, DrawCall::DrawArrays,
      DrawCall::BindBuffer, DrawCall::VertexPointer, DrawCall::BindBuffer, DrawCall::NormalPointer, DrawCall::DrawArrays,
      DrawCall::DisableClientState, DrawCall::DisableClientState};
  ASSERT_EQ(calls.size(), ops.size());
  for (std::size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(calls[i].op, ops[i]) << i;
  EXPECT_EQ(calls[0].a[0], GL_VERTEX_ARRAY);
  EXPECT_EQ(calls[1].a[0], GL_NORMAL_ARRAY);
  EXPECT_EQ(calls[2].a[0], GL_ARRAY_BUFFER_ARB);
  EXPECT_EQ(calls[2].a[1], 11);
  EXPECT_EQ(calls[3].a[0], 3);
  EXPECT_EQ(calls[3].a[1], GL_FLOAT);
  EXPECT_EQ(calls[3].a[2], 0);
  EXPECT_EQ(calls[4].a[1], 21);
  EXPECT_EQ(calls[6].a[0], GL_TRIANGLE_STRIP);
  EXPECT_EQ(calls[6].a[2], 12);
  EXPECT_EQ(calls[9].a[1], 22);
  EXPECT_EQ(calls[11].a[2], 40);
  EXPECT_EQ(calls[12].a[0], GL_VERTEX_ARRAY);
  EXPECT_EQ(calls[13].a[0], GL_NORMAL_ARRAY);

  // Strips rebuilt finer after the upload hold more entries than the buffers: the draw stays
  // within what was uploaded.
  model.buffer_vertex_counts = {12, 8};
  const auto rebuilt = record([&] { model.Render_AGIMwithVBO(); });
  ASSERT_EQ(rebuilt.size(), ops.size());
  EXPECT_EQ(rebuilt[6].a[2], 12);
  EXPECT_EQ(rebuilt[11].a[2], 8);

  // Without uploaded buffers (the extension was missing) the pass draws nothing.
  model.vertex_buffer_ids.clear();
  model.normal_buffer_ids.clear();
  EXPECT_TRUE(record([&] { model.Render_AGIMwithVBO(); }).empty());
}

}  // namespace
