#include "render/GLBufferEntryPoints.h"

#include <EGL/egl.h>

namespace agim {
namespace {
GLProcLookup g_lookup = nullptr;
}  // namespace

GLBufferEntryPoints& gl_buffer_entry_points() {
  static GLBufferEntryPoints entry_points;
  return entry_points;
}

void set_gl_proc_lookup(GLProcLookup lookup) { g_lookup = lookup; }

void* gl_get_proc_address(const char* name) {
  if (g_lookup) return g_lookup(name);
  if (eglGetCurrentContext() != EGL_NO_CONTEXT) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
  }
  return nullptr;
}

}  // namespace agim
