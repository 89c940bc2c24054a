// The property the zipper blocks exist for, on generated cube-sphere models: along every zipper
// side the blocks' outer column, in walk order, is bit for bit the finer neighbour's own
// current-level samples along the shared side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "geometry/SampleModels.h"
#include "model/AGIM.h"
#include "model/Level.h"

namespace {

// Position and normal of one sample, as compared bit for bit.
struct Sample {
  float v[6];
  bool operator==(const Sample& o) const { return std::memcmp(v, o.v, sizeof v) == 0; }
};

void prepare(AGIM& m) {
  m.Prepare_Zipper_Data();
}

// Column 0 of the side's blocks in walk order, shared end rows taken once.
std::vector<Sample> outer_column(const AGIM_element& e, int side) {
  std::vector<Sample> out;
  const auto& blocks = (*e.zipper_blocks)[side];
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    const AGIM_Zipper_Block& zb = blocks[b];
    for (int k = b == 0 ? 0 : 1; k < zb.sample_count; ++k) {
      const Point& p = zb.samples[k][0];
      out.push_back(Sample{{p.x, p.y, p.z, p.nx, p.ny, p.nz}});
    }
  }
  return out;
}

// The patch's current-level samples along its own side, in increasing grid index.
std::vector<Sample> side_samples(const AGIM_element& e, int side) {
  const int n = agim::grid_size_for_level(e.max_level);
  const int stride = agim::stride_for_levels(e.max_level, e.level);
  std::vector<Sample> out;
  for (int j = 0; j < e.grid_size; ++j) {
    const int a = j * stride;
    const int r = side == 0 ? 0 : side == 2 ? n - 1 : a;
    const int c = side == 1 ? 0 : side == 3 ? n - 1 : a;
    const Point& p = e.position_grid[r][c];
    const Point& q = e.normal_grid[r][c];
    out.push_back(Sample{{p.x, p.y, p.z, q.x, q.y, q.z}});
  }
  return out;
}

// Checks every zipper side of `m`; returns the level gaps seen.
std::set<int> check_zipper_sides(const AGIM& m) {
  std::set<int> gaps;
  for (int id = 0; id < m.element_count; ++id) {
    const AGIM_element& e = m.elements[static_cast<std::size_t>(id)];
    if (!e.has_zipper) continue;
    for (int s = 0; s < 4; ++s) {
      if (!e.side_zipper[s]) continue;
      const AGIM_element& nb = m.elements[static_cast<std::size_t>(e.neighbour[s])];
      gaps.insert(nb.level - e.level);
      const std::vector<Sample> mine = outer_column(e, s);
      bool matched = false;
      for (int s2 = 0; s2 < 4 && !matched; ++s2) {
        if (nb.neighbour[s2] != id) continue;
        std::vector<Sample> theirs = side_samples(nb, s2);
        if (theirs == mine) matched = true;
        std::reverse(theirs.begin(), theirs.end());
        if (theirs == mine) matched = true;
      }
      EXPECT_TRUE(matched) << "patch " << id << " side " << s << " (level " << e.level
                           << ") against patch " << e.neighbour[s] << " (level " << nb.level << ")";
    }
  }
  return gaps;
}

TEST(CrackFree, OuterColumnsMatchTheFinerNeighboursSamplesBitForBit) {
  const agim::SampleLayout layouts[] = {{2, 5, 3}, {3, 6, 4}, {1, 4, 3}};
  std::set<int> gaps;
  for (const agim::SampleLayout& layout : layouts)
    for (agim::SampleShape shape : agim::kAllSampleShapes) {
      SCOPED_TRACE(testing::Message() << agim::sample_shape_name(shape) << " k " << layout.patches_per_edge
                                      << " storage " << layout.storage_level);
      AGIM m;
      agim::make_sample_model(shape, layout, m);
      prepare(m);
      const std::set<int> seen = check_zipper_sides(m);
      gaps.insert(seen.begin(), seen.end());
      // Level changes rebuild the blocks; the property holds at every step.
      m.LOD_Change(-4.5);
      check_zipper_sides(m);
      m.LOD_Change(0.0);
      check_zipper_sides(m);
    }
  // Every gap the generator can produce was exercised.
  for (int gap = 1; gap <= 4; ++gap) EXPECT_TRUE(gaps.count(gap)) << "gap " << gap;
}

TEST(CrackFree, CornerFlaggingEngagesOnGeneratedModelsAndKeepsTheSamples) {
  AGIM m;
  agim::make_sample_model(agim::SampleShape::BumpySphere, {3, 6, 4}, m);
  prepare(m);
  m.Flag_CornerZB();
  int corners = 0;
  for (const AGIM_element& e : m.elements) {
    if (!e.has_zipper) continue;
    for (int s = 0; s < 4; ++s)
      for (const AGIM_Zipper_Block& zb : (*e.zipper_blocks)[s]) {
        if (!zb.is_corner) continue;
        ++corners;
        EXPECT_EQ(zb.is_normal, 0);
        EXPECT_EQ(zb.head.size(), static_cast<std::size_t>(zb.level_diff) + 1);
      }
  }
  EXPECT_GT(corners, 0);
  check_zipper_sides(m);
}

}  // namespace
