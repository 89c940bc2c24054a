// Radial sampling of closed triangle meshes on the cube-sphere layout.
#include "geometry/MeshSampler.h"

// OpenMesh wants its IO header before the mesh kernel. Its property containers trip GCC's
// maybe-uninitialized analysis in sanitizer builds; the warning is about OpenMesh, not us.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>

#include "geometry/Geometry.h"
#include "model/Level.h"

namespace agim {

namespace {

using Vec = OpenMesh::VectorT<double, 3>;
using V3 = std::array<double, 3>;

V3 sub(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 cross(const V3& a, const V3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const V3& a, const V3& b) { return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]; }
double dot(const V3& a, const double* b) { return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]; }
double length(const V3& a) { return std::sqrt(dot(a, a)); }
Vec to_vec(const V3& a) { return Vec(a[0], a[1], a[2]); }

// Fixed nearby directions tried when a ray slips through a crack between triangles.
constexpr double kNudge = 1e-7;
constexpr double kNudges[4][3] = {{kNudge, 0.0, 0.0}, {0.0, kNudge, 0.0}, {0.0, 0.0, kNudge}, {-kNudge, -kNudge, -kNudge}};

// Slab test of the ray t * d (t >= 0) against a box; the largest t inside it, or -1 when the
// ray misses the box.
double box_exit(const float lo[3], const float hi[3], const double d[3]) {
  double t0 = 0.0, t1 = std::numeric_limits<double>::infinity();
  for (int a = 0; a < 3; ++a) {
    if (d[a] == 0.0) {
      if (lo[a] > 0.0f || hi[a] < 0.0f) return -1.0;
      continue;
    }
    const double inv = 1.0 / d[a];
    double ta = static_cast<double>(lo[a]) * inv, tb = static_cast<double>(hi[a]) * inv;
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
  }
  // A small allowance keeps hits on the box surface, lost to rounding, inside.
  return t0 <= t1 * (1.0 + 1e-9) + 1e-12 ? t1 : -1.0;
}

}  // namespace

bool read_triangle_mesh(const char* filename, TriangleSoup* soup, std::string* error) {
  const std::string name = filename ? filename : "";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) {
    if (error) *error = name + ": cannot read mesh: no such file";
    return false;
  }
  OpenMesh::TriMesh_ArrayKernelT<> mesh;
  OpenMesh::IO::Options options;
  if (!OpenMesh::IO::read_mesh(mesh, name, options)) {
    if (error)
      *error = name + ": cannot read mesh: unreadable or unsupported file (OFF, OBJ, PLY or STL expected)";
    return false;
  }
  soup->vertices.clear();
  soup->triangles.clear();
  soup->vertices.reserve(mesh.n_vertices());
  for (auto v : mesh.vertices()) {
    const auto& p = mesh.point(v);
    soup->vertices.push_back({static_cast<double>(p[0]), static_cast<double>(p[1]), static_cast<double>(p[2])});
  }
  soup->triangles.reserve(mesh.n_faces());
  for (auto f : mesh.faces()) {
    std::array<int, 3> t{};
    int k = 0;
    for (auto v : mesh.fv_range(f)) {
      if (k < 3) t[static_cast<std::size_t>(k)] = v.idx();
      ++k;
    }
    if (k == 3) soup->triangles.push_back(t);
  }
  if (soup->triangles.empty()) {
    if (error) *error = name + ": mesh holds no triangles";
    return false;
  }
  return true;
}

