// PointGrid: an owned square grid of Point samples in one contiguous block, addressed grid[r][c].
#pragma once

#include <cstddef>
#include <vector>

#include "model/Point.h"

// A square n x n grid of samples. grid[r][c] is row r (first index), column c. Copying copies
// the samples (deep copy); an empty grid (size 0) stands for "no grid allocated".
class PointGrid {
 public:
  PointGrid() = default;
  explicit PointGrid(int n) { resize(n); }

  // Replaces the contents by n x n zeroed samples.
  void resize(int n) {
    n_ = n > 0 ? n : 0;
    cells_.assign(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_), Point{});
  }
  // Releases the samples; the grid becomes empty.
  void clear() {
    n_ = 0;
    cells_.clear();
    cells_.shrink_to_fit();
  }

  Point* operator[](int r) { return cells_.data() + static_cast<std::size_t>(r) * n_; }
  const Point* operator[](int r) const { return cells_.data() + static_cast<std::size_t>(r) * n_; }

  int size() const { return n_; }  // samples a side
  bool empty() const { return n_ == 0; }
  Point* data() { return cells_.data(); }
  const Point* data() const { return cells_.data(); }
  std::size_t sample_count() const { return cells_.size(); }  // n * n

 private:
  int n_ = 0;
  std::vector<Point> cells_;
};
