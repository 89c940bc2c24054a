// Converting closed meshes into models: layout and shared borders, accuracy against the mesh,
// a sphere to constant radius, rejection of meshes the centroid cannot see whole, degenerate
// triangles, bad files, and the hierarchy against the plain loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <string>

#include "geometry/MeshSampler.h"
#include "model/AGIM_Writer.h"
#include "sample_models_checks.h"

namespace agim {
namespace {

namespace fs = std::filesystem;
using V3 = std::array<double, 3>;

constexpr const char* kCgalData = "/usr/share/doc/libcgal-dev/data.tar.gz";

// Extracts data/meshes/<name> from CGAL's sample data into the test folder; empty when the
// archive is absent.
std::string cgal_mesh(const std::string& name) {
  if (!fs::exists(kCgalData)) return {};
  const fs::path dir = fs::path(AGIM_TEST_TMP) / "cgal";
  const fs::path file = dir / "data" / "meshes" / name;
  if (!fs::exists(file)) {
    fs::create_directories(dir);
    const std::string cmd = std::string("tar -xzf ") + kCgalData + " -C " + dir.string() + " data/meshes/" + name;
    if (std::system(cmd.c_str()) != 0) return {};
  }
  return file.string();
}

// Icosphere of radius `radius` about `centre`, subdivided `levels` times (20 * 4^levels triangles).
TriangleSoup icosphere(int levels, double radius, V3 centre) {
  TriangleSoup m;
  const double t = (1.0 + std::sqrt(5.0)) / 2.0;
  m.vertices = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  m.triangles = {{0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                 {11, 10, 2}, {10, 7, 6}, {7, 1, 8}, {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8},
                 {3, 8, 9}, {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};
  auto norm = [](V3 v) {
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return V3{v[0] / l, v[1] / l, v[2] / l};
  };
  for (V3& v : m.vertices) v = norm(v);
  for (int l = 0; l < levels; ++l) {
    std::map<std::pair<int, int>, int> mid;
    auto midpoint = [&](int a, int b) {
      const auto key = std::minmax(a, b);
      auto it = mid.find(key);
      if (it != mid.end()) return it->second;
      const V3 &p = m.vertices[static_cast<std::size_t>(a)], &q = m.vertices[static_cast<std::size_t>(b)];
      m.vertices.push_back(norm({p[0] + q[0], p[1] + q[1], p[2] + q[2]}));
      return mid[key] = static_cast<int>(m.vertices.size()) - 1;
    };
    std::vector<std::array<int, 3>> next;
    for (const auto& f : m.triangles) {
      const int a = midpoint(f[0], f[1]), b = midpoint(f[1], f[2]), c = midpoint(f[2], f[0]);
      next.push_back({f[0], a, c});
      next.push_back({f[1], b, a});
      next.push_back({f[2], c, b});
      next.push_back({a, b, c});
    }
    m.triangles = std::move(next);
  }
  for (V3& v : m.vertices)
    for (int a = 0; a < 3; ++a) v[static_cast<std::size_t>(a)] = centre[static_cast<std::size_t>(a)] + radius * v[static_cast<std::size_t>(a)];
  return m;
}

// Torus about the z axis: its centroid sits in the hole.
TriangleSoup torus(int rings, int sides) {
  TriangleSoup m;
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      const double u = 2 * M_PI * i / rings, v = 2 * M_PI * j / sides;
      m.vertices.push_back({(1.0 + 0.3 * std::cos(v)) * std::cos(u), (1.0 + 0.3 * std::cos(v)) * std::sin(u), 0.3 * std::sin(v)});
    }
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < sides; ++j) {
      const int a = i * sides + j, b = ((i + 1) % rings) * sides + j;
      const int c = ((i + 1) % rings) * sides + (j + 1) % sides, d = i * sides + (j + 1) % sides;
      m.triangles.push_back({a, b, c});
      m.triangles.push_back({a, c, d});
    }
  return m;
}

double distance_to_triangle(const V3& p, const V3& a, const V3& b, const V3& c) {
  // Closest point by the region tests of Ericson's Real-Time Collision Detection.
  auto sub = [](V3 x, V3 y) { return V3{x[0] - y[0], x[1] - y[1], x[2] - y[2]}; };
  auto dot = [](V3 x, V3 y) { return x[0] * y[0] + x[1] * y[1] + x[2] * y[2]; };
  auto at = [&](V3 o, V3 d, double s) { return V3{o[0] + s * d[0], o[1] + s * d[1], o[2] + s * d[2]}; };
  auto dist = [&](V3 q) { const V3 d = sub(p, q); return std::sqrt(dot(d, d)); };
  const V3 ab = sub(b, a), ac = sub(c, a), ap = sub(p, a);
  const double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return dist(a);
  const V3 bp = sub(p, b);
  const double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return dist(b);
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return dist(at(a, ab, d1 / (d1 - d3)));
  const V3 cp = sub(p, c);
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return dist(c);
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return dist(at(a, ac, d2 / (d2 - d6)));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) return dist(at(b, sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6))));
  const double denom = 1.0 / (va + vb + vc);
  const V3 q = at(at(a, ab, vb * denom), ac, vc * denom);
  return dist(q);
}

