// The strip builder (one serpentine triangle strip per patch at its current level, leaving out
// the cells along sides that border finer patches) and the buffer-object upload.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "model/AGIM.h"
#include "model/Level.h"
#include "render/GLBufferEntryPoints.h"

namespace {

// Side k of patch `e` borders a finer patch. A neighbour id outside the model is never
// followed and counts as not finer.
bool side_is_finer(const AGIM& model, const AGIM_element& e, int side) {
  const int id = e.neighbour[side];
  if (id < 0 || id >= model.element_count || static_cast<std::size_t>(id) >= model.elements.size()) return false;
  return e.level < model.elements[static_cast<std::size_t>(id)].level;
}

// The stored-grid stride of the patch's current level, or 0 when its grids cannot hold the
// current level's samples (level outside 1..max_level, or grids smaller than they claim).
int usable_stride(const AGIM_element& e) {
  const int n = e.grid_size;
  if (e.level < 1 || e.level > e.max_level || n < 2) return 0;
  const int s = agim::stride_for_levels(e.max_level, e.level);
  if (s < 1) return 0;
  const long long last = static_cast<long long>(n - 1) * s;
  if (last >= e.position_grid.size() || last >= e.normal_grid.size()) return 0;
  return s;
}

}  // namespace

void AGIM::Build_Strip_Buffers() {
  for (AGIM_element& e : elements) {
    e.strip_vertices.clear();
    e.strip_normals.clear();
    e.strip_vertex_count = 0;
    const int s = usable_stride(e);
    if (s == 0) continue;
    const int n = e.grid_size;
    bool finer[4];
    for (int k = 0; k < 4; ++k) finer[k] = side_is_finer(*this, e, k);

    // Entry count: R rows in every kept strip, two entries a row.
    const int rows = n - (finer[0] ? 1 : 0) - (finer[2] ? 1 : 0);
    int kept_strips = 0;
    for (int j = 0; j <= n - 2; ++j) {
      if ((j == 0 && finer[1]) || (j == n - 2 && finer[3])) continue;
      ++kept_strips;
    }
    const std::size_t count = 2u * static_cast<std::size_t>(rows) * static_cast<std::size_t>(kept_strips);
    e.strip_vertices.resize(count);
    e.strip_normals.resize(count);
    e.strip_vertex_count = static_cast<int>(count);

    // Serpentine walk: even strips go down the rows, odd strips come back up; each strip
    // starts on the row where the previous one ended, with no restart between them.
    std::size_t v = 0;
    auto append = [&](int i, int j) {
      const Point& p = e.position_grid[i * s][j * s];
      const Point& q = e.normal_grid[i * s][j * s];
      e.strip_vertices[v] = VBO_Vertex{p.x, p.y, p.z};
      e.strip_normals[v] = VBO_Vertex{q.x, q.y, q.z};
      ++v;
    };
    for (int j = 0; j <= n - 2; ++j) {
      if ((j == 0 && finer[1]) || (j == n - 2 && finer[3])) continue;
      const bool even = j % 2 == 0;
      for (int step = 0; step < n; ++step) {
        const int i = even ? step : n - 1 - step;
        if ((i == 0 && finer[0]) || (i == n - 1 && finer[2])) continue;
        if (even) {
          append(i, j + 1);
          append(i, j);
        } else {
          append(i, j);
          append(i, j + 1);
        }
      }
    }
  }
}

namespace {

// The names of the buffers a model uploaded, deleted before a second upload replaces them.
void delete_buffers(std::vector<uint32_t>& names) {
  if (names.empty()) return;
  auto del = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(agim::gl_get_proc_address("glDeleteBuffersARB"));
  if (del) del(static_cast<GLsizei>(names.size()), names.data());
  names.clear();
}

}  // namespace

void AGIM::Upload_Strip_Buffers() {
  // Without the extension, or without any of its entry points, the model keeps no buffers.
  agim::GLBufferEntryPoints found;
  bool available = IsExtensionSupported("GL_ARB_vertex_buffer_object");
  if (available) {
    found.glGenBuffersARB = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(agim::gl_get_proc_address("glGenBuffersARB"));
    found.glBindBufferARB = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(agim::gl_get_proc_address("glBindBufferARB"));
    found.glBufferDataARB = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(agim::gl_get_proc_address("glBufferDataARB"));
    available = found.glGenBuffersARB && found.glBindBufferARB && found.glBufferDataARB;
  }
  if (!available) {
    // Names from an earlier upload would point at buffers that may no longer be reachable.
    vertex_buffer_ids.clear();
    normal_buffer_ids.clear();
    buffer_vertex_counts.clear();
    std::fputs("VBO Support failed\n", stdout);
    std::fflush(stdout);
    return;
  }
  std::fputs("VBO Support\n", stdout);
  std::fflush(stdout);

  delete_buffers(vertex_buffer_ids);
  delete_buffers(normal_buffer_ids);
  agim::gl_buffer_entry_points() = found;
  const std::size_t count = element_count > 0 ? static_cast<std::size_t>(element_count) : 0;
  vertex_buffer_ids.assign(count, 0);
  normal_buffer_ids.assign(count, 0);
  buffer_vertex_counts.assign(count, 0);
  if (count > 0) {
    found.glGenBuffersARB(static_cast<GLsizei>(count), vertex_buffer_ids.data());
    found.glGenBuffersARB(static_cast<GLsizei>(count), normal_buffer_ids.data());
  }
  long long total = 0;
  for (std::size_t k = 0; k < count && k < elements.size(); ++k) {
    const AGIM_element& e = elements[k];
    total += e.strip_vertex_count;
    buffer_vertex_counts[k] = static_cast<int>(e.strip_vertices.size());
    const auto bytes = static_cast<GLsizeiptrARB>(e.strip_vertices.size() * sizeof(VBO_Vertex));
    found.glBindBufferARB(GL_ARRAY_BUFFER_ARB, vertex_buffer_ids[k]);
    found.glBufferDataARB(GL_ARRAY_BUFFER_ARB, bytes, e.strip_vertices.data(), GL_STATIC_DRAW_ARB);
    found.glBindBufferARB(GL_ARRAY_BUFFER_ARB, normal_buffer_ids[k]);
    found.glBufferDataARB(GL_ARRAY_BUFFER_ARB, bytes, e.strip_normals.data(), GL_STATIC_DRAW_ARB);
  }
  std::printf("%lld\n", total);
  std::fflush(stdout);
}

bool IsExtensionSupported(const char* szTargetExtension) {
  if (szTargetExtension == nullptr || *szTargetExtension == '\0') return false;
  if (std::strchr(szTargetExtension, ' ') != nullptr) return false;
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions == nullptr) return false;
  const std::size_t length = std::strlen(szTargetExtension);
  const char* start = extensions;
  for (;;) {
    const char* where = std::strstr(start, szTargetExtension);
    if (where == nullptr) return false;
    const char* end = where + length;
    if ((where == start || where[-1] == ' ') && (*end == ' ' || *end == '\0')) return true;
    start = end;
  }
}
