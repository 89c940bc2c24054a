// The zipper driver, the block pass over normal blocks and the stitch pass between blocks.
#include <cstddef>
#include <iostream>
#include <vector>

#include "model/AGIM.h"
#include "render/DrawSink.h"
#include "render/ZipperBlockAccess.h"
#include "render/ZipperEmit.h"

using agim::VertexForm;

namespace {

constexpr unsigned kGlTriangles = 4;  // GL_TRIANGLES

// True when the block has a pyramid and `list` (its head or its tail) one entry per row.
bool has_list(const AGIM_Zipper_Block& block, const std::vector<Point>& list) {
  return agim::has_pyramid(block) &&
         list.size() >= static_cast<std::size_t>(block.level_diff) + 1;
}

}  // namespace

void AGIM::Render_ZipperAGIM() const {
  int total = 0;
  agim::Draw().PointSize(10.0f);
  agim::Draw().Begin(kGlTriangles);
  const int count = element_count < static_cast<int>(elements.size())
                        ? element_count
                        : static_cast<int>(elements.size());
  for (int k = 0; k < count; ++k) {
    if (!elements[static_cast<std::size_t>(k)].has_zipper) continue;
    total += Unique_NormalZB_Render(k);
    total += Unique_CornerZB_Render(k);
    total += Stitch_ZB_Render(k);
    total += Stitch_CornerZB_Render(k);
  }
  agim::Draw().End();
  std::cout << total << '\n' << std::flush;
}

int AGIM::Unique_NormalZB_Render(int element) const {
  int count = 0;
  for (int s = 0; s < 4; ++s) {
    const std::vector<AGIM_Zipper_Block>* blocks = agim::zipper_side(*this, element, s);
    if (blocks == nullptr) continue;
    for (const AGIM_Zipper_Block& block : *blocks) {
      if (block.is_corner) continue;
      count += agim::emit_block_pyramid(block, agim::PyramidRule::Normal, true);
    }
  }
  return count;
}

int AGIM::Stitch_ZB_Render(int element) const {
  const VertexForm plain = VertexForm::Plain;
  int count = 0;
  for (int s = 0; s < 4; ++s) {
    const std::vector<AGIM_Zipper_Block>* blocks = agim::zipper_side(*this, element, s);
    if (blocks == nullptr) continue;
    const std::size_t nb = blocks->size();
    for (std::size_t b = 0; b + 1 < nb; ++b) {
      const AGIM_Zipper_Block& left = (*blocks)[b];
      const AGIM_Zipper_Block& right = (*blocks)[b + 1];
      // The strip across the cell edge the two blocks share. Both blocks need their chains,
      // at one level difference (a side of level difference 0 has no pyramids to join).
      if (agim::has_chains(left) && agim::has_chains(right) &&
          left.level_diff == right.level_diff) {
        const int d = left.level_diff;
        const int m = left.sample_count;
        const std::vector<Point>& T = left.tail;
        const std::vector<Point>& H = right.head;
        const PointGrid& E = left.samples;
        agim::emit_triangle(H[1], T[1], E[m - 1][0], plain);
        agim::emit_triangle(T[d], H[d], E[m - 1][m - 1], plain);
        for (int k = 1; k < d; ++k) {
          agim::emit_triangle(T[k], H[k], T[k + 1], plain);
          agim::emit_triangle(T[k + 1], H[k], H[k + 1], plain);
        }
        count += 2 * d;
      }
      // Fan of the first block's row starts to the inner end of the side's starting edge.
      if (b == 0 && !left.is_corner && has_list(left, left.head)) {
        const int d = left.level_diff;
        const int m = left.sample_count;
        const Point& F = left.samples[0][m - 1];
        const std::vector<Point>& H0 = left.head;
        for (int k = 0; k < d; ++k) agim::emit_triangle(F, H0[k], H0[k + 1], plain);
        count += d;
      }
      // Fan of the last block's row ends to the inner end of the side's closing edge.
      if (b + 2 == nb && !right.is_corner && has_list(right, right.tail)) {
        const int d = right.level_diff;
        const int m = right.sample_count;
        const Point& G = right.samples[m - 1][m - 1];
        const std::vector<Point>& TL = right.tail;
        for (int k = 0; k < d; ++k) agim::emit_triangle(G, TL[k + 1], TL[k], plain);
        count += d;
      }
    }
  }
  return count;
}
