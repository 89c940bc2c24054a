#include "app/ViewerCamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Brelix {
namespace {

// Rotates v about the unit axis by `angle` radians (Rodrigues).
Vec3d rotate(const Vec3d& v, const Vec3d& axis, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return v * c + (axis % v) * s + axis * ((axis | v) * (1.0 - c));
}

bool finite(const Vec3d& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

constexpr double kMinDistance = 0.05;  // times the scene radius
constexpr double kMaxDistance = 50.0;  // times the scene radius
constexpr double kMaxTargetOffset = 2.0;  // times the scene radius, from the scene centre

}  // namespace

double ViewerCamera::Distance() const { return (position - target).norm(); }

double ViewerCamera::Near_Plane() const {
  return std::max(Distance() - 4.0 * scene_radius, Distance() * 0.01);
}

double ViewerCamera::Far_Plane() const { return Distance() + 4.0 * scene_radius; }

bool ViewerCamera::Is_Valid() const {
  if (!finite(position) || !finite(target) || !finite(up) || !std::isfinite(fov_deg)) return false;
  if (!(fov_deg > 0.0 && fov_deg < 180.0)) return false;
  const Vec3d view = target - position;
  if (view.norm() <= 0.0 || up.norm() <= 0.0) return false;
  return (view % up).norm() > 1e-9 * view.norm() * up.norm();
}

void ViewerCamera::Frame(const Vec3d& lo, const Vec3d& hi, double margin) {
  Frame_Sphere((lo + hi) * 0.5, (hi - lo).norm() * 0.5 + margin);
}

void ViewerCamera::Frame_Sphere(const Vec3d& centre, double radius) {
  scene_centre = centre;
  scene_radius = std::isfinite(radius) ? std::max(radius, 1e-6) : 1.0;
  Vec3d dir = position - target;
  if (dir.norm() <= 0.0) dir = Vec3d(0.0, -0.87, 0.5);
  dir.normalize();
  const double half = fov_deg * std::numbers::pi / 360.0;
  const double distance = scene_radius / std::sin(half) * 1.05;
  target = scene_centre;
  position = target + dir * distance;
  Clamp();
}

void ViewerCamera::Orbit(double dx_px, double dy_px, double height_px) {
  if (height_px <= 0.0) return;
  const double per_px = std::numbers::pi / height_px;
  Vec3d up_axis = up;
  up_axis.normalize();
  Vec3d offset = position - target;
  // Turn about the up axis for horizontal motion, about the right axis for vertical motion.
  offset = rotate(offset, up_axis, -dx_px * per_px);
  Vec3d right = (target - position) % up_axis;
  right = rotate(right, up_axis, -dx_px * per_px);
  if (right.norm() <= 0.0) return;
  right.normalize();
  offset = rotate(offset, right, -dy_px * per_px);
  const Vec3d new_up = rotate(up_axis, right, -dy_px * per_px);
  position = target + offset;
  up = new_up;
}

void ViewerCamera::Slide(double dx_px, double dy_px, double height_px) {
  if (height_px <= 0.0) return;
  Vec3d forward = target - position;
  const double distance = forward.norm();
  if (distance <= 0.0) return;
  forward /= distance;
  Vec3d right = forward % up;
  if (right.norm() <= 0.0) return;
  right.normalize();
  const Vec3d true_up = right % forward;
  // One pixel moves by the extent of one pixel at the target's depth.
  const double per_px = 2.0 * distance * std::tan(fov_deg * std::numbers::pi / 360.0) / height_px;
  const Vec3d shift = right * (-dx_px * per_px) + true_up * (dy_px * per_px);
  position += shift;
  target += shift;
  Clamp();
}

void ViewerCamera::Track(double dy_px, double height_px) {
  if (height_px <= 0.0) return;
  Vec3d forward = target - position;
  if (forward.norm() <= 0.0) return;
  forward.normalize();
  const Vec3d shift = forward * (-dy_px / height_px * 2.0 * scene_radius);
  position += shift;
  target += shift;
  Clamp();
}

void ViewerCamera::Zoom(double steps) {
  Vec3d offset = position - target;
  const double distance = offset.norm();
  if (distance <= 0.0) return;
  position = target + offset * std::pow(0.9, steps);
  Clamp();
}

void ViewerCamera::Clamp() {
  Vec3d from_centre = target - scene_centre;
  const double reach = kMaxTargetOffset * scene_radius;
  if (from_centre.norm() > reach) {
    const Vec3d shift = from_centre * (reach / from_centre.norm()) - from_centre;
    target += shift;
    position += shift;
  }
  Vec3d offset = position - target;
  const double distance = offset.norm();
  const double lo = kMinDistance * scene_radius, hi = kMaxDistance * scene_radius;
  if (distance <= 0.0) {
    position = target + Vec3d(0.0, -0.87, 0.5) * lo;
  } else if (distance < lo || distance > hi) {
    position = target + offset * (std::clamp(distance, lo, hi) / distance);
  }
}

}  // namespace Brelix
