// The immediate-mode shaded and wireframe passes (lit quads per patch in the patch palette,
// black outlines on top) and the buffer-object strip pass. Every GL call goes through Draw().
#include <GL/gl.h>
#include <GL/glext.h>

#include <OpenMesh/Core/Geometry/VectorT.hh>

#include "model/AGIM.h"
#include "model/Level.h"
#include "render/DrawSink.h"
#include "render/UlCColorTable_Static.h"

namespace {

using Vec3d = OpenMesh::VectorT<double, 3>;

// The stride at which the quad passes sample the stored grid for the current level, or 0
// when the grids cannot hold the current level's samples (the patch is then drawn empty).
int quad_stride(const AGIM_element& e) {
  const int n = e.grid_size;
  if (n < 2 || e.level < 1 || e.level > e.max_level) return 0;
  const int s = agim::stride_for_levels(e.max_level, e.level);
  if (s < 1) return 0;
  const long long last = static_cast<long long>(n - 1) * s;
  if (last >= e.position_grid.size() || last >= e.normal_grid.size()) return 0;
  return s;
}

// The front polygon mode and colour of one immediate-mode pass.
enum class Pass { Shaded, Wireframe };

void draw_quads(const AGIM& model, Pass pass) {
  agim::DrawSink& gl = agim::Draw();
  const int count = model.element_count < static_cast<int>(model.elements.size())
                        ? model.element_count
                        : static_cast<int>(model.elements.size());
  for (int k = 0; k < count; ++k) {
    const AGIM_element& e = model.elements[static_cast<std::size_t>(k)];
    if (pass == Pass::Shaded) {
      osg::Color4<unsigned char> colour;
      colour = UlCColorTable_Static::Instance()->get_Color(static_cast<unsigned int>(k));
      gl.Color4ubv(&colour[0]);
    } else {
      gl.Color3f(0.0f, 0.0f, 0.0f);
    }
    gl.PushAttrib(GL_LIGHTING_BIT);
    gl.Enable(GL_POLYGON_OFFSET_FILL);
    gl.Enable(GL_DEPTH_TEST);
    gl.PolygonOffset(1.0f, 1.0f);
    gl.PolygonMode(GL_FRONT, pass == Pass::Shaded ? GL_FILL : GL_LINE);
    gl.PolygonMode(GL_BACK, GL_POINT);
    gl.Begin(GL_QUADS);
    // The current level is drawn at its stride, the same samples the strips use; at the
    // storage level the stride is 1.
    const int s = quad_stride(e);
    const int n = s > 0 ? e.grid_size : 0;
    Vec3d position[4];
    Vec3d normal[4];
    for (int c = 0; c + 1 < n; ++c) {
      for (int r = 0; r + 1 < n; ++r) {
        const int rows[4] = {r, r + 1, r + 1, r};
        const int cols[4] = {c, c, c + 1, c + 1};
        for (int i = 0; i < 4; ++i) {
          const Point& p = e.position_grid[rows[i] * s][cols[i] * s];
          const Point& q = e.normal_grid[rows[i] * s][cols[i] * s];
          position[i] = Vec3d(p.x, p.y, p.z);
          normal[i] = Vec3d(q.x, q.y, q.z);
        }
        for (int i = 0; i < 4; ++i) {
          gl.Normal3f(static_cast<float>(normal[i][0]), static_cast<float>(normal[i][1]),
                      static_cast<float>(normal[i][2]));
          gl.Vertex4f(static_cast<float>(position[i][0]), static_cast<float>(position[i][1]),
                      static_cast<float>(position[i][2]), 1.0f);
        }
      }
    }
    gl.End();
    gl.PopAttrib();
  }
}

}  // namespace

void AGIM::Render_AGIM() const { draw_quads(*this, Pass::Shaded); }

void AGIM::Render_AGIM_Wireframe() const { draw_quads(*this, Pass::Wireframe); }

void AGIM::Render_AGIMwithVBO() const {
  // A model uploaded without buffer objects has no buffer names: nothing to draw.
  if (element_count <= 0 || vertex_buffer_ids.size() < static_cast<std::size_t>(element_count) ||
      normal_buffer_ids.size() < static_cast<std::size_t>(element_count) ||
      buffer_vertex_counts.size() < static_cast<std::size_t>(element_count) ||
      elements.size() < static_cast<std::size_t>(element_count))
    return;
  agim::DrawSink& gl = agim::Draw();
  gl.EnableClientState(GL_VERTEX_ARRAY);
  gl.EnableClientState(GL_NORMAL_ARRAY);
  for (int k = 0; k < element_count; ++k) {
    const std::size_t slot = static_cast<std::size_t>(k);
    gl.BindBuffer(GL_ARRAY_BUFFER_ARB, vertex_buffer_ids[slot]);
    gl.VertexPointer(3, GL_FLOAT, 0, nullptr);
    gl.BindBuffer(GL_ARRAY_BUFFER_ARB, normal_buffer_ids[slot]);
    gl.NormalPointer(GL_FLOAT, 0, nullptr);
    // Strips rebuilt since the upload may hold more entries than the buffers do: never draw
    // past what was uploaded.
    const int uploaded = buffer_vertex_counts[slot];
    const int count = elements[slot].strip_vertex_count;
    gl.DrawArrays(GL_TRIANGLE_STRIP, 0, count < uploaded ? count : uploaded);
  }
  gl.DisableClientState(GL_VERTEX_ARRAY);
  gl.DisableClientState(GL_NORMAL_ARRAY);
}
