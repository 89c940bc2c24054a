#include "zipper/PyramidRows.h"

namespace agim {
namespace {

Point pick(const AGIM_Zipper_Block& block, int i, int j) {
  Point p = block.samples[i][j];
  p.row = i;
  p.column = j;
  return p;
}

}  // namespace

void first_pyramid_row(const AGIM_Zipper_Block& block, std::vector<Point>& row0) {
  const int m = block.sample_count;
  row0.clear();
  row0.reserve(static_cast<std::size_t>(m));
  for (int k = 0; k < m; ++k) row0.push_back(pick(block, k, 0));
}

void next_pyramid_row(const AGIM_Zipper_Block& block, const std::vector<Point>& from, int t,
                      PyramidRule rule, std::vector<Point>& to) {
  const int c = static_cast<int>(from.size());
  const int m = block.sample_count;
  to.clear();
  if (c % 2 == 0) {
    // Even row: one entry between each pair of neighbours.
    for (int q = 0; q + 1 < c; ++q) {
      int j = t + from[q].column + 1;
      int i = 0;
      switch (rule) {
        case PyramidRule::Normal:
          i = (from[q].row + from[q + 1].row) / 2;
          break;
        case PyramidRule::CornerFirst:
          i = from[q + 1].row;
          if (i == j) i = i + 1;
          if (i == m - 1) {
            i = i - 1;
            j = j - 1;
          }
          break;
        case PyramidRule::CornerLast:
          i = from[q].row;
          if (i == j) i = i - 1;
          if (i == 0) {
            i = 1;
            j = j - 1;
          }
          break;
      }
      to.push_back(pick(block, i, j));
    }
  } else {
    // Odd row: one entry at each odd position.
    for (int q = 1; q + 1 < c; q += 2) {
      const int j = t + from[q].column + 1;
      int i = 0;
      switch (rule) {
        case PyramidRule::Normal:
          i = from[q].row;
          break;
        case PyramidRule::CornerFirst:
          i = t == 0 ? from[q].row : from[q + 1].row;
          if (q == 1) i = i + 1;
          break;
        case PyramidRule::CornerLast:
          i = t == 0 ? from[q].row : from[q - 1].row;
          if (q == c - 2) i = i - 1;
          break;
      }
      to.push_back(pick(block, i, j));
    }
  }
}

}  // namespace agim
