// The morph engine: deep copies of two models and the in-place blend step between them.
#include "morph/Morph.h"

#include <cstddef>
#include <utility>

#include "model/Level.h"

namespace {

// Copies x, y, z of every stored sample of `from` into a fresh grid of the same size; the
// other fields of a model grid are unused and stay zero.
void copy_grid_xyz(const PointGrid& from, PointGrid& to) {
  to.resize(from.size());
  const Point* src = from.data();
  Point* dst = to.data();
  const std::size_t count = from.sample_count();
  for (std::size_t i = 0; i < count; ++i) {
    dst[i].x = src[i].x;
    dst[i].y = src[i].y;
    dst[i].z = src[i].z;
  }
}

// The working-model copy of `source`: ids, levels (base_level = level), neighbours, direction
// codes, grid_size recomputed from level and both stored grids; flags cleared, no zipper
// blocks, no strips, no buffers. A patch whose id names no slot is not copied: its slot keeps
// a cleared patch with empty grids and its slot as id, which the blend passes over.
AGIM copy_working_model(const AGIM& source) {
  AGIM w;
  // The patch vector is the authority on how many patches there are to read.
  std::size_t count = source.element_count > 0 ? static_cast<std::size_t>(source.element_count) : 0;
  if (count > source.elements.size()) count = source.elements.size();
  w.element_count = static_cast<int>(count);
  w.elements.resize(count);  // constructor-cleared: no flags, no zipper blocks
  for (std::size_t slot = 0; slot < count; ++slot) w.elements[slot].element_id = static_cast<int>(slot);
  for (std::size_t slot = 0; slot < count; ++slot) {
    const int id = source.elements[slot].element_id;
    if (id < 0 || static_cast<std::size_t>(id) >= count) continue;
    const AGIM_element& s = source.elements[static_cast<std::size_t>(id)];
    AGIM_element& e = w.elements[static_cast<std::size_t>(id)];
    e.element_id = id;
    e.level = s.level;
    e.base_level = s.level;
    e.max_level = s.max_level;
    for (int k = 0; k < 4; ++k) {
      e.neighbour[k] = s.neighbour[k];
      e.side_orientation[k] = s.side_orientation[k];
    }
    e.grid_size = agim::grid_size_for_level(e.level);
    // The stored grids are N x N with N from max_level; copying them as they stand keeps
    // every read inside the source's arrays even for a patch that breaks that rule.
    copy_grid_xyz(s.position_grid, e.position_grid);
    copy_grid_xyz(s.normal_grid, e.normal_grid);
  }
  return w;
}

// Moves `count` consecutive samples of `p` toward those of `q` with weight t: each of x, y, z
// becomes (float)((double)q * t + (1.0 - t) * (double)p), computed in double precision in
// that order and rounded once on store. The four values x, y, z, nx of a sample are worked as
// one short vector so the compiler keeps the loop in SIMD registers; nx is computed and
// thrown away, never stored. Built without contraction, so every lane matches the scalar
// formula bit for bit.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void blend_samples(Point* __restrict p, const Point* __restrict q, std::size_t count, double t) {
#if defined(__GNUC__)
  typedef float Float4 __attribute__((vector_size(16)));
  typedef double Double4 __attribute__((vector_size(32)));
  const double u = 1.0 - t;
  const Double4 tv = {t, t, t, t};
  const Double4 uv = {u, u, u, u};
  for (std::size_t i = 0; i < count; ++i) {
    Float4 pf;
    Float4 qf;
    __builtin_memcpy(&pf, &p[i].x, sizeof pf);  // x, y, z, nx
    __builtin_memcpy(&qf, &q[i].x, sizeof qf);
    const Double4 pd = __builtin_convertvector(pf, Double4);
    const Double4 qd = __builtin_convertvector(qf, Double4);
    const Double4 qt = qd * tv;
    const Double4 up = uv * pd;
    const Float4 r = __builtin_convertvector(qt + up, Float4);
    p[i].x = r[0];
    p[i].y = r[1];
    p[i].z = r[2];
  }
#else
  const double u = 1.0 - t;
  for (std::size_t i = 0; i < count; ++i) {
    p[i].x = static_cast<float>(static_cast<double>(q[i].x) * t + u * static_cast<double>(p[i].x));
    p[i].y = static_cast<float>(static_cast<double>(q[i].y) * t + u * static_cast<double>(p[i].y));
    p[i].z = static_cast<float>(static_cast<double>(q[i].z) * t + u * static_cast<double>(p[i].z));
  }
#endif
}

// Blends every stored sample of grid `p` toward the same row and column of `q`. `q` holds at
// least as many samples a side as `p`.
void blend_grid(PointGrid& p, const PointGrid& q, double t) {
  const int n = p.size();
  if (n == 0) return;
  if (q.size() == n) {
    blend_samples(p.data(), q.data(), p.sample_count(), t);
    return;
  }
  for (int r = 0; r < n; ++r) blend_samples(p[r], q[r], static_cast<std::size_t>(n), t);
}

}  // namespace

Morph::Morph() : current_model(std::make_unique<AGIM>()), next_model(std::make_unique<AGIM>()) {}

void Morph::Load_Current_AGIM(const AGIM& source) {
  // Built aside first, so a source that is one of our own working models is read whole; the
  // old arrays are released by the move, and the model keeps its address for readers.
  AGIM copy = copy_working_model(source);
  *current_model = std::move(copy);
}

void Morph::Load_Next_AGIM(const AGIM& source) {
  AGIM copy = copy_working_model(source);
  *next_model = std::move(copy);
}

bool Morph::calculate_pos() {
  const double t = blend_weight;
  AGIM& current = *current_model;
  const AGIM& next = *next_model;
  const std::size_t current_count = current.elements.size();
  const std::size_t next_count = next.elements.size();
  const int slots = current.element_count;
  for (int i = 0; i < slots && static_cast<std::size_t>(i) < current_count; ++i) {
    const int id = current.elements[static_cast<std::size_t>(i)].element_id;
    // A patch the next model lacks, or whose stored grids are smaller than ours, has no
    // target for some of our samples: it stays as it is.
    if (id < 0 || static_cast<std::size_t>(id) >= current_count ||
        static_cast<std::size_t>(id) >= next_count)
      continue;
    AGIM_element& p = current.elements[static_cast<std::size_t>(id)];
    const AGIM_element& q = next.elements[static_cast<std::size_t>(id)];
    if (q.position_grid.size() < p.position_grid.size() ||
        q.normal_grid.size() < p.normal_grid.size())
      continue;
    // Every stored sample is blended, so whichever samples a renderer takes (the first
    // grid_size rows and columns, or every stride-th one) have moved.
    blend_grid(p.position_grid, q.position_grid, t);
    blend_grid(p.normal_grid, q.normal_grid, t);
  }

  if (t - 0.8 > 0.0) {
    blend_weight = 0.0;
    return true;
  }
  blend_weight = t + 0.05;
  return false;
}
