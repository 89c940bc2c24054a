// Checks shared by the sample-model and mesh-conversion tests: border samples that two
// patches share, and bitwise comparison of whole models.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ModelCompare.h"
#include "model/AGIM.h"

namespace agim::test {

// Stored samples along side s of a grid, in increasing grid index.
inline std::vector<const Point*> side_samples(const PointGrid& g, int s) {
  const int n = g.size();
  std::vector<const Point*> out;
  for (int i = 0; i < n; ++i) {
    switch (s) {
      case 0: out.push_back(&g[0][i]); break;
      case 1: out.push_back(&g[i][0]); break;
      case 2: out.push_back(&g[n - 1][i]); break;
      default: out.push_back(&g[i][n - 1]); break;
    }
  }
  return out;
}

// True when the two sides hold the same samples (positions and normals) bit for bit, in the
// same or in reverse order.
inline bool sides_match(const AGIM_element& a, int sa, const AGIM_element& b, int sb) {
  const auto pa = side_samples(a.position_grid, sa), na = side_samples(a.normal_grid, sa);
  const auto pb = side_samples(b.position_grid, sb), nb = side_samples(b.normal_grid, sb);
  if (pa.size() != pb.size()) return false;
  const std::size_t n = pa.size();
  bool forward = true, backward = true;
  for (std::size_t i = 0; i < n; ++i) {
    forward = forward && same_bits(*pa[i], *pb[i]) && same_bits(*na[i], *nb[i]);
    backward = backward && same_bits(*pa[i], *pb[n - 1 - i]) && same_bits(*na[i], *nb[n - 1 - i]);
  }
  return forward || backward;
}

// Every side of every patch has one neighbour, that neighbour borders it back across exactly
// one side, and the two sides hold the same samples bit for bit.
inline void expect_closed_with_shared_borders(const AGIM& m) {
  for (int id = 0; id < m.element_count; ++id) {
    const AGIM_element& a = m.elements[static_cast<std::size_t>(id)];
    for (int s = 0; s < 4; ++s) {
      const int nbr = a.neighbour[s];
      ASSERT_GE(nbr, 0);
      ASSERT_LT(nbr, m.element_count);
      ASSERT_NE(nbr, id) << "patch " << id << " side " << s;
      const AGIM_element& b = m.elements[static_cast<std::size_t>(nbr)];
      int back = 0, back_side = -1;
      for (int s2 = 0; s2 < 4; ++s2)
        if (b.neighbour[s2] == id) ++back, back_side = s2;
      ASSERT_EQ(back, 1) << "patch " << id << " side " << s << " -> " << nbr;
      EXPECT_TRUE(sides_match(a, s, b, back_side))
          << "patch " << id << " side " << s << " vs patch " << nbr << " side " << back_side;
    }
  }
}

}  // namespace agim::test
