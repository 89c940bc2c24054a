// Test helpers for the zipper renderers: head and tail lists for hand-made zipper blocks, and
// the triangles a recording sink saw.
#pragma once

#include <cstddef>
#include <vector>

#include "model/AGIM.h"
#include "model/Level.h"
#include "render/DrawSink.h"
#include "zipper/PyramidRows.h"

namespace agim::test {

// Gives the block head and tail lists from its pyramid rows built by `rule`: the first and
// last entry of every row. Rows are built as long as they have two entries or more.
inline void set_chains(AGIM_Zipper_Block& block, PyramidRule rule) {
  std::vector<Point> row;
  std::vector<Point> next;
  first_pyramid_row(block, row);
  block.head.assign(1, row.front());
  block.tail.assign(1, row.back());
  for (int t = 0; t < block.level_diff && row.size() >= 2; ++t) {
    next_pyramid_row(block, row, t, rule, next);
    row.swap(next);
    block.head.push_back(row.front());
    block.tail.push_back(row.back());
  }
}

// Corner chains of a corner block: the centre pair when block and partner both have level
// difference 1, else the leaning rows of a first or a last block.
inline void set_corner_chains(AGIM_Zipper_Block& block, bool first, int partner_level_diff) {
  if (block.level_diff == 1 && partner_level_diff == 1) {
    block.head = {block.samples[0][0], block.samples[1][1]};
    block.tail = {block.samples[2][0], block.samples[1][1]};
    return;
  }
  set_chains(block, first ? PyramidRule::CornerFirst : PyramidRule::CornerLast);
}

// One emitted vertex: its position, the normal current when it was sent, whether a normal was
// sent right before it, and whether it came as glVertex4f (w = 1) or glVertex3f.
struct Vertex {
  double x, y, z;
  double nx, ny, nz;
  bool own_normal;
  bool four;
};

// One emitted triangle, vertices in emission order.
struct Triangle {
  Vertex v[3];
};

// The triangles a recording sink saw, every three vertices one triangle.
inline std::vector<Triangle> triangles_of(const RecordingDrawSink& sink) {
  std::vector<Vertex> vs;
  double n[3] = {0, 0, 0};
  bool fresh = false;
  for (const DrawCall& c : sink.calls) {
    if (c.op == DrawCall::Normal3f) {
      n[0] = c.a[0];
      n[1] = c.a[1];
      n[2] = c.a[2];
      fresh = true;
    } else if (c.op == DrawCall::Vertex3f || c.op == DrawCall::Vertex4f) {
      vs.push_back(Vertex{c.a[0], c.a[1], c.a[2], n[0], n[1], n[2], fresh,
                          c.op == DrawCall::Vertex4f});
      fresh = false;
    }
  }
  std::vector<Triangle> out;
  for (std::size_t i = 0; i + 2 < vs.size(); i += 3) out.push_back(Triangle{{vs[i], vs[i + 1], vs[i + 2]}});
  return out;
}

}  // namespace agim::test