bool RadialMeshSampler::build(const TriangleSoup& soup, std::string* error) {
  verts_.clear();
  vnormals_.clear();
  tris_.clear();
  nodes_.clear();
  skipped_ = 0;
  const int vcount = static_cast<int>(soup.vertices.size());

  // Usable triangles: valid, distinct, finite vertices and a cross product that is not lost
  // to rounding relative to the edge lengths (the ray test trusts its denominators then).
  std::vector<Tri> usable;
  std::vector<double> areas;
  for (std::size_t i = 0; i < soup.triangles.size(); ++i) {
    const auto& t = soup.triangles[i];
    bool ok = true;
    for (int k = 0; k < 3; ++k) ok = ok && t[static_cast<std::size_t>(k)] >= 0 && t[static_cast<std::size_t>(k)] < vcount;
    if (ok) {
      const V3& a = soup.vertices[static_cast<std::size_t>(t[0])];
      const V3& b = soup.vertices[static_cast<std::size_t>(t[1])];
      const V3& c = soup.vertices[static_cast<std::size_t>(t[2])];
      const V3 u = sub(b, a), v = sub(c, a);
      const double n = length(cross(u, v));
      ok = std::isfinite(n) && n > 1e-10 * length(u) * length(v);
      if (ok) areas.push_back(0.5 * n);
    }
    if (!ok) {
      ++skipped_;
      continue;
    }
    usable.push_back(Tri{{t[0], t[1], t[2]}, static_cast<int>(i)});
  }
  if (usable.empty()) {
    if (error) *error = "no usable triangles (" + std::to_string(skipped_) + " degenerate or invalid)";
    return false;
  }

  // Outward winding first, so that the centroid below sums every triangle's corners in the
  // same order whichever way the file wound them: the enclosed signed volume, taken about the
  // middle of the vertices' box, must be positive.
  V3 lo = soup.vertices[static_cast<std::size_t>(usable[0].v[0])], hi = lo;
  for (const Tri& t : usable)
    for (int k = 0; k < 3; ++k)
      for (std::size_t a = 0; a < 3; ++a) {
        lo[a] = std::min(lo[a], soup.vertices[static_cast<std::size_t>(t.v[k])][a]);
        hi[a] = std::max(hi[a], soup.vertices[static_cast<std::size_t>(t.v[k])][a]);
      }
  const V3 mid{0.5 * (lo[0] + hi[0]), 0.5 * (lo[1] + hi[1]), 0.5 * (lo[2] + hi[2])};
  double volume = 0.0;
  for (const Tri& t : usable)
    volume += dot(sub(soup.vertices[static_cast<std::size_t>(t.v[0])], mid),
                  cross(sub(soup.vertices[static_cast<std::size_t>(t.v[1])], mid),
                        sub(soup.vertices[static_cast<std::size_t>(t.v[2])], mid)));
  if (volume < 0.0)
    for (Tri& t : usable) std::swap(t.v[1], t.v[2]);

  // Area-weighted centroid of the surface.
  double total = 0.0;
  V3 centre{0.0, 0.0, 0.0};
  for (std::size_t i = 0; i < usable.size(); ++i) {
    const Tri& t = usable[i];
    for (int k = 0; k < 3; ++k)
      for (int a = 0; a < 3; ++a)
        centre[static_cast<std::size_t>(a)] += areas[i] * soup.vertices[static_cast<std::size_t>(t.v[k])][static_cast<std::size_t>(a)] / 3.0;
    total += areas[i];
  }
  for (double& c : centre) c /= total;
  centroid_ = centre;
  verts_.reserve(soup.vertices.size());
  for (const V3& p : soup.vertices) verts_.push_back(sub(p, centre));

  vnormals_.assign(verts_.size(), V3{0.0, 0.0, 0.0});
  for (const Tri& t : usable) {
    const V3 n = cross(sub(verts_[static_cast<std::size_t>(t.v[1])], verts_[static_cast<std::size_t>(t.v[0])]),
                       sub(verts_[static_cast<std::size_t>(t.v[2])], verts_[static_cast<std::size_t>(t.v[0])]));
    for (int k = 0; k < 3; ++k)
      for (int a = 0; a < 3; ++a) vnormals_[static_cast<std::size_t>(t.v[k])][static_cast<std::size_t>(a)] += n[static_cast<std::size_t>(a)];
  }
  for (V3& n : vnormals_) {
    const double l = length(n);
    if (l > 0.0)
      for (double& x : n) x /= l;
  }

  tris_ = std::move(usable);
  std::vector<V3> centres;
  centres.reserve(tris_.size());
  for (const Tri& t : tris_) {
    V3 c{0.0, 0.0, 0.0};
    for (int k = 0; k < 3; ++k)
      for (int a = 0; a < 3; ++a) c[static_cast<std::size_t>(a)] += verts_[static_cast<std::size_t>(t.v[k])][static_cast<std::size_t>(a)];
    centres.push_back(c);
  }
  nodes_.reserve(2 * tris_.size() / 4 + 1);
  build_node(0, static_cast<int>(tris_.size()), centres);
  return true;
}

