// Zipper column filling: copies each boundary cell of a zipper side into its block, then thins
// the blocks to the finer neighbour's spacing.
#include <algorithm>
#include <utility>

#include "model/AGIM.h"
#include "model/Level.h"
#include "zipper/ZipperAccess.h"
#include "zipper/ZipperColumns.h"

using agim::blocks_per_side;
using agim::grid_size_for_level;
using agim::pow2;
using agim::zipper::block_filled;
using agim::zipper::element_sound;
using agim::zipper::side_blocks;
using agim::zipper::valid_element;

namespace {

// The stored sample at grid index `a` along `side` and depth `t` into the patch.
inline const Point& side_sample(const PointGrid& grid, int n, int side, int a, int t) {
  switch (side) {
    case 0: return grid[t][a];
    case 1: return grid[a][t];
    case 2: return grid[n - 1 - t][a];
    default: return grid[a][n - 1 - t];
  }
}

}  // namespace

namespace agim::zipper {

int selected_level_diff(const AGIM& model, int element, int side) {
  const AGIM_element& el = model.elements[static_cast<std::size_t>(element)];
  const int d = el.max_level - el.level;
  const int neighbour = el.neighbour[side];
  if (!valid_element(model, neighbour)) return d;
  // A neighbour finer than this patch's storage keeps the block at full stored resolution;
  // a neighbour that is not finer at all thins it to the cell's corners.
  return std::clamp(model.elements[static_cast<std::size_t>(neighbour)].level - el.level, 0, d);
}

void fill_side_blocks(AGIM& model, int element, int side, int level_diff) {
  if (!valid_element(model, element) || side < 0 || side > 3) return;
  AGIM_element& el = model.elements[static_cast<std::size_t>(element)];
  if (!element_sound(el)) return;
  std::vector<AGIM_Zipper_Block>* blocks = side_blocks(el, side);
  if (!blocks) return;

  const int n = grid_size_for_level(el.max_level);
  const int nb = blocks_per_side(el.level);
  const int d = el.max_level - el.level;
  const int span = static_cast<int>(pow2(d));
  const int dl = std::clamp(level_diff, 0, d);
  const int m = static_cast<int>(pow2(dl) + 1.0);
  const int stride = static_cast<int>(pow2(d - dl));
  const bool from_far_end = el.side_orientation[side] == 1;

  for (int b = 0; b < nb; ++b) {
    AGIM_Zipper_Block& block = (*blocks)[static_cast<std::size_t>(b)];
    block.level_diff = dl;
    block.sample_count = m;
    block.block_index = b;
    block.owner_element = element;
    block.owner_side = side;
    block.samples.resize(m);
    // Row k lies at walk position b*span + k*stride; consecutive blocks share their end rows.
    for (int k = 0; k < m; ++k) {
      const int p = b * span + k * stride;
      const int a = from_far_end ? n - 1 - p : p;
      Point* row = block.samples[k];
      for (int t = 0; t < m; ++t) {
        const Point& pos = side_sample(el.position_grid, n, side, a, t * stride);
        const Point& nor = side_sample(el.normal_grid, n, side, a, t * stride);
        row[t].x = pos.x;
        row[t].y = pos.y;
        row[t].z = pos.z;
        row[t].nx = nor.x;
        row[t].ny = nor.y;
        row[t].nz = nor.z;
      }
    }
  }
}

}  // namespace agim::zipper

void AGIM::Fill_OneColumn_ZB(int element, int side) {
  // Full stored resolution: one stored step between samples.
  if (!valid_element(*this, element)) return;
  const AGIM_element& el = elements[static_cast<std::size_t>(element)];
  agim::zipper::fill_side_blocks(*this, element, side, el.max_level - el.level);
}

void AGIM::Select_OneColumn_ZB(int element, int side) {
  if (!valid_element(*this, element) || side < 0 || side > 3) return;
  AGIM_element& el = elements[static_cast<std::size_t>(element)];
  if (!element_sound(el)) return;
  const int neighbour = el.neighbour[side];
  if (!valid_element(*this, neighbour)) return;
  std::vector<AGIM_Zipper_Block>* blocks = side_blocks(el, side);
  if (!blocks) return;

  const int d = el.max_level - el.level;
  const int m = static_cast<int>(pow2(d) + 1.0);
  const int dl = agim::zipper::selected_level_diff(*this, element, side);
  const int m2 = static_cast<int>(pow2(dl) + 1.0);
  const int stride = static_cast<int>(pow2(d - dl));

  for (AGIM_Zipper_Block& block : *blocks) {
    if (!block_filled(block) || block.sample_count != m) continue;
    block.level_diff = dl;
    block.sample_count = m2;
    if (m2 == m) continue;  // stride 1: every sample stays
    // The block's own samples serve as the source; the thinned grid replaces them.
    PointGrid thinned(m2);
    for (int k = 0; k < m2; ++k) {
      const Point* src = block.samples[k * stride];
      Point* dst = thinned[k];
      for (int t = 0; t < m2; ++t) dst[t] = src[t * stride];
    }
    block.samples = std::move(thinned);
  }
}
