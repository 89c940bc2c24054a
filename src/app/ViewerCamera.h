// ViewerCamera: the viewer's perspective camera (position, target, up, field of view) and the
// mouse navigation that moves it: orbit, slide, track and zoom, kept close to the scene.
#pragma once

#include <OpenMesh/Core/Geometry/VectorT.hh>

namespace Brelix {

using Vec3d = OpenMesh::VectorT<double, 3>;  // a point or direction in model space

// A look-at camera. Navigation keeps the target within reach of the scene sphere and the
// distance to the target within a range scaled by the scene radius, so the model stays in view.
class ViewerCamera {
 public:
  Vec3d position{0.147256, -2.185293, 1.88072};  // eye point
  Vec3d target{0.147256, 0.414707, 0.38072};     // point looked at; orbits turn about it
  Vec3d up{0.0, 0.0, 1.0};                        // up direction (need not be orthogonal)
  double fov_deg = 45.0;                          // vertical field of view, degrees

  Vec3d scene_centre{0.147256, 0.414707, 0.38072};  // centre of the framed scene
  double scene_radius = 1.0;                         // radius of the framed scene (> 0)

  // Aims at the sphere around the box [lo, hi] (grown by `margin`, added to its radius) along
  // the current viewing direction, from the distance at which the sphere fills the view.
  void Frame(const Vec3d& lo, const Vec3d& hi, double margin = 0.0);
  // Aims at the sphere (centre, radius) along the current viewing direction, from the
  // distance at which the sphere fills the view; it becomes the scene navigation keeps near.
  void Frame_Sphere(const Vec3d& centre, double radius);
  // Left drag: turns the eye about the target; a drag across the full height is 180 degrees.
  void Orbit(double dx_px, double dy_px, double height_px);
  // Middle drag: moves eye and target together in the view plane, following the pointer.
  void Slide(double dx_px, double dy_px, double height_px);
  // Ctrl + middle drag: moves eye and target together along the viewing direction.
  void Track(double dy_px, double height_px);
  // Wheel: scales the distance to the target; positive steps move closer.
  void Zoom(double steps);

  double Distance() const;  // eye to target
  double Near_Plane() const;  // near clipping distance for the projection
  double Far_Plane() const;   // far clipping distance for the projection
  // True when every field is finite, the eye is not at the target, up is not along the view
  // and the field of view lies strictly between 0 and 180 degrees.
  bool Is_Valid() const;

 private:
  void Clamp();  // keeps target near the scene and the distance in range
};

}  // namespace Brelix
