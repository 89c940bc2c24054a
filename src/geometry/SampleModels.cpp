// Cube-sphere layout and the synthetic sample shapes.
#include "geometry/SampleModels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>

#include "model/Level.h"

namespace agim {

namespace {

constexpr double kQuarterPi = 0.78539816339744830962;

// Axis vectors of face f: its outward axis and sign, the lattice origin of its (0, 0) sample
// and the unit lattice steps along rows and columns, chosen so that row step x column step
// points outward.
struct FaceFrame {
  int origin[3];
  int row_step[3];
  int col_step[3];
};

FaceFrame face_frame(int face, int extent) {
  const int axis = face / 2;
  const bool positive = face % 2 == 0;
  FaceFrame f{};
  const int next = (axis + 1) % 3;
  const int after = (axis + 2) % 3;
  if (positive) {
    f.origin[axis] = extent;
    f.row_step[next] = 1;   // e_next x e_after = +e_axis
    f.col_step[after] = 1;
  } else {
    f.row_step[after] = 1;  // e_after x e_next = -e_axis
    f.col_step[next] = 1;
  }
  return f;
}

// Fixed integer mix of a patch id: the per-patch level offsets look scattered but never
// change from run to run.
uint32_t mix_id(uint32_t x) {
  x *= 0x9E3779B1u;
  x ^= x >> 15;
  x *= 0x85EBCA77u;
  x ^= x >> 13;
  x *= 0xC2B2AE3Du;
  x ^= x >> 16;
  return x;
}

double dot3(const double a[3], const double b[3]) { return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]; }

void normalise3(double v[3]) {
  const double len = std::sqrt(dot3(v, v));
  if (len > 0.0) {
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
  }
}

// Superellipsoid sum(|x_i / a_i|^e) = 1 seen from its centre: the radius along unit
// direction d, and the (unnormalised) gradient at the surface point.
double superellipsoid_radius(const double d[3], const double a[3], double e) {
  double sum = 0.0;
  for (int i = 0; i < 3; ++i) sum += std::pow(std::fabs(d[i] / a[i]), e);
  return std::pow(sum, -1.0 / e);
}

void superellipsoid_gradient(const double p[3], const double a[3], double e, double g[3]) {
  for (int i = 0; i < 3; ++i) {
    const double q = p[i] / a[i];
    g[i] = std::copysign(std::pow(std::fabs(q), e - 1.0), q) / a[i];
  }
}

}  // namespace

CubeSphereLayout::CubeSphereLayout(const SampleLayout& layout)
    : k_(layout.patches_per_edge),
      n_(0),
      extent_(0),
      storage_level_(layout.storage_level),
      spread_(layout.level_spread) {
  if (k_ < 1 || k_ > 256)
    throw std::invalid_argument("patches per face edge must be 1..256, got " + std::to_string(k_));
  if (storage_level_ < 1 || storage_level_ > kMaxStorageLevel)
    throw std::invalid_argument("storage level must be 1.." + std::to_string(kMaxStorageLevel) +
                                ", got " + std::to_string(storage_level_));
  if (spread_ < 0)
    throw std::invalid_argument("level spread must be 0 or more, got " + std::to_string(spread_));
  n_ = grid_size_for_level(storage_level_);
  if (static_cast<long long>(k_) * (n_ - 1) > 1000000000LL)
    throw std::invalid_argument("layout too large for the lattice");
  extent_ = k_ * (n_ - 1);

  // Two patch sides border each other exactly when they join the same two lattice corners.
  const int count = patch_count();
  neighbours_.assign(static_cast<std::size_t>(count), {-1, -1, -1, -1});
  std::map<std::array<int32_t, 6>, std::vector<std::pair<int, int>>> sides;
  const int last = n_ - 1;
  for (int id = 0; id < count; ++id) {
    const int ends[4][4] = {{0, 0, 0, last}, {0, 0, last, 0}, {last, 0, last, last}, {0, last, last, last}};
    for (int s = 0; s < 4; ++s) {
      LatticePoint a = lattice_point(id, ends[s][0], ends[s][1]);
      LatticePoint b = lattice_point(id, ends[s][2], ends[s][3]);
      std::array<int32_t, 3> pa{a.v[0], a.v[1], a.v[2]}, pb{b.v[0], b.v[1], b.v[2]};
      if (pb < pa) std::swap(pa, pb);
      sides[{pa[0], pa[1], pa[2], pb[0], pb[1], pb[2]}].push_back({id, s});
    }
  }
  for (const auto& [key, list] : sides) {
    if (list.size() != 2) throw std::logic_error("cube-sphere side without exactly one partner");
    neighbours_[static_cast<std::size_t>(list[0].first)][static_cast<std::size_t>(list[0].second)] = list[1].first;
    neighbours_[static_cast<std::size_t>(list[1].first)][static_cast<std::size_t>(list[1].second)] = list[0].first;
  }
}

