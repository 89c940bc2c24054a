// Mesh conversion speed: rays cast from the centroid through the bounding-volume hierarchy
// against the plain loop over every triangle (same mesh, same directions, same run), and a
// whole conversion to the default layout.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "geometry/MeshSampler.h"
#include "geometry/SampleModels.h"

namespace {

// A lumpy closed sphere of 2 * segments * (rings - 1) triangles: rings 160, segments 314 give
// 99,852 triangles.
const agim::TriangleSoup& lumpy_mesh() {
  static const agim::TriangleSoup mesh = [] {
    agim::TriangleSoup m;
    const int rings = 160, segments = 314;
    auto lump = [](double x, double y, double z) {
      return 1.0 + 0.2 * std::sin(6.0 * x) * std::cos(5.0 * y) * std::sin(4.0 * z + 0.5);
    };
    m.vertices.push_back({0.0, 0.0, lump(0, 0, 1)});  // north pole
    for (int i = 1; i < rings; ++i) {
      const double theta = M_PI * i / rings;
      for (int j = 0; j < segments; ++j) {
        const double phi = 2.0 * M_PI * j / segments;
        const double x = std::sin(theta) * std::cos(phi), y = std::sin(theta) * std::sin(phi), z = std::cos(theta);
        const double r = lump(x, y, z);
        m.vertices.push_back({r * x, r * y, r * z});
      }
    }
    m.vertices.push_back({0.0, 0.0, -lump(0, 0, -1)});  // south pole
    const int south = static_cast<int>(m.vertices.size()) - 1;
    auto at = [&](int ring, int seg) { return 1 + (ring - 1) * segments + seg % segments; };
    for (int j = 0; j < segments; ++j) m.triangles.push_back({0, at(1, j), at(1, j + 1)});
    for (int i = 1; i + 1 < rings; ++i)
      for (int j = 0; j < segments; ++j) {
        m.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
        m.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
      }
    for (int j = 0; j < segments; ++j) m.triangles.push_back({south, at(rings - 1, j + 1), at(rings - 1, j)});
    return m;
  }();
  return mesh;
}

// The distinct sample directions of the default layout, in patch order.
const std::vector<std::array<double, 3>>& directions() {
  static const std::vector<std::array<double, 3>> dirs = [] {
    std::vector<std::array<double, 3>> out;
    const agim::CubeSphereLayout cube(agim::SampleLayout{});
    for (int id = 0; id < cube.patch_count(); ++id)
      for (int r = 0; r < cube.samples_per_side(); ++r)
        for (int c = 0; c < cube.samples_per_side(); ++c) {
          std::array<double, 3> d;
          cube.direction(cube.lattice_point(id, r, c), d.data());
          out.push_back(d);
        }
    return out;
  }();
  return dirs;
}

const agim::RadialMeshSampler& sampler() {
  static const agim::RadialMeshSampler s = [] {
    agim::RadialMeshSampler built;
    std::string error;
    if (!built.build(lumpy_mesh(), &error)) std::abort();
    return built;
  }();
  return s;
}

// Rays through the hierarchy, over every sample direction of the default layout.
void BM_RaysHierarchy(benchmark::State& state) {
  const auto& s = sampler();
  const auto& dirs = directions();
  for (auto _ : state) {
    for (const auto& d : dirs) {
      agim::RadialMeshSampler::Hit hit;
      benchmark::DoNotOptimize(s.cast(d.data(), &hit));
      benchmark::DoNotOptimize(hit.distance);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(dirs.size()));
  state.counters["triangles"] = s.triangle_count();
}
BENCHMARK(BM_RaysHierarchy)->Unit(benchmark::kMillisecond);

// The plain loop over every triangle, on every 32nd of the same directions (it is slow).
void BM_RaysBruteForce(benchmark::State& state) {
  const auto& s = sampler();
  const auto& dirs = directions();
  int64_t rays = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < dirs.size(); i += 32) {
      agim::RadialMeshSampler::Hit hit;
      benchmark::DoNotOptimize(s.cast_brute_force(dirs[i].data(), &hit));
      benchmark::DoNotOptimize(hit.distance);
      ++rays;
    }
  }
  state.SetItemsProcessed(rays);
  state.counters["triangles"] = s.triangle_count();
}
BENCHMARK(BM_RaysBruteForce)->Unit(benchmark::kMillisecond);

// A whole conversion of the mesh to the default layout: preparation, hierarchy and rays.
void BM_ConvertMesh(benchmark::State& state) {
  for (auto _ : state) {
    AGIM model;
    std::string error;
    benchmark::DoNotOptimize(agim::make_mesh_model(lumpy_mesh(), agim::SampleLayout{}, "lumpy", model, &error));
  }
}
BENCHMARK(BM_ConvertMesh)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
