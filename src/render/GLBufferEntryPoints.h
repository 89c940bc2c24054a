// The buffer-object entry points and the procedure lookup that finds them in the current
// OpenGL context. Shared by the strip upload and the buffer-object renderer.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace agim {

// Process-wide entry points of GL_ARB_vertex_buffer_object: null until a model is uploaded
// with the extension available; set again by every such upload.
struct GLBufferEntryPoints {
  PFNGLGENBUFFERSARBPROC glGenBuffersARB = nullptr;
  PFNGLBINDBUFFERARBPROC glBindBufferARB = nullptr;
  PFNGLBUFFERDATAARBPROC glBufferDataARB = nullptr;
};
GLBufferEntryPoints& gl_buffer_entry_points();

// Looks up an OpenGL entry point by name in the context current on this thread.
using GLProcLookup = void* (*)(const char* name);
// Installs the lookup (the Qt viewer installs its context's getProcAddress). With none
// installed, EGL's lookup is used when an EGL context is current, otherwise GLX's.
void set_gl_proc_lookup(GLProcLookup lookup);
void* gl_get_proc_address(const char* name);

}  // namespace agim
