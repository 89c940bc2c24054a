// Camera framing for offscreen frames: a bounding sphere of the models' samples and a lit
// perspective camera (white background, directional lights, colour material) that frames it.
#pragma once

#include <vector>

#include "model/AGIM.h"

namespace agim {

// The turntable turns models about the axis through this point parallel to z.
inline constexpr float kTurntableCentre[3] = {0.147256f, 0.414707f, 0.38072f};

// A sphere holding every stored sample of some models.
struct BoundingSphere {
  double centre[3] = {0.0, 0.0, 0.0};  // sphere centre
  double radius = 1.0;                 // radius; 1 when there were no samples
};

// The smallest sphere about `centre` that holds every stored position of `models`.
BoundingSphere bounding_sphere_about(const std::vector<const AGIM*>& models, const double centre[3]);
// A sphere about the centre of the models' bounding box (the box of every stored position).
BoundingSphere bounding_sphere(const std::vector<const AGIM*>& models);

// Sets viewport, projection, camera and lights in the current context so that `sphere` fills
// a width x height frame seen from the side and a little above (z up), and clears the frame
// to white. Leaves the model-view matrix current, with lighting, GL_NORMALIZE and
// GL_COLOR_MATERIAL (ambient and diffuse) enabled.
void set_lit_camera(const BoundingSphere& sphere, int width, int height);

}  // namespace agim
