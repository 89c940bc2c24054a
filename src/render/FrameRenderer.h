// One offscreen frame of a model as the viewer paints it: lit camera, turntable rotation about
// the fixed centre, shaded quads with an optional black wireframe, or the crack-free strips
// plus zipper geometry.
#pragma once

#include "model/AGIM.h"
#include "render/SceneCamera.h"

namespace agim {

// What one frame shows.
struct FrameOptions {
  float angle_degrees = 0.0f;  // turntable angle r_time; the model turns by -angle about z
  bool wireframe = false;      // black outline of the quad grid on top
  bool crack_free = false;     // strips and zipper geometry instead of the quads
};

// Copies the patches of `source` (ids, levels, neighbours, direction codes, grids) into
// `target`, which has no zipper data or strips afterwards; the focus constants come along.
void copy_patches(const AGIM& source, AGIM& target);

// Prepares `model` for crack-free drawing from its grids and current levels: zipper detection
// and filling, head and tail lists, corner blocks, strips (no upload).
void prepare_crack_free(AGIM& model);

// Draws every patch's strip from its client-memory arrays, one triangle strip per patch
// (the same geometry as the buffer-object pass, without buffers).
void draw_strip_arrays(const AGIM& model);

// Renders one frame of `model` into the current context's framebuffer (width x height).
// The crack-free mode draws the buffer-object strips when the model has them and the strip
// arrays otherwise, then the zipper geometry; the model must have been prepared for it.
void render_frame(const AGIM& model, const BoundingSphere& sphere, int width, int height, const FrameOptions& options);

}  // namespace agim
