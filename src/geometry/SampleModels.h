// Sample models: closed cube-sphere patch layouts sampled from synthetic shapes, used by the
// generator tool, the tests and the benchmarks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/AGIM.h"

namespace agim {

// The synthetic shapes; all share one layout so a sequence of them morphs.
enum class SampleShape { Sphere, RoundedCube, Ellipsoid, BumpySphere, Twisted };

// Every shape, in the order of the default sample sequence.
inline constexpr std::array<SampleShape, 5> kAllSampleShapes = {
    SampleShape::Sphere, SampleShape::RoundedCube, SampleShape::Ellipsoid,
    SampleShape::BumpySphere, SampleShape::Twisted};

// Turntable centre: every sample model is centred here.
inline constexpr double kSampleCentre[3] = {0.147256, 0.414707, 0.38072};

// Cube-sphere layout of a sample model: 6 faces of k x k patches, one storage level.
struct SampleLayout {
  int patches_per_edge = 2;  // k: 6 * k * k patches
  int storage_level = 5;     // max_level of every patch (N = 17)
  int level_spread = 3;      // current levels range over storage_level-spread .. storage_level (never below 1)
};

// Integer lattice point on the surface of the cube [0, K]^3, K = k * (N - 1). Both patches on
// either side of a border name their shared samples by the same lattice points.
struct LatticePoint {
  int32_t v[3];  // x, y, z lattice coordinates, each 0 .. K, at least one of them 0 or K
};

// Where stored sample (r, c) of a patch lies on the cube lattice, and the patch's neighbours.
// Face f (0..5) has outward axis f / 2, sign + for even f; patch (i, j) of a face is its
// row band i and column band j.
class CubeSphereLayout {
 public:
  // Throws std::invalid_argument when k < 1, the storage level is outside
  // 1..kMaxStorageLevel or the spread is negative.
  explicit CubeSphereLayout(const SampleLayout& layout);

  int patch_count() const { return 6 * k_ * k_; }  // 6 k^2
  int samples_per_side() const { return n_; }       // N
  int lattice_extent() const { return extent_; }    // K = k (N - 1)
  // Lattice point of stored sample (r, c) of patch `id`; r, c in 0..N-1.
  LatticePoint lattice_point(int id, int r, int c) const;
  // Unit direction from the cube centre towards a lattice point (equal-angle cube mapping):
  // a function of the lattice point alone, so it is bit-identical for every patch naming it.
  void direction(const LatticePoint& p, double d[3]) const;
  // Neighbour ids of patch `id` across sides 0..3 (side 0 row 0, 1 column 0, 2 row N-1,
  // 3 column N-1).
  std::array<int, 4> neighbours(int id) const;
  // Current level of patch `id`: storage level minus a fixed per-patch offset 0..spread,
  // never below 1; deterministic.
  int level(int id) const;

 private:
  int k_;
  int n_;
  int extent_;
  int storage_level_;
  int spread_;
  std::vector<std::array<int, 4>> neighbours_;  // per patch, across sides 0..3
};

// Fills `model` with the patches of `cube` as the reader would (constants, ids, levels,
// neighbours, direction codes 1, 0, 0, 1, N x N grids), taking every stored sample's position
// and normal from `sample` (given the sample's lattice point and its unit direction). No
// zipper data, no strips. Replaces whatever `model` held.
void fill_layout_model(const CubeSphereLayout& cube, const SampleLayout& layout, AGIM& model,
                       const std::function<void(const LatticePoint& lattice, const double direction[3],
                                                Point& position, Point& normal)>& sample);

// Fills `model` as the reader would (constants, patches, levels, neighbours, direction codes
// 1, 0, 0, 1, grids), no zipper data, no strips. Replaces whatever `model` held. Throws
// std::invalid_argument on a layout CubeSphereLayout rejects.
void make_sample_model(SampleShape shape, const SampleLayout& layout, AGIM& model);
// File-name form of a shape: "sphere", "rounded-cube", "ellipsoid", "bumpy-sphere", "twisted".
const char* sample_shape_name(SampleShape shape);
// The shape named `name` (as sample_shape_name spells it); false when no shape has that name.
bool sample_shape_from_name(const char* name, SampleShape* shape);
// Position (centred on the turntable centre) and unit outward normal of `shape` in the unit
// direction d; a pure function of its arguments.
void sample_shape_point(SampleShape shape, const double d[3], double position[3], double normal[3]);

}  // namespace agim