LatticePoint CubeSphereLayout::lattice_point(int id, int r, int c) const {
  const int face = id / (k_ * k_);
  const int i = (id / k_) % k_;
  const int j = id % k_;
  const FaceFrame f = face_frame(face, extent_);
  const int row = i * (n_ - 1) + r;
  const int col = j * (n_ - 1) + c;
  LatticePoint p{};
  for (int a = 0; a < 3; ++a) p.v[a] = f.origin[a] + row * f.row_step[a] + col * f.col_step[a];
  return p;
}

void CubeSphereLayout::direction(const LatticePoint& p, double d[3]) const {
  const double extent = static_cast<double>(extent_);
  for (int a = 0; a < 3; ++a) {
    const double u = (2.0 * static_cast<double>(p.v[a]) - extent) / extent;  // -1 .. 1
    d[a] = std::tan(kQuarterPi * u);
  }
  normalise3(d);
}

std::array<int, 4> CubeSphereLayout::neighbours(int id) const {
  return neighbours_[static_cast<std::size_t>(id)];
}

int CubeSphereLayout::level(int id) const {
  const int offset = static_cast<int>(mix_id(static_cast<uint32_t>(id)) % static_cast<uint32_t>(spread_ + 1));
  return std::max(1, storage_level_ - offset);
}

void sample_shape_point(SampleShape shape, const double d[3], double position[3], double normal[3]) {
  double p[3] = {d[0], d[1], d[2]};
  double n[3] = {d[0], d[1], d[2]};
  switch (shape) {
    case SampleShape::Sphere:
      break;
    case SampleShape::RoundedCube: {
      const double a[3] = {0.8, 0.8, 0.8};
      const double r = superellipsoid_radius(d, a, 6.0);
      for (int i = 0; i < 3; ++i) p[i] = r * d[i];
      superellipsoid_gradient(p, a, 6.0, n);
      break;
    }
    case SampleShape::Ellipsoid: {
      const double a[3] = {1.0, 0.7, 0.5};
      for (int i = 0; i < 3; ++i) {
        p[i] = a[i] * d[i];
        n[i] = d[i] / a[i];
      }
      break;
    }
    case SampleShape::BumpySphere: {
      // r(d) = 0.9 + 0.08 h(d), h = (cos 7x + cos 7y + cos 7z) / 3; the normal of a radial
      // surface is d - (tangential gradient of r) / r.
      const double w = 7.0, amp = 0.08;
      const double h = (std::cos(w * d[0]) + std::cos(w * d[1]) + std::cos(w * d[2])) / 3.0;
      const double r = 0.9 + amp * h;
      double g[3];
      for (int i = 0; i < 3; ++i) g[i] = -amp * w * std::sin(w * d[i]) / 3.0;
      const double gd = dot3(g, d);
      for (int i = 0; i < 3; ++i) {
        p[i] = r * d[i];
        n[i] = d[i] - (g[i] - gd * d[i]) / r;
      }
      break;
    }
    case SampleShape::Twisted: {
      // A tall rounded bar twisted about z: angle tau * z. The normal is the gradient of the
      // bar's implicit function pulled back through the inverse twist.
      const double a[3] = {0.5, 0.3, 1.0};
      const double tau = 1.3;
      const double r = superellipsoid_radius(d, a, 4.0);
      double b[3] = {r * d[0], r * d[1], r * d[2]};
      double g[3];
      superellipsoid_gradient(b, a, 4.0, g);
      const double c = std::cos(tau * b[2]);
      const double s = std::sin(tau * b[2]);
      p[0] = c * b[0] - s * b[1];
      p[1] = s * b[0] + c * b[1];
      p[2] = b[2];
      // Inverse twist rotates by -tau z: cos stays c, sin becomes -s.
      n[0] = c * g[0] - s * g[1];
      n[1] = s * g[0] + c * g[1];
      n[2] = tau * (b[1] * g[0] - b[0] * g[1]) + g[2];
      break;
    }
  }
  normalise3(n);
  for (int i = 0; i < 3; ++i) {
    position[i] = kSampleCentre[i] + p[i];
    normal[i] = n[i];
  }
}