int RadialMeshSampler::build_node(int first, int count, std::vector<std::array<double, 3>>& centres) {
  const int index = static_cast<int>(nodes_.size());
  nodes_.push_back(Node{});
  Node node{};
  double lo[3] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                  std::numeric_limits<double>::infinity()};
  double hi[3] = {-lo[0], -lo[1], -lo[2]};
  double clo[3] = {lo[0], lo[1], lo[2]}, chi[3] = {hi[0], hi[1], hi[2]};
  for (int i = first; i < first + count; ++i) {
    for (int k = 0; k < 3; ++k)
      for (int a = 0; a < 3; ++a) {
        const double x = verts_[static_cast<std::size_t>(tris_[static_cast<std::size_t>(i)].v[k])][static_cast<std::size_t>(a)];
        lo[a] = std::min(lo[a], x);
        hi[a] = std::max(hi[a], x);
      }
    for (int a = 0; a < 3; ++a) {
      clo[a] = std::min(clo[a], centres[static_cast<std::size_t>(i)][static_cast<std::size_t>(a)]);
      chi[a] = std::max(chi[a], centres[static_cast<std::size_t>(i)][static_cast<std::size_t>(a)]);
    }
  }
  // Boxes are stored as floats rounded outward.
  for (int a = 0; a < 3; ++a) {
    node.lo[a] = std::nextafter(static_cast<float>(lo[a]), -std::numeric_limits<float>::infinity());
    node.hi[a] = std::nextafter(static_cast<float>(hi[a]), std::numeric_limits<float>::infinity());
  }
  constexpr int kLeafSize = 4;
  if (count <= kLeafSize) {
    node.first = first;
    node.count = count;
    nodes_[static_cast<std::size_t>(index)] = node;
    return index;
  }
  int axis = 0;
  for (int a = 1; a < 3; ++a)
    if (chi[a] - clo[a] > chi[axis] - clo[axis]) axis = a;
  const int mid = first + count / 2;
  // Split at the median centre along the widest axis; ties broken by input order keep the
  // hierarchy the same on every run.
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = first + i;
  std::nth_element(order.begin(), order.begin() + (mid - first), order.end(), [&](int x, int y) {
    const double cx = centres[static_cast<std::size_t>(x)][static_cast<std::size_t>(axis)];
    const double cy = centres[static_cast<std::size_t>(y)][static_cast<std::size_t>(axis)];
    return cx < cy || (cx == cy && tris_[static_cast<std::size_t>(x)].source < tris_[static_cast<std::size_t>(y)].source);
  });
  std::vector<Tri> tmp_t;
  std::vector<V3> tmp_c;
  tmp_t.reserve(order.size());
  tmp_c.reserve(order.size());
  for (int i : order) {
    tmp_t.push_back(tris_[static_cast<std::size_t>(i)]);
    tmp_c.push_back(centres[static_cast<std::size_t>(i)]);
  }
  std::copy(tmp_t.begin(), tmp_t.end(), tris_.begin() + first);
  std::copy(tmp_c.begin(), tmp_c.end(), centres.begin() + first);
  node.count = 0;
  node.first = build_node(first, mid - first, centres);
  node.right = build_node(mid, first + count - mid, centres);
  nodes_[static_cast<std::size_t>(index)] = node;
  return index;
}

