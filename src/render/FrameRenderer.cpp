#include "render/FrameRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/DrawSink.h"

namespace agim {

void copy_patches(const AGIM& source, AGIM& target) {
  target = AGIM{};
  target.focus_max_x = source.focus_max_x;
  target.focus_max_y = source.focus_max_y;
  target.focus_min_x = source.focus_min_x;
  target.focus_min_y = source.focus_min_y;
  target.lod_reference = source.lod_reference;
  target.element_count = source.element_count;
  target.elements.resize(source.elements.size());
  for (std::size_t k = 0; k < source.elements.size(); ++k) {
    const AGIM_element& from = source.elements[k];
    AGIM_element& to = target.elements[k];
    to.position_grid = from.position_grid;
    to.normal_grid = from.normal_grid;
    to.level = from.level;
    to.max_level = from.max_level;
    to.base_level = from.base_level;
    to.grid_size = from.grid_size;
    to.element_id = from.element_id;
    for (int s = 0; s < 4; ++s) {
      to.neighbour[s] = from.neighbour[s];
      to.side_orientation[s] = from.side_orientation[s];
    }
  }
}

void prepare_crack_free(AGIM& model) {
  model.Prepare_Zipper_Data();
  model.Flag_CornerZB();
  model.Build_Strip_Buffers();
}

void draw_strip_arrays(const AGIM& model) {
  DrawSink& gl = Draw();
  gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
  gl.EnableClientState(GL_VERTEX_ARRAY);
  gl.EnableClientState(GL_NORMAL_ARRAY);
  for (const AGIM_element& e : model.elements) {
    if (e.strip_vertex_count <= 0 || e.strip_vertices.size() < static_cast<std::size_t>(e.strip_vertex_count) ||
        e.strip_normals.size() < static_cast<std::size_t>(e.strip_vertex_count))
      continue;
    gl.VertexPointer(3, GL_FLOAT, 0, e.strip_vertices.data());
    gl.NormalPointer(GL_FLOAT, 0, e.strip_normals.data());
    gl.DrawArrays(GL_TRIANGLE_STRIP, 0, e.strip_vertex_count);
  }
  gl.DisableClientState(GL_VERTEX_ARRAY);
  gl.DisableClientState(GL_NORMAL_ARRAY);
}

void render_frame(const AGIM& model, const BoundingSphere& sphere, int width, int height, const FrameOptions& options) {
  set_lit_camera(sphere, width, height);
  const float* t = kTurntableCentre;
  glPushMatrix();
  glTranslatef(t[0], t[1], t[2]);
  glRotatef(-options.angle_degrees, 0.0f, 0.0f, 1.0f);
  glTranslatef(-t[0], -t[1], -t[2]);
  glEnable(GL_COLOR_MATERIAL);
  if (options.crack_free) {
    // One colour for the whole surface: strips and zipper triangles are one continuous skin.
    DrawSink& gl = Draw();
    const unsigned char skin[4] = {150, 180, 225, 255};
    gl.Color4ubv(skin);
    gl.Enable(GL_DEPTH_TEST);
    gl.Enable(GL_POLYGON_OFFSET_FILL);
    gl.PolygonOffset(1.0f, 1.0f);
    gl.PolygonMode(GL_FRONT, GL_FILL);
    gl.PolygonMode(GL_BACK, GL_POINT);
    // The surface is closed and wound outward: culling the far side lets every crack show
    // the background instead of the far side's corner points.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const bool uploaded = model.element_count > 0 &&
                          model.vertex_buffer_ids.size() == static_cast<std::size_t>(model.element_count);
    if (uploaded) {
      model.Render_AGIMwithVBO();
      gl.BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    } else {
      draw_strip_arrays(model);
    }
    model.Render_ZipperAGIM();
    gl.PointSize(1.0f);
    glDisable(GL_CULL_FACE);
  } else if (!model.elements.empty()) {
    model.Render_AGIM();
  }
  if (options.wireframe && !model.elements.empty()) model.Render_AGIM_Wireframe();
  glPopMatrix();
}

}  // namespace agim