const char* sample_shape_name(SampleShape shape) {
  switch (shape) {
    case SampleShape::Sphere: return "sphere";
    case SampleShape::RoundedCube: return "rounded-cube";
    case SampleShape::Ellipsoid: return "ellipsoid";
    case SampleShape::BumpySphere: return "bumpy-sphere";
    case SampleShape::Twisted: return "twisted";
  }
  return "unknown";
}

bool sample_shape_from_name(const char* name, SampleShape* shape) {
  for (SampleShape s : kAllSampleShapes) {
    if (std::strcmp(name, sample_shape_name(s)) == 0) {
      *shape = s;
      return true;
    }
  }
  return false;
}

void fill_layout_model(const CubeSphereLayout& cube, const SampleLayout& layout, AGIM& model,
                       const std::function<void(const LatticePoint& lattice, const double direction[3],
                                                Point& position, Point& normal)>& sample) {
  model = AGIM{};
  model.Write_Load_Constants();
  const int count = cube.patch_count();
  const int n = cube.samples_per_side();
  model.element_count = count;
  model.elements.resize(static_cast<std::size_t>(count));
  for (int id = 0; id < count; ++id) {
    AGIM_element& e = model.elements[static_cast<std::size_t>(id)];
    e.element_id = id;
    e.max_level = layout.storage_level;
    e.level = e.base_level = cube.level(id);
    e.grid_size = grid_size_for_level(e.level);
    const std::array<int, 4> nb = cube.neighbours(id);
    const int codes[4] = {1, 0, 0, 1};
    for (int s = 0; s < 4; ++s) {
      e.neighbour[s] = nb[static_cast<std::size_t>(s)];
      e.side_orientation[s] = codes[s];
    }
    e.position_grid.resize(n);
    e.normal_grid.resize(n);
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        const LatticePoint lp = cube.lattice_point(id, r, c);
        double d[3];
        cube.direction(lp, d);
        sample(lp, d, e.position_grid[r][c], e.normal_grid[r][c]);
      }
    }
  }
}

void make_sample_model(SampleShape shape, const SampleLayout& layout, AGIM& model) {
  const CubeSphereLayout cube(layout);
  fill_layout_model(cube, layout, model, [shape](const LatticePoint&, const double d[3], Point& P, Point& Q) {
    double pos[3], nor[3];
    sample_shape_point(shape, d, pos, nor);
    P.x = static_cast<float>(pos[0]);
    P.y = static_cast<float>(pos[1]);
    P.z = static_cast<float>(pos[2]);
    Q.x = static_cast<float>(nor[0]);
    Q.y = static_cast<float>(nor[1]);
    Q.z = static_cast<float>(nor[2]);
  });
}

}  // namespace agim
