#include "render/SceneCamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace agim {
namespace {

// Calls `visit` with every stored position of every patch of `models`.
template <typename Fn>
void for_each_position(const std::vector<const AGIM*>& models, Fn&& visit) {
  for (const AGIM* model : models) {
    if (!model) continue;
    for (const AGIM_element& e : model->elements) {
      const Point* p = e.position_grid.data();
      for (std::size_t i = 0, n = e.position_grid.sample_count(); i < n; ++i) visit(p[i]);
    }
  }
}

}  // namespace

BoundingSphere bounding_sphere_about(const std::vector<const AGIM*>& models, const double centre[3]) {
  BoundingSphere sphere;
  std::copy(centre, centre + 3, sphere.centre);
  double max_sq = 0.0;
  bool any = false;
  for_each_position(models, [&](const Point& p) {
    const double dx = p.x - centre[0], dy = p.y - centre[1], dz = p.z - centre[2];
    const double d = dx * dx + dy * dy + dz * dz;
    if (std::isfinite(d)) max_sq = std::max(max_sq, d), any = true;
  });
  if (any && max_sq > 0.0) sphere.radius = std::sqrt(max_sq);
  return sphere;
}

BoundingSphere bounding_sphere(const std::vector<const AGIM*>& models) {
  double lo[3], hi[3];
  std::fill(lo, lo + 3, std::numeric_limits<double>::infinity());
  std::fill(hi, hi + 3, -std::numeric_limits<double>::infinity());
  bool any = false;
  for_each_position(models, [&](const Point& p) {
    const double v[3] = {p.x, p.y, p.z};
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) return;
    for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], v[a]), hi[a] = std::max(hi[a], v[a]);
    any = true;
  });
  double centre[3] = {0.0, 0.0, 0.0};
  if (any)
    for (int a = 0; a < 3; ++a) centre[a] = 0.5 * (lo[a] + hi[a]);
  return bounding_sphere_about(models, centre);
}

void set_lit_camera(const BoundingSphere& sphere, int width, int height) {
  glViewport(0, 0, width, height);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  // Fit the sphere into the narrower of the two fields of view, with a small margin.
  const double fovy = 30.0;
  const double aspect = static_cast<double>(width) / static_cast<double>(height);
  const double half_v = fovy * 0.5 * std::numbers::pi / 180.0;
  const double half_h = std::atan(std::tan(half_v) * aspect);
  const double half = std::min(half_v, half_h);
  const double r = sphere.radius;
  const double distance = 1.15 * r / std::sin(half);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, aspect, std::max(distance - 1.5 * r, distance * 0.01), distance + 1.5 * r);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Lights in eye space: a key light from the upper left front, a weaker fill from the right.
  const GLfloat key_dir[4] = {-0.4f, 0.6f, 1.0f, 0.0f};
  const GLfloat key_diffuse[4] = {0.75f, 0.75f, 0.75f, 1.0f};
  const GLfloat fill_dir[4] = {0.7f, -0.2f, 0.5f, 0.0f};
  const GLfloat fill_diffuse[4] = {0.3f, 0.3f, 0.3f, 1.0f};
  const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1.0f};
  const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, key_dir);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, key_diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, none);
  glLightfv(GL_LIGHT1, GL_POSITION, fill_dir);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, fill_diffuse);
  glLightfv(GL_LIGHT1, GL_SPECULAR, none);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glEnable(GL_LIGHTING);
  glEnable(GL_NORMALIZE);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_DEPTH_TEST);

  // Seen from -y and 25 degrees above the equator, z up.
  const double elevation = 25.0 * std::numbers::pi / 180.0;
  const double* c = sphere.centre;
  gluLookAt(c[0], c[1] - distance * std::cos(elevation), c[2] + distance * std::sin(elevation), c[0], c[1], c[2],
            0.0, 0.0, 1.0);
}

}  // namespace agim