// Unit normals that face away from the centre, and every sample's direction from the centre
// agrees with the layout's orientation (row x column outward).
void expect_unit_outward(const AGIM& m) {
  int bad_normal = 0, inward = 0;
  for (const AGIM_element& e : m.elements) {
    const int n = e.position_grid.size();
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const Point& p = e.position_grid[r][c];
        const Point& q = e.normal_grid[r][c];
        const double len = std::sqrt(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z);
        const double rx = p.x - kSampleCentre[0], ry = p.y - kSampleCentre[1], rz = p.z - kSampleCentre[2];
        if (std::fabs(len - 1.0) > 1e-6 || !(rx * q.x + ry * q.y + rz * q.z > 0.0)) ++bad_normal;
        if (r + 1 == n || c + 1 == n) continue;
        const Point& pr = e.position_grid[r + 1][c];
        const Point& pc = e.position_grid[r][c + 1];
        const double u[3] = {double(pr.x) - p.x, double(pr.y) - p.y, double(pr.z) - p.z};
        const double v[3] = {double(pc.x) - p.x, double(pc.y) - p.y, double(pc.z) - p.z};
        const double x[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        if (!(x[0] * rx + x[1] * ry + x[2] * rz > 0.0)) ++inward;
      }
  }
  EXPECT_EQ(bad_normal, 0) << "samples whose normal is not unit or faces inward";
  EXPECT_EQ(inward, 0) << "cells whose row x column points inward";
}

TEST(MeshSampler, RealMeshesRoundTripWithTheGeneratorsLayout) {
  for (const char* name : {"blobby.off", "bunny00.off"}) {
    SCOPED_TRACE(name);
    const std::string path = cgal_mesh(name);
    if (path.empty()) GTEST_SKIP() << kCgalData << " absent (package libcgal-demo)";
    const SampleLayout layout{2, 5, 3};
    AGIM model;
    std::string error;
    MeshConversionStats stats;
    ASSERT_TRUE(make_mesh_model_from_file(path.c_str(), layout, model, &error, &stats)) << error;
    EXPECT_GT(stats.triangles, 1000);
    // Same layout as the generator's shapes, so meshes and shapes morph into each other.
    AGIM shape;
    make_sample_model(SampleShape::Sphere, layout, shape);
    ASSERT_EQ(model.element_count, shape.element_count);
    for (std::size_t i = 0; i < model.elements.size(); ++i) {
      EXPECT_EQ(model.elements[i].level, shape.elements[i].level);
      for (int s = 0; s < 4; ++s) EXPECT_EQ(model.elements[i].neighbour[s], shape.elements[i].neighbour[s]);
    }
    test::expect_closed_with_shared_borders(model);
    expect_unit_outward(model);
    // Bounding radius 1 about the turntable centre.
    double rmax = 0.0;
    for (const AGIM_element& e : model.elements)
      for (std::size_t j = 0; j < e.position_grid.sample_count(); ++j) {
        const Point& p = e.position_grid.data()[j];
        rmax = std::max(rmax, std::hypot(p.x - kSampleCentre[0], p.y - kSampleCentre[1], p.z - kSampleCentre[2]));
      }
    EXPECT_NEAR(rmax, kMeshBoundingRadius, 1e-6);
    const std::string file = std::string(AGIM_TEST_TMP) + "/mesh_" + name + ".agim";
    ASSERT_TRUE(Write_AGIM_File(model, file.c_str(), &error)) << error;
    AGIM read;
    ASSERT_TRUE(read.Read_AGIM_File(file.c_str())) << read.load_error;
    test::expect_same_model(model, read);
  }
}

