// Sample models: closed cube-sphere topology, shared border samples, orientation, normals and
// the spread of levels, on every shape.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <vector>

#include "geometry/SampleModels.h"
#include "sample_models_checks.h"
#include "model/Level.h"

namespace agim {
namespace {

using test::same_bits;

struct LayoutCase {
  const char* name;
  SampleLayout layout;
};

const LayoutCase kLayouts[] = {
    {"default k2 L5", {2, 5, 3}},
    {"one patch a face, L3", {1, 3, 1}},
    {"k3 L4 spread 3", {3, 4, 3}},
    {"k1 L1 corners only", {1, 1, 0}},
};

TEST(SampleModels, ClosedTopologyWithBitIdenticalBorders) {
  for (const LayoutCase& lc : kLayouts) {
    for (SampleShape shape : kAllSampleShapes) {
      SCOPED_TRACE(std::string(lc.name) + " / " + sample_shape_name(shape));
      AGIM m;
      make_sample_model(shape, lc.layout, m);
      const int k = lc.layout.patches_per_edge;
      ASSERT_EQ(m.element_count, 6 * k * k);
      ASSERT_EQ(m.elements.size(), static_cast<std::size_t>(m.element_count));
      for (int id = 0; id < m.element_count; ++id) {
        const AGIM_element& a = m.elements[static_cast<std::size_t>(id)];
        EXPECT_EQ(a.element_id, id);
        EXPECT_EQ(a.max_level, lc.layout.storage_level);
        EXPECT_EQ(a.position_grid.size(), grid_size_for_level(a.max_level));
        EXPECT_EQ(a.grid_size, grid_size_for_level(a.level));
        EXPECT_EQ(a.base_level, a.level);
        EXPECT_EQ(a.side_orientation[0], 1);
        EXPECT_EQ(a.side_orientation[1], 0);
        EXPECT_EQ(a.side_orientation[2], 0);
        EXPECT_EQ(a.side_orientation[3], 1);
      }
      test::expect_closed_with_shared_borders(m);
    }
  }
}

TEST(SampleModels, RowCrossColumnPointsOutwardAndNormalsAreUnit) {
  for (SampleShape shape : kAllSampleShapes) {
    SCOPED_TRACE(sample_shape_name(shape));
    AGIM m;
    make_sample_model(shape, SampleLayout{2, 5, 3}, m);
    int wrong = 0, far_off = 0;
    for (const AGIM_element& e : m.elements) {
      const int n = e.position_grid.size();
      for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
          const Point& q = e.normal_grid[r][c];
          const double len = std::sqrt(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z);
          EXPECT_NEAR(len, 1.0, 1e-6);
          const Point& p = e.position_grid[r][c];
          // Outward: the normal leaves the turntable centre.
          const double radial = (p.x - kSampleCentre[0]) * q.x + (p.y - kSampleCentre[1]) * q.y +
                                (p.z - kSampleCentre[2]) * q.z;
          EXPECT_GT(radial, 0.0);
          if (r + 1 == n || c + 1 == n) continue;
          const Point& pr = e.position_grid[r + 1][c];
          const Point& pc = e.position_grid[r][c + 1];
          const double u[3] = {double(pr.x) - p.x, double(pr.y) - p.y, double(pr.z) - p.z};
          const double v[3] = {double(pc.x) - p.x, double(pc.y) - p.y, double(pc.z) - p.z};
          const double x[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
          const double xl = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
          const double cosine = (x[0] * q.x + x[1] * q.y + x[2] * q.z) / xl;
          if (!(cosine > 0.0)) ++wrong;
          // The normal belongs to the surface the grid samples: close to the cell's normal.
          if (!(cosine > 0.9)) ++far_off;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << "cells whose row x column points inward";
    EXPECT_EQ(far_off, 0) << "cells whose normal strays from the sampled surface";
  }
}

TEST(SampleModels, LevelDifferencesOneTwoAndThreeOccur) {
  for (const SampleLayout& layout : {SampleLayout{2, 5, 3}, SampleLayout{3, 5, 3}, SampleLayout{4, 6, 3}}) {
    AGIM m;
    make_sample_model(SampleShape::Sphere, layout, m);
    std::set<int> diffs, levels;
    for (const AGIM_element& e : m.elements) {
      levels.insert(e.level);
      for (int s = 0; s < 4; ++s)
        diffs.insert(std::abs(e.level - m.elements[static_cast<std::size_t>(e.neighbour[s])].level));
    }
    SCOPED_TRACE("k " + std::to_string(layout.patches_per_edge));
    EXPECT_TRUE(diffs.count(1) && diffs.count(2) && diffs.count(3));
    EXPECT_EQ(*levels.begin(), layout.storage_level - 3);
    EXPECT_EQ(*levels.rbegin(), layout.storage_level);
  }
  // A spread wider than the storage level allows stops at level 1; no spread, one level.
  for (const auto& [layout, lo, hi] : {std::tuple{SampleLayout{2, 3, 9}, 1, 3}, std::tuple{SampleLayout{2, 4, 0}, 4, 4}}) {
    AGIM m;
    make_sample_model(SampleShape::Sphere, layout, m);
    for (const AGIM_element& e : m.elements) {
      EXPECT_GE(e.level, lo);
      EXPECT_LE(e.level, hi);
    }
  }
}

TEST(SampleModels, ShapesShareLayoutAndAreDeterministic) {
  AGIM a, b, c;
  make_sample_model(SampleShape::Twisted, SampleLayout{}, a);
  make_sample_model(SampleShape::Twisted, SampleLayout{}, b);
  make_sample_model(SampleShape::Ellipsoid, SampleLayout{}, c);
  ASSERT_EQ(a.element_count, c.element_count);
  for (std::size_t i = 0; i < a.elements.size(); ++i) {
    const AGIM_element &ea = a.elements[i], &eb = b.elements[i], &ec = c.elements[i];
    EXPECT_EQ(ea.level, ec.level);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(ea.neighbour[s], ec.neighbour[s]);
    for (std::size_t j = 0; j < ea.position_grid.sample_count(); ++j) {
      EXPECT_TRUE(same_bits(ea.position_grid.data()[j], eb.position_grid.data()[j]));
      EXPECT_TRUE(same_bits(ea.normal_grid.data()[j], eb.normal_grid.data()[j]));
    }
  }
  // About unit size around the turntable centre, for every shape.
  for (SampleShape shape : kAllSampleShapes) {
    AGIM m;
    make_sample_model(shape, SampleLayout{1, 4, 0}, m);
    double rmax = 0.0;
    for (const AGIM_element& e : m.elements)
      for (std::size_t j = 0; j < e.position_grid.sample_count(); ++j) {
        const Point& p = e.position_grid.data()[j];
        rmax = std::max(rmax, std::hypot(p.x - kSampleCentre[0], p.y - kSampleCentre[1], p.z - kSampleCentre[2]));
      }
    EXPECT_GT(rmax, 0.7) << sample_shape_name(shape);
    EXPECT_LT(rmax, 1.3) << sample_shape_name(shape);
  }
}

TEST(SampleModels, NamesAndBadLayouts) {
  for (SampleShape shape : kAllSampleShapes) {
    SampleShape back{};
    ASSERT_TRUE(sample_shape_from_name(sample_shape_name(shape), &back));
    EXPECT_EQ(back, shape);
  }
  SampleShape unused{};
  EXPECT_FALSE(sample_shape_from_name("cube", &unused));
  AGIM m;
  for (const SampleLayout& bad : {SampleLayout{0, 5, 3}, SampleLayout{2, 0, 0}, SampleLayout{2, kMaxStorageLevel + 1, 0},
                                  SampleLayout{2, 5, -1}})
    EXPECT_THROW(make_sample_model(SampleShape::Sphere, bad, m), std::invalid_argument);
}

}  // namespace
}  // namespace agim
