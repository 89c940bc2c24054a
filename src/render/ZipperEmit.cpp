#include "render/ZipperEmit.h"

#include <cstddef>

#include "render/DrawSink.h"
#include "render/ZipperBlockAccess.h"

namespace agim {

void emit_sample(const Point& p, VertexForm form) {
  DrawSink& sink = Draw();
  sink.Normal3f(p.nx, p.ny, p.nz);
  if (form == VertexForm::Homogeneous)
    sink.Vertex4f(p.x, p.y, p.z, 1.0f);
  else
    sink.Vertex3f(p.x, p.y, p.z);
}

void emit_position(const Point& p) { Draw().Vertex4f(p.x, p.y, p.z, 1.0f); }

void emit_triangle(const Point& a, const Point& b, const Point& c, VertexForm form) {
  emit_sample(a, form);
  emit_sample(b, form);
  emit_sample(c, form);
}

void emit_triangle_positions(const Point& a, const Point& b, const Point& c) {
  emit_position(a);
  emit_position(b);
  emit_position(c);
}

int emit_row_band(const std::vector<Point>& upper, const std::vector<Point>& lower,
                  VertexForm form) {
  const std::size_t n = upper.size();
  int count = 0;
  if (n < 2) return 0;
  if (n % 2 == 0) {
    // Even row: a zigzag; the new row sits between each pair of neighbours.
    if (lower.size() != n - 1) return 0;
    for (std::size_t q = 0; q + 1 < n; ++q) {
      emit_triangle(upper[q], upper[q + 1], lower[q], form);
      ++count;
      if (q + 1 < n - 1) {
        emit_triangle(upper[q + 1], lower[q + 1], lower[q], form);
        ++count;
      }
    }
  } else {
    // Odd row: each new entry sits under an odd entry and fans its two neighbours.
    const std::size_t half = (n - 1) / 2;
    if (lower.size() != half) return 0;
    for (std::size_t q = 1; q + 1 < n; q += 2) {
      const Point& centre = lower[(q - 1) / 2];
      emit_triangle(upper[q - 1], upper[q], centre, form);
      emit_triangle(upper[q], upper[q + 1], centre, form);
      count += 2;
      if ((q + 1) / 2 < half) {
        emit_triangle(lower[(q + 1) / 2], centre, upper[q + 1], form);
        ++count;
      }
    }
  }
  return count;
}

int emit_block_pyramid(const AGIM_Zipper_Block& block, PyramidRule rule, bool close) {
  if (!has_pyramid(block)) return 0;
  const int d = block.level_diff;
  const int m = block.sample_count;
  std::vector<Point> row;
  std::vector<Point> next;
  first_pyramid_row(block, row);
  int count = 0;
  // Each row step narrows the row; after d steps only the apex is left.
  for (int t = 0; t < d && row.size() >= 2; ++t) {
    next_pyramid_row(block, row, t, rule, next);
    count += emit_row_band(row, next, VertexForm::Homogeneous);
    row.swap(next);
  }
  if (close && row.size() == 1) {
    emit_triangle(row[0], block.samples[m - 1][m - 1], block.samples[0][m - 1],
                  VertexForm::Homogeneous);
    ++count;
  }
  return count;
}

}  // namespace agim