TEST(MeshSampler, SamplesLieOnTheMeshSurface) {
  const std::string path = cgal_mesh("blobby.off");
  if (path.empty()) GTEST_SKIP() << kCgalData << " absent (package libcgal-demo)";
  TriangleSoup soup;
  std::string error;
  ASSERT_TRUE(read_triangle_mesh(path.c_str(), &soup, &error)) << error;
  RadialMeshSampler sampler;
  ASSERT_TRUE(sampler.build(soup, &error)) << error;
  AGIM model;
  MeshConversionStats stats;
  ASSERT_TRUE(make_mesh_model(soup, SampleLayout{1, 5, 0}, "blobby", model, &error, &stats)) << error;
  // Map each sample back into the mesh's frame and measure its distance to the nearest triangle.
  const auto& c = sampler.centroid();
  const double tolerance = 1e-5 / stats.scale;  // ten float steps at radius 1, in mesh units
  double worst = 0.0;
  for (const AGIM_element& e : model.elements)
    for (std::size_t j = 0; j < e.position_grid.sample_count(); ++j) {
      const Point& p = e.position_grid.data()[j];
      const V3 q{(p.x - kSampleCentre[0]) / stats.scale + c[0], (p.y - kSampleCentre[1]) / stats.scale + c[1],
                 (p.z - kSampleCentre[2]) / stats.scale + c[2]};
      double best = std::numeric_limits<double>::infinity();
      for (const auto& t : soup.triangles)
        best = std::min(best, distance_to_triangle(q, soup.vertices[static_cast<std::size_t>(t[0])],
                                                   soup.vertices[static_cast<std::size_t>(t[1])],
                                                   soup.vertices[static_cast<std::size_t>(t[2])]));
      worst = std::max(worst, best);
    }
  EXPECT_LT(worst, tolerance);
}

TEST(MeshSampler, SphereMeshGivesConstantRadiusAndRadialNormals) {
  // Off-centre on purpose: the sampler centres the mesh on its own centroid.
  const TriangleSoup sphere = icosphere(4, 3.0, {5.0, -2.0, 1.0});
  AGIM model;
  std::string error;
  ASSERT_TRUE(make_mesh_model(sphere, SampleLayout{2, 5, 3}, "sphere", model, &error)) << error;
  double rmin = 2.0, rmax = 0.0, worst_cos = 1.0;
  for (const AGIM_element& e : model.elements)
    for (std::size_t j = 0; j < e.position_grid.sample_count(); ++j) {
      const Point& p = e.position_grid.data()[j];
      const Point& q = e.normal_grid.data()[j];
      const double r = std::hypot(p.x - kSampleCentre[0], p.y - kSampleCentre[1], p.z - kSampleCentre[2]);
      rmin = std::min(rmin, r);
      rmax = std::max(rmax, r);
      worst_cos = std::min(worst_cos, ((p.x - kSampleCentre[0]) * q.x + (p.y - kSampleCentre[1]) * q.y +
                                       (p.z - kSampleCentre[2]) * q.z) / r);
    }
  EXPECT_NEAR(rmax, 1.0, 1e-6);
  EXPECT_GT(rmin, 0.997);     // 5120 flat facets: the inscribed radius stays within 0.3 %
  EXPECT_GT(worst_cos, 0.999);  // interpolated normals follow the sphere
  test::expect_closed_with_shared_borders(model);
}

