// Test helpers for the zipper renderers: zipper blocks built by hand from a patch's grids
// (walk order, depth, thinning, pyramid chains, corner flags), hand-made blocks whose samples
// name their own block indices, and the triangles a recording sink saw.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "model/AGIM.h"
#include "model/Level.h"
#include "render/DrawSink.h"
#include "common/TestModels.h"
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

// Stored sample of patch `e` at walk position p and depth t along side s.
inline void walk_sample(const AGIM_element& e, int s, int p, int t, Point& out) {
  const int n = grid_size_for_level(e.max_level);
  const int a = e.side_orientation[s] == 1 ? n - 1 - p : p;
  int r = 0;
  int c = 0;
  switch (s) {
    case 0: r = t; c = a; break;
    case 1: r = a; c = t; break;
    case 2: r = n - 1 - t; c = a; break;
    default: r = a; c = n - 1 - t; break;
  }
  const Point& pos = e.position_grid[r][c];
  const Point& nor = e.normal_grid[r][c];
  out = Point{pos.x, pos.y, pos.z, nor.x, nor.y, nor.z, 0, 0};
}

// Detects the zipper sides of every patch and builds their blocks as the preparation does:
// every boundary cell of a zipper side sampled at the finer neighbour's spacing, in walk
// order, with head and tail lists of the symmetric pyramid. Blocks start normal, not corner.
inline void prepare_by_hand(AGIM& model) {
  for (AGIM_element& e : model.elements) {
    e.has_zipper = false;
    for (int s = 0; s < 4; ++s) {
      e.side_zipper[s] = e.level < model.elements[static_cast<std::size_t>(e.neighbour[s])].level;
      e.has_zipper = e.has_zipper || e.side_zipper[s];
    }
    if (!e.has_zipper) continue;
    const int nb = blocks_per_side(e.level);
    const int d = e.max_level - e.level;
    const int span = static_cast<int>(pow2(d));
    e.zipper_blocks = std::make_unique<ZipperBlockSides>();
    for (int s = 0; s < 4; ++s) {
      std::vector<AGIM_Zipper_Block>& blocks = (*e.zipper_blocks)[s];
      blocks.resize(static_cast<std::size_t>(nb));
      if (!e.side_zipper[s]) continue;
      const int dl =
          e.level < e.max_level
              ? model.elements[static_cast<std::size_t>(e.neighbour[s])].level - e.level
              : 0;
      const int stride = static_cast<int>(pow2(d - dl));
      const int m = grid_size_for_level(dl + 1);
      for (int b = 0; b < nb; ++b) {
        AGIM_Zipper_Block& zb = blocks[static_cast<std::size_t>(b)];
        zb.level_diff = dl;
        zb.sample_count = m;
        zb.block_index = b;
        zb.owner_element = e.element_id;
        zb.owner_side = s;
        zb.is_normal = 1;
        zb.samples.resize(m);
        for (int k = 0; k < m; ++k)
          for (int t = 0; t < m; ++t)
            walk_sample(e, s, b * span + k * stride, t * stride, zb.samples[k][t]);
        set_chains(zb, PyramidRule::Normal);
      }
    }
  }
}

// Flags as corner blocks both end blocks at every corner of patch `element` where the two
// sides are zipper sides (two or more blocks a side), and gives them their corner chains.
inline void flag_corners_by_hand(AGIM& model, int element) {
  AGIM_element& e = model.elements[static_cast<std::size_t>(element)];
  const int nb = blocks_per_side(e.level);
  if (!e.has_zipper || nb < 2) return;
  for (int s = 0; s < 4; ++s) {
    const int next = (s + 1) % 4;
    if (!e.side_zipper[s] || !e.side_zipper[next]) continue;
    AGIM_Zipper_Block& last = (*e.zipper_blocks)[s][static_cast<std::size_t>(nb - 1)];
    AGIM_Zipper_Block& first = (*e.zipper_blocks)[next][0];
    last.is_corner = first.is_corner = 1;
    last.is_normal = first.is_normal = 0;
    set_corner_chains(last, false, first.level_diff);
    set_corner_chains(first, true, last.level_diff);
  }
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
