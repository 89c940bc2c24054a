// Small in-memory models for tests: patches built directly from a position function, with
// chosen levels, neighbours and direction codes, without going through a file.
#pragma once

#include <functional>
#include <initializer_list>

#include "model/AGIM.h"
#include "model/Level.h"

namespace agim::test {

// Position (and unit normal) of stored sample (r, c) of patch `id`.
using SampleFn = std::function<void(int id, int r, int c, Point& position, Point& normal)>;

// Flat index grid: position (r, c, 0), normal (0, 0, 1). Lets a test read a sample's grid
// indices straight off its position.
inline void index_grid(int, int r, int c, Point& p, Point& n) {
  p = Point{};
  n = Point{};
  p.x = static_cast<float>(r);
  p.y = static_cast<float>(c);
  n.z = 1.0f;
}

struct PatchSpec {
  int level = 1;
  int max_level = 1;
  int neighbour[4] = {0, 0, 0, 0};
  int side_orientation[4] = {0, 0, 0, 0};
};

// Fills `model` with the given patches, as the reader would (constants, grids, levels;
// no zipper data, no strips). Patch k gets id k.
inline void build_model(AGIM& model, std::initializer_list<PatchSpec> specs,
                        const SampleFn& sample = index_grid) {
  model = AGIM{};
  model.Write_Load_Constants();
  model.element_count = static_cast<int>(specs.size());
  model.elements.resize(specs.size());
  int id = 0;
  for (const PatchSpec& s : specs) {
    AGIM_element& e = model.elements[static_cast<std::size_t>(id)];
    e.element_id = id;
    e.level = e.base_level = s.level;
    e.max_level = s.max_level;
    e.grid_size = grid_size_for_level(s.level);
    for (int k = 0; k < 4; ++k) {
      e.neighbour[k] = s.neighbour[k];
      e.side_orientation[k] = s.side_orientation[k];
    }
    const int n = grid_size_for_level(s.max_level);
    e.position_grid.resize(n);
    e.normal_grid.resize(n);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) sample(id, r, c, e.position_grid[r][c], e.normal_grid[r][c]);
    ++id;
  }
}

}  // namespace agim::test