bool RadialMeshSampler::test_triangle(int t, const double d[3], double* best, int* best_tri) const {
  const Tri& tri = tris_[static_cast<std::size_t>(t)];
  Vec hit(0.0, 0.0, 0.0);
  const int code = Intersect_RayTriangle(hit, Vec(d[0], d[1], d[2]), Vec(0.0, 0.0, 0.0),
                                         to_vec(verts_[static_cast<std::size_t>(tri.v[0])]),
                                         to_vec(verts_[static_cast<std::size_t>(tri.v[1])]),
                                         to_vec(verts_[static_cast<std::size_t>(tri.v[2])]));
  if (code != 1) return false;
  const double dist = (hit[0] * d[0] + hit[1] * d[1]) + hit[2] * d[2];
  if (!std::isfinite(dist) || dist < 0.0) return false;
  if (dist > *best || (dist == *best && *best_tri >= 0 && tri.source < tris_[static_cast<std::size_t>(*best_tri)].source)) {
    *best = dist;
    *best_tri = t;
  }
  return true;
}

void RadialMeshSampler::finish_hit(const double d[3], double distance, int t, Hit* hit) const {
  const Tri& tri = tris_[static_cast<std::size_t>(t)];
  const V3& a = verts_[static_cast<std::size_t>(tri.v[0])];
  const V3& b = verts_[static_cast<std::size_t>(tri.v[1])];
  const V3& c = verts_[static_cast<std::size_t>(tri.v[2])];
  const V3 p{distance * d[0], distance * d[1], distance * d[2]};
  // Barycentric weights of the hit: s for b, t for c.
  const V3 u = sub(b, a), v = sub(c, a), w = sub(p, a);
  const double uu = dot(u, u), uv = dot(u, v), vv = dot(v, v), wu = dot(w, u), wv = dot(w, v);
  const double den = uv * uv - uu * vv;
  double s = (uv * wv - vv * wu) / den;
  double q = (uv * wu - uu * wv) / den;
  s = std::clamp(std::isfinite(s) ? s : 0.0, 0.0, 1.0);
  q = std::clamp(std::isfinite(q) ? q : 0.0, 0.0, 1.0 - s);
  const double r = 1.0 - s - q;
  V3 n{};
  for (int k = 0; k < 3; ++k)
    n[static_cast<std::size_t>(k)] = (r * vnormals_[static_cast<std::size_t>(tri.v[0])][static_cast<std::size_t>(k)] +
                                      s * vnormals_[static_cast<std::size_t>(tri.v[1])][static_cast<std::size_t>(k)]) +
                                     q * vnormals_[static_cast<std::size_t>(tri.v[2])][static_cast<std::size_t>(k)];
  double len = length(n);
  // Where the smooth normal turns away from the ray (a sharp crease seen edge-on), the face's
  // own normal, turned to face along the ray, stands in.
  if (!(len > 0.0) || dot(n, d) / len < 0.05) {
    n = cross(u, v);
    if (dot(n, d) < 0.0)
      for (double& x : n) x = -x;
    len = length(n);
  }
  hit->distance = distance;
  for (int k = 0; k < 3; ++k) hit->normal[k] = n[static_cast<std::size_t>(k)] / len;
}

bool RadialMeshSampler::cast_once(const double d[3], bool brute, Hit* hit) const {
  double best = -1.0;
  int best_tri = -1;
  if (brute) {
    for (int t = 0; t < triangle_count(); ++t) test_triangle(t, d, &best, &best_tri);
  } else if (!nodes_.empty()) {
    // Depth-first, farther box first; a box whose exit lies nearer than the best hit so far
    // cannot hold a farther one.
    int stack[128];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
      const Node& node = nodes_[static_cast<std::size_t>(stack[--top])];
      const double exit = box_exit(node.lo, node.hi, d);
      if (exit < 0.0 || exit * (1.0 + 1e-9) < best) continue;
      if (node.count > 0) {
        for (int t = node.first; t < node.first + node.count; ++t) test_triangle(t, d, &best, &best_tri);
        continue;
      }
      const Node& l = nodes_[static_cast<std::size_t>(node.first)];
      const Node& r = nodes_[static_cast<std::size_t>(node.right)];
      const bool left_farther = box_exit(l.lo, l.hi, d) >= box_exit(r.lo, r.hi, d);
      if (top + 2 > 128) return false;  // deeper than any median-split tree of int-sized meshes
      stack[top++] = left_farther ? node.right : node.first;
      stack[top++] = left_farther ? node.first : node.right;
    }
  }
  if (best_tri < 0) return false;
  finish_hit(d, best, best_tri, hit);
  return true;
}

