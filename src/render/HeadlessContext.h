// An offscreen OpenGL compatibility context with no display: Mesa's EGL surfaceless platform
// plus a colour + depth framebuffer object whose pixels can be read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace agim {

// Owns an EGL display, a compatibility-profile context made current without a surface, and a
// framebuffer object (RGBA8 colour, 24-bit depth) bound for drawing. Never throws: when any
// step fails, ok() is false and error() says which step and why.
class HeadlessContext {
 public:
  // Creates the context and a width x height framebuffer and leaves both current and bound.
  HeadlessContext(int width, int height);
  // Releases the framebuffer and the context (the display stays for the next context).
  ~HeadlessContext();
  HeadlessContext(const HeadlessContext&) = delete;
  HeadlessContext& operator=(const HeadlessContext&) = delete;

  // True when the context is current and the framebuffer is complete.
  bool ok() const { return ok_; }
  // What failed, empty when ok().
  const std::string& error() const { return error_; }
  // Framebuffer width in pixels.
  int width() const { return width_; }
  // Framebuffer height in pixels.
  int height() const { return height_; }

  // Makes this context current on the calling thread and binds its framebuffer.
  bool make_current();
  // Finishes drawing and returns the framebuffer as RGBA8, top row first
  // (width * height * 4 bytes); empty when !ok().
  std::vector<std::uint8_t> read_pixels();

 private:
  // Runs the set-up steps; returns false with error_ set at the first failure.
  bool create();
  // Deletes the framebuffer objects while the context is current.
  void destroy_framebuffer();

  int width_ = 0;
  int height_ = 0;
  bool ok_ = false;
  std::string error_;
  void* display_ = nullptr;     // EGLDisplay
  void* context_ = nullptr;     // EGLContext
  unsigned framebuffer_ = 0;    // framebuffer object name
  unsigned color_buffer_ = 0;   // RGBA8 renderbuffer name
  unsigned depth_buffer_ = 0;   // depth24 renderbuffer name
};

}  // namespace agim