TEST(MeshSampler, WindingAndDegenerateTrianglesDoNotChangeTheModel) {
  const TriangleSoup sphere = icosphere(3, 1.0, {0.0, 0.0, 0.0});
  const SampleLayout layout{2, 4, 3};
  AGIM reference;
  std::string error;
  ASSERT_TRUE(make_mesh_model(sphere, layout, "sphere", reference, &error)) << error;

  // Inward winding: the sampler turns it outward.
  TriangleSoup inward = sphere;
  for (auto& t : inward.triangles) std::swap(t[1], t[2]);
  AGIM flipped;
  ASSERT_TRUE(make_mesh_model(inward, layout, "inward", flipped, &error)) << error;
  {
    SCOPED_TRACE("inward winding");
    test::expect_same_model(reference, flipped);
  }

  // Degenerate and invalid triangles are skipped without harm.
  TriangleSoup dirty = sphere;
  const int v = static_cast<int>(dirty.vertices.size());
  dirty.vertices.push_back({0.0, 0.0, 1.0});        // v: on the sphere's axis
  dirty.vertices.push_back({0.0, 0.0, 2.0});        // v+1
  dirty.vertices.push_back({0.0, 0.0, 3.0});        // v+2: collinear with v, v+1
  dirty.vertices.push_back({std::nan(""), 0.0, 0.0});  // v+3: not a number
  // v+4, v+5, v+6: a sliver 1e8 long and 1e-3 wide above the sphere, whose ray test loses its
  // denominator to rounding and would otherwise report a hit anywhere on its plane.
  dirty.vertices.push_back({1.0, 1.0, 2.0});
  dirty.vertices.push_back({1.0 + 1e8, 1.0, 2.0});
  dirty.vertices.push_back({1.0 + 1e8, 1.001, 2.0});
  dirty.triangles.push_back({v, v + 1, v + 2});      // collinear, reaching out along the axis
  dirty.triangles.push_back({v + 1, v + 1, v + 2});  // repeated vertex
  dirty.triangles.push_back({v, v + 3, v + 1});      // NaN vertex
  dirty.triangles.push_back({v + 4, v + 5, v + 6});  // the sliver
  dirty.triangles.push_back({0, 1, v + 99});         // index out of range
  dirty.triangles.push_back({-1, 0, 1});             // negative index
  AGIM cleaned;
  MeshConversionStats stats;
  ASSERT_TRUE(make_mesh_model(dirty, layout, "dirty", cleaned, &error, &stats)) << error;
  EXPECT_EQ(stats.skipped_triangles, 6);
  {
    SCOPED_TRACE("degenerate triangles");
    test::expect_same_model(reference, cleaned);
  }
}