bool RadialMeshSampler::cast(const double d[3], Hit* hit) const {
  if (cast_once(d, false, hit)) return true;
  for (const auto& nudge : kNudges) {
    double e[3] = {d[0] + nudge[0], d[1] + nudge[1], d[2] + nudge[2]};
    const double l = std::sqrt((e[0] * e[0] + e[1] * e[1]) + e[2] * e[2]);
    for (double& x : e) x /= l;
    if (cast_once(e, false, hit)) return true;
  }
  return false;
}

bool RadialMeshSampler::cast_brute_force(const double d[3], Hit* hit) const { return cast_once(d, true, hit); }

bool make_mesh_model(const TriangleSoup& soup, const SampleLayout& layout, const char* source_name, AGIM& model,
                     std::string* error, MeshConversionStats* stats) {
  const std::string name = source_name ? source_name : "mesh";
  const CubeSphereLayout cube(layout);
  RadialMeshSampler sampler;
  std::string problem;
  if (!sampler.build(soup, &problem)) {
    if (error) *error = name + ": " + problem;
    return false;
  }

  // One ray per distinct lattice point: the samples two patches share come from one cast.
  const int count = cube.patch_count();
  const int n = cube.samples_per_side();
  std::map<std::array<int32_t, 3>, RadialMeshSampler::Hit> hits;
  int misses = 0;
  for (int id = 0; id < count; ++id)
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const LatticePoint lp = cube.lattice_point(id, r, c);
        const std::array<int32_t, 3> key{lp.v[0], lp.v[1], lp.v[2]};
        if (hits.count(key)) continue;
        double d[3];
        cube.direction(lp, d);
        RadialMeshSampler::Hit h;
        if (!sampler.cast(d, &h)) {
          ++misses;
          h.distance = -1.0;
        }
        hits.emplace(key, h);
      }
  if (misses > 0) {
    if (error)
      *error = name + ": " + std::to_string(misses) + " of " + std::to_string(hits.size()) +
               " rays from the mesh's centroid missed its surface: the mesh is not closed, or its centroid "
               "lies outside it";
    return false;
  }
  double radius = 0.0;
  for (const auto& [key, h] : hits) radius = std::max(radius, h.distance);
  if (!(radius > 0.0) || !std::isfinite(radius)) {
    if (error) *error = name + ": the mesh's surface does not surround its centroid";
    return false;
  }
  const double scale = kMeshBoundingRadius / radius;

  fill_layout_model(cube, layout, model, [&](const LatticePoint& lp, const double d[3], Point& P, Point& Q) {
    const RadialMeshSampler::Hit& h = hits.at({lp.v[0], lp.v[1], lp.v[2]});
    const double dist = h.distance * scale;
    P.x = static_cast<float>(kSampleCentre[0] + dist * d[0]);
    P.y = static_cast<float>(kSampleCentre[1] + dist * d[1]);
    P.z = static_cast<float>(kSampleCentre[2] + dist * d[2]);
    Q.x = static_cast<float>(h.normal[0]);
    Q.y = static_cast<float>(h.normal[1]);
    Q.z = static_cast<float>(h.normal[2]);
  });
  if (stats) {
    stats->triangles = sampler.triangle_count();
    stats->skipped_triangles = sampler.skipped_triangles();
    stats->rays = static_cast<int>(hits.size());
    stats->scale = scale;
  }
  return true;
}

bool make_mesh_model_from_file(const char* filename, const SampleLayout& layout, AGIM& model, std::string* error,
                               MeshConversionStats* stats) {
  TriangleSoup soup;
  if (!read_triangle_mesh(filename, &soup, error)) return false;
  return make_mesh_model(soup, layout, filename, model, error, stats);
}

}  // namespace agim
