#include "render/HeadlessContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace agim {
namespace {

// The framebuffer-object entry points, looked up once per context through EGL.
struct FramebufferProcs {
  PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;

  // Fills every pointer; false when one is missing.
  bool load() {
    gen_framebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(eglGetProcAddress("glGenFramebuffers"));
    delete_framebuffers =
        reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(eglGetProcAddress("glDeleteFramebuffers"));
    bind_framebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(eglGetProcAddress("glBindFramebuffer"));
    gen_renderbuffers =
        reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(eglGetProcAddress("glGenRenderbuffers"));
    delete_renderbuffers =
        reinterpret_cast<PFNGLDELETERENDERBUFFERSPROC>(eglGetProcAddress("glDeleteRenderbuffers"));
    bind_renderbuffer =
        reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(eglGetProcAddress("glBindRenderbuffer"));
    renderbuffer_storage =
        reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(eglGetProcAddress("glRenderbufferStorage"));
    framebuffer_renderbuffer = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(
        eglGetProcAddress("glFramebufferRenderbuffer"));
    check_framebuffer_status = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(
        eglGetProcAddress("glCheckFramebufferStatus"));
    return gen_framebuffers && delete_framebuffers && bind_framebuffer && gen_renderbuffers &&
           delete_renderbuffers && bind_renderbuffer && renderbuffer_storage &&
           framebuffer_renderbuffer && check_framebuffer_status;
  }
};

FramebufferProcs& framebuffer_procs() {
  static FramebufferProcs procs;
  return procs;
}

// The surfaceless display is one per process. It stays initialised until the process ends:
// terminating it unloads the driver, which then loses some of its own allocations.
std::mutex g_display_mutex;

// A readable name for the last EGL error.
std::string egl_error_text() {
  EGLint code = eglGetError();
  switch (code) {
    case EGL_SUCCESS: return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    default: return "EGL error " + std::to_string(code);
  }
}

bool has_word(const char* list, const char* word) {
  if (!list) return false;
  const std::size_t n = std::strlen(word);
  for (const char* p = list; (p = std::strstr(p, word)) != nullptr; p += n) {
    const bool starts = p == list || p[-1] == ' ';
    const bool ends = p[n] == '\0' || p[n] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

}  // namespace

HeadlessContext::HeadlessContext(int width, int height) : width_(width), height_(height) {
  ok_ = create();
}

bool HeadlessContext::create() {
  if (width_ <= 0 || height_ <= 0 || width_ > 16384 || height_ > 16384) {
    error_ = "headless context: framebuffer size " + std::to_string(width_) + "x" +
             std::to_string(height_) + " is out of range (1..16384)";
    return false;
  }
  const char* client_extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!has_word(client_extensions, "EGL_MESA_platform_surfaceless")) {
    error_ = "headless context: EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
    return false;
  }
  auto get_platform_display =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_platform_display) {
    error_ = "headless context: eglGetPlatformDisplayEXT is missing";
    return false;
  }
  EGLDisplay display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) {
    error_ = "headless context: no surfaceless EGL display (" + egl_error_text() + ")";
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(g_display_mutex);
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
      error_ = "headless context: eglInitialize failed (" + egl_error_text() + ")";
      return false;
    }
    display_ = display;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error_ = "headless context: desktop OpenGL is not available through EGL (" + egl_error_text() + ")";
    return false;
  }

  EGLConfig config = nullptr;
  const EGLint config_attribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                   EGL_NONE};
  EGLint config_count = 0;
  if (!eglChooseConfig(display, config_attribs, &config, 1, &config_count) || config_count < 1) {
    const char* display_extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!has_word(display_extensions, "EGL_KHR_no_config_context")) {
      error_ = "headless context: no EGL config for desktop OpenGL";
      return false;
    }
    config = EGL_NO_CONFIG_KHR;
  }

  // A compatibility profile: the renderers use the fixed-function pipeline.
  const EGLint compat_attribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                   EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, compat_attribs);
  if (context == EGL_NO_CONTEXT) context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    error_ = "headless context: eglCreateContext failed (" + egl_error_text() + ")";
    return false;
  }
  context_ = context;
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
    error_ = "headless context: eglMakeCurrent without a surface failed (" + egl_error_text() + ")";
    return false;
  }

  FramebufferProcs& fb = framebuffer_procs();
  if (!fb.load()) {
    error_ = "headless context: framebuffer-object entry points are missing";
    return false;
  }
  fb.gen_framebuffers(1, &framebuffer_);
  fb.bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
  fb.gen_renderbuffers(1, &color_buffer_);
  fb.bind_renderbuffer(GL_RENDERBUFFER, color_buffer_);
  fb.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
  fb.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_buffer_);
  fb.gen_renderbuffers(1, &depth_buffer_);
  fb.bind_renderbuffer(GL_RENDERBUFFER, depth_buffer_);
  fb.renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
  fb.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_buffer_);
  fb.bind_renderbuffer(GL_RENDERBUFFER, 0);
  const GLenum status = fb.check_framebuffer_status(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    error_ = "headless context: framebuffer incomplete (status 0x" + [status] {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%x", status);
      return std::string(buf);
    }() + ")";
    return false;
  }
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glViewport(0, 0, width_, height_);
  return true;
}

bool HeadlessContext::make_current() {
  if (!ok_) return false;
  if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return false;
  framebuffer_procs().bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
  return true;
}

std::vector<std::uint8_t> HeadlessContext::read_pixels() {
  std::vector<std::uint8_t> pixels;
  if (!make_current()) return pixels;
  glFinish();
  const std::size_t row = static_cast<std::size_t>(width_) * 4;
  std::vector<std::uint8_t> bottom_up(row * static_cast<std::size_t>(height_));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
  pixels.resize(bottom_up.size());
  for (int y = 0; y < height_; ++y) {
    std::memcpy(pixels.data() + row * static_cast<std::size_t>(y),
                bottom_up.data() + row * static_cast<std::size_t>(height_ - 1 - y), row);
  }
  return pixels;
}

void HeadlessContext::destroy_framebuffer() {
  FramebufferProcs& fb = framebuffer_procs();
  if (!fb.delete_framebuffers) return;
  fb.bind_framebuffer(GL_FRAMEBUFFER, 0);
  if (framebuffer_) fb.delete_framebuffers(1, &framebuffer_);
  if (color_buffer_) fb.delete_renderbuffers(1, &color_buffer_);
  if (depth_buffer_) fb.delete_renderbuffers(1, &depth_buffer_);
  framebuffer_ = color_buffer_ = depth_buffer_ = 0;
}

HeadlessContext::~HeadlessContext() {
  if (!display_) return;
  if (context_) {
    if (eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) destroy_framebuffer();
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
  }
}

}  // namespace agim