TEST(MeshSampler, MeshesTheCentroidCannotSeeWholeAreRejected) {
  struct Case {
    const char* name;
    TriangleSoup soup;
    const char* expect;
  };
  TriangleSoup open_sphere = icosphere(2, 1.0, {0.0, 0.0, 0.0});
  open_sphere.triangles.resize(open_sphere.triangles.size() - 40);  // a hole
  TriangleSoup flat;
  flat.vertices = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  flat.triangles = {{0, 1, 2}};
  const Case cases[] = {
      {"torus", torus(48, 16), "rays from the mesh's centroid missed its surface"},
      {"open sphere", open_sphere, "rays from the mesh's centroid missed its surface"},
      {"only degenerate triangles", flat, "no usable triangles (1 degenerate or invalid)"},
      {"nothing", TriangleSoup{}, "no usable triangles (0 degenerate or invalid)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AGIM model;
    std::string error;
    EXPECT_FALSE(make_mesh_model(c.soup, SampleLayout{2, 4, 3}, c.name, model, &error));
    EXPECT_EQ(error.rfind(c.name, 0), 0u) << error;  // the error starts with the source's name
    EXPECT_NE(error.find(c.expect), std::string::npos) << error;
  }
  // The torus error says how many of how many directions missed: the rays near its axis.
  AGIM model;
  std::string error;
  ASSERT_FALSE(make_mesh_model(torus(48, 16), SampleLayout{2, 4, 3}, "torus", model, &error));
  int missed = 0, total = 0;
  ASSERT_EQ(std::sscanf(error.c_str(), "torus: %d of %d rays", &missed, &total), 2) << error;
  EXPECT_GT(missed, 0);
  EXPECT_LT(missed, total);
  EXPECT_EQ(total, 6 * 16 * 16 + 2);  // distinct lattice points of k 2, storage level 4
}

TEST(MeshSampler, BadFilesNameTheFile) {
  const fs::path dir = fs::path(AGIM_TEST_TMP) / "mesh_files";
  fs::create_directories(dir);
  const std::string missing = (dir / "missing.off").string();
  const std::string unsupported = (dir / "points.xyz").string();
  const std::string empty_off = (dir / "empty.off").string();
  const std::string garbage_off = (dir / "garbage.off").string();
  std::ofstream(unsupported) << "1 2 3\n";
  std::ofstream(empty_off) << "OFF\n3 0 0\n0 0 0\n1 0 0\n0 1 0\n";
  std::ofstream(garbage_off) << "this is not a mesh\n";
  const std::pair<std::string, const char*> cases[] = {
      {missing, "cannot read mesh: no such file"},
      {unsupported, "cannot read mesh: unreadable or unsupported"},
      {empty_off, "mesh holds no triangles"},
      {garbage_off, "cannot read mesh"},
  };
  for (const auto& [file, expect] : cases) {
    SCOPED_TRACE(file);
    AGIM model;
    std::string error;
    EXPECT_FALSE(make_mesh_model_from_file(file.c_str(), SampleLayout{}, model, &error));
    EXPECT_EQ(error.rfind(file + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(expect), std::string::npos) << error;
  }
}

TEST(MeshSampler, EveryFileFormatGivesTheSameSurface) {
  // One octahedron written as OFF, OBJ, ASCII PLY and ASCII STL, and a cube of quads whose
  // faces the reader triangulates.
  const double v[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  const int f[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
  const fs::path dir = fs::path(AGIM_TEST_TMP) / "mesh_formats";
  fs::create_directories(dir);
  {
    std::ofstream off(dir / "octa.off"), obj(dir / "octa.obj"), ply(dir / "octa.ply"), stl(dir / "octa.stl");
    off << "OFF\n6 8 0\n";
    ply << "ply\nformat ascii 1.0\nelement vertex 6\nproperty float x\nproperty float y\nproperty float z\n"
           "element face 8\nproperty list uchar int vertex_indices\nend_header\n";
    stl << "solid octa\n";
    for (const auto& p : v) {
      off << p[0] << ' ' << p[1] << ' ' << p[2] << '\n';
      obj << "v " << p[0] << ' ' << p[1] << ' ' << p[2] << '\n';
      ply << p[0] << ' ' << p[1] << ' ' << p[2] << '\n';
    }
    for (const auto& t : f) {
      off << "3 " << t[0] << ' ' << t[1] << ' ' << t[2] << '\n';
      obj << "f " << t[0] + 1 << ' ' << t[1] + 1 << ' ' << t[2] + 1 << '\n';
      ply << "3 " << t[0] << ' ' << t[1] << ' ' << t[2] << '\n';
      stl << "facet normal 0 0 0\nouter loop\n";
      for (int k : t) stl << "vertex " << v[k][0] << ' ' << v[k][1] << ' ' << v[k][2] << '\n';
      stl << "endloop\nendfacet\n";
    }
    stl << "endsolid octa\n";
    std::ofstream(dir / "cube.off") << "OFF\n8 6 0\n-1 -1 -1\n1 -1 -1\n1 1 -1\n-1 1 -1\n-1 -1 1\n1 -1 1\n1 1 1\n-1 1 1\n"
                                       "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 1 2 6 5\n4 2 3 7 6\n4 3 0 4 7\n";
  }
  const SampleLayout layout{1, 4, 2};
  AGIM reference;
  std::string error;
  ASSERT_TRUE(make_mesh_model_from_file((dir / "octa.off").string().c_str(), layout, reference, &error)) << error;
  for (const char* name : {"octa.obj", "octa.ply", "octa.stl"}) {
    SCOPED_TRACE(name);
    AGIM model;
    MeshConversionStats stats;
    ASSERT_TRUE(make_mesh_model_from_file((dir / name).string().c_str(), layout, model, &error, &stats)) << error;
    EXPECT_EQ(stats.triangles, 8);
    double worst = 0.0;
    for (std::size_t i = 0; i < model.elements.size(); ++i)
      for (std::size_t j = 0; j < model.elements[i].position_grid.sample_count(); ++j) {
        const Point& a = model.elements[i].position_grid.data()[j];
        const Point& b = reference.elements[i].position_grid.data()[j];
        worst = std::max({worst, double(std::fabs(a.x - b.x)), double(std::fabs(a.y - b.y)), double(std::fabs(a.z - b.z))});
      }
    EXPECT_LT(worst, 1e-6);
    test::expect_closed_with_shared_borders(model);
  }
  AGIM cube;
  MeshConversionStats stats;
  ASSERT_TRUE(make_mesh_model_from_file((dir / "cube.off").string().c_str(), layout, cube, &error, &stats)) << error;
  EXPECT_EQ(stats.triangles, 12);
  // The corners of the cube's sample lattice land on the cube's corners, at the bounding radius.
  const Point& corner = cube.elements[0].position_grid[0][0];
  EXPECT_NEAR(std::hypot(corner.x - kSampleCentre[0], corner.y - kSampleCentre[1], corner.z - kSampleCentre[2]), 1.0, 1e-6);
  expect_unit_outward(cube);
}

TEST(MeshSampler, HierarchyFindsWhatThePlainLoopFinds) {
  // A lumpy sphere whose rays often meet the surface more than once from the centroid.
  TriangleSoup lumpy = icosphere(4, 1.0, {0.0, 0.0, 0.0});
  for (V3& v : lumpy.vertices) {
    const double f = 1.0 + 0.35 * std::sin(9.0 * v[0]) * std::cos(7.0 * v[1]) * std::sin(5.0 * v[2] + 1.0);
    for (double& x : v) x *= f;
  }
  RadialMeshSampler sampler;
  std::string error;
  ASSERT_TRUE(sampler.build(lumpy, &error)) << error;
  const CubeSphereLayout cube(SampleLayout{2, 5, 0});
  int compared = 0;
  for (int id = 0; id < cube.patch_count(); ++id)
    for (int r = 0; r < cube.samples_per_side(); r += 3)
      for (int c = 0; c < cube.samples_per_side(); c += 3) {
        double d[3];
        cube.direction(cube.lattice_point(id, r, c), d);
        RadialMeshSampler::Hit fast, slow;
        const bool hit_fast = sampler.cast(d, &fast);
        const bool hit_slow = sampler.cast_brute_force(d, &slow);
        ASSERT_EQ(hit_fast, hit_slow) << "patch " << id << " (" << r << ", " << c << ")";
        if (!hit_fast) continue;
        EXPECT_EQ(fast.distance, slow.distance) << "patch " << id << " (" << r << ", " << c << ")";
        ++compared;
      }
  EXPECT_GT(compared, 800);
}

}  // namespace
}  // namespace agim
