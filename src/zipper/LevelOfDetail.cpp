// Level-of-detail changes: stepping every patch's level by a control value, and the view test
// that refines patches with a corner inside the focus rectangle; both rebuild the zipper data.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#include "model/AGIM.h"
#include "model/Level.h"
#include "zipper/ZipperAccess.h"

using agim::grid_size_for_level;
using agim::zipper::valid_element;

namespace {

// Sets the patch's level and the grid size that follows from it.
void set_level(AGIM_element& el, int level) {
  el.level = level;
  el.grid_size = grid_size_for_level(level);
}

}  // namespace

void AGIM::LOD_Change(double value) {
  bool changed = false;
  const double diff = static_cast<double>(lod_reference) - value;
  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    // Levels stay within 1 .. max_level so that no rebuild reads outside a grid; a patch whose
    // storage level is itself out of range is left alone.
    if (el.max_level < 1 || el.max_level > agim::kMaxStorageLevel) continue;
    if (diff > 2.0 && el.level > 2) {
      set_level(el, std::min(el.level - 1, el.max_level));
      changed = true;
    }
    if (diff < -2.0 && el.level < el.base_level && el.level < el.max_level) {
      set_level(el, std::max(el.level + 1, 1));
      changed = true;
    }
  }
  if ((diff > 2.0 || diff < -2.0) && changed) lod_reference = static_cast<float>(value);

  Detect_IFZipper();
  Fill_ZipperBlock();
  Detect_Corner_NeiZB(0);
  Detect_Corner_NeiZB(1);
  for (int e = 0; e < element_count && valid_element(*this, e); ++e)
    if (elements[static_cast<std::size_t>(e)].has_zipper) Fill_headtail_NZB(e);
}

void AGIM::Viewport_Test() {
  GLdouble projection[16];
  GLint viewport[4];
  GLdouble modelview[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);

  const double min_x = focus_min_x, max_x = focus_max_x;
  const double min_y = focus_min_y, max_y = focus_max_y;
  for (int e = 0; e < element_count && valid_element(*this, e); ++e) {
    AGIM_element& el = elements[static_cast<std::size_t>(e)];
    if (el.max_level < 1 || el.max_level > agim::kMaxStorageLevel) continue;
    const int n = grid_size_for_level(el.max_level);
    if (el.position_grid.size() != n) continue;
    const Point* corners[4] = {&el.position_grid[0][0], &el.position_grid[n - 1][0],
                               &el.position_grid[0][n - 1], &el.position_grid[n - 1][n - 1]};
    bool inside = false;
    for (const Point* c : corners) {
      GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
      // A corner that cannot be projected is not inside.
      if (gluProject(c->x, c->y, c->z, modelview, projection, viewport, &wx, &wy, &wz) != GL_TRUE)
        continue;
      if (min_x < wx && wx < max_x && min_y < wy && wy < max_y) {
        inside = true;
        break;
      }
    }
    if (inside) {
      el.out_of_view = false;
      set_level(el, std::clamp(el.base_level, 1, el.max_level));
    } else {
      // Out of view: level 3, but never finer than the patch's storage.
      set_level(el, std::min(3, el.max_level));
      el.out_of_view = true;
    }
  }

  Detect_IFZipper();
  Fill_ZipperBlock();
  for (int e = 0; e < element_count && valid_element(*this, e); ++e)
    if (elements[static_cast<std::size_t>(e)].has_zipper) Fill_headtail_NZB(e);
}
