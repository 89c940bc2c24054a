// DrawSink: the thin drawing interface every renderer issues its OpenGL 1.x calls through.
// The default sink calls OpenGL directly; tests install a RecordingDrawSink to check exactly
// what a pass emits, in order, without a GL context.
#pragma once

#include <cstdint>
#include <vector>

namespace agim {

// The GL calls the renderers make. Enum arguments are the raw GL values (GL_QUADS = 7, ...).
class DrawSink {
 public:
  virtual ~DrawSink() = default;
  virtual void Begin(unsigned mode) = 0;
  virtual void End() = 0;
  virtual void Normal3f(float x, float y, float z) = 0;
  virtual void Vertex3f(float x, float y, float z) = 0;
  virtual void Vertex4f(float x, float y, float z, float w) = 0;
  virtual void Color4ubv(const unsigned char* rgba) = 0;
  virtual void Color3f(float r, float g, float b) = 0;
  virtual void PushAttrib(unsigned mask) = 0;
  virtual void PopAttrib() = 0;
  virtual void Enable(unsigned cap) = 0;
  virtual void PolygonOffset(float factor, float units) = 0;
  virtual void PolygonMode(unsigned face, unsigned mode) = 0;
  virtual void PointSize(float size) = 0;
  virtual void EnableClientState(unsigned array) = 0;
  virtual void DisableClientState(unsigned array) = 0;
  virtual void BindBuffer(unsigned target, unsigned buffer) = 0;
  virtual void VertexPointer(int size, unsigned type, int stride, const void* pointer) = 0;
  virtual void NormalPointer(unsigned type, int stride, const void* pointer) = 0;
  virtual void DrawArrays(unsigned mode, int first, int count) = 0;
};

// The sink renderers draw through now: the OpenGL sink unless a ScopedDrawSink is active.
DrawSink& Draw();

// Installs `sink` for the lifetime of this object, then restores the previous one.
class ScopedDrawSink {
 public:
  explicit ScopedDrawSink(DrawSink& sink);
  ~ScopedDrawSink();
  ScopedDrawSink(const ScopedDrawSink&) = delete;
  ScopedDrawSink& operator=(const ScopedDrawSink&) = delete;

 private:
  DrawSink* previous_;
};

// One recorded call: its name and its numeric arguments (floats widened to double; enum,
// integer and pointer arguments as their integer values).
struct DrawCall {
  enum Op : std::uint8_t {
    Begin, End, Normal3f, Vertex3f, Vertex4f, Color4ubv, Color3f, PushAttrib, PopAttrib, Enable,
    PolygonOffset, PolygonMode, PointSize, EnableClientState, DisableClientState, BindBuffer,
    VertexPointer, NormalPointer, DrawArrays
  };
  Op op;
  double a[4];
};

// A sink that records every call and draws nothing.
class RecordingDrawSink : public DrawSink {
 public:
  std::vector<DrawCall> calls;

  void Begin(unsigned mode) override { add(DrawCall::Begin, mode); }
  void End() override { add(DrawCall::End); }
  void Normal3f(float x, float y, float z) override { add(DrawCall::Normal3f, x, y, z); }
  void Vertex3f(float x, float y, float z) override { add(DrawCall::Vertex3f, x, y, z); }
  void Vertex4f(float x, float y, float z, float w) override { add(DrawCall::Vertex4f, x, y, z, w); }
  void Color4ubv(const unsigned char* c) override { add(DrawCall::Color4ubv, c[0], c[1], c[2], c[3]); }
  void Color3f(float r, float g, float b) override { add(DrawCall::Color3f, r, g, b); }
  void PushAttrib(unsigned mask) override { add(DrawCall::PushAttrib, mask); }
  void PopAttrib() override { add(DrawCall::PopAttrib); }
  void Enable(unsigned cap) override { add(DrawCall::Enable, cap); }
  void PolygonOffset(float f, float u) override { add(DrawCall::PolygonOffset, f, u); }
  void PolygonMode(unsigned face, unsigned mode) override { add(DrawCall::PolygonMode, face, mode); }
  void PointSize(float s) override { add(DrawCall::PointSize, s); }
  void EnableClientState(unsigned a) override { add(DrawCall::EnableClientState, a); }
  void DisableClientState(unsigned a) override { add(DrawCall::DisableClientState, a); }
  void BindBuffer(unsigned target, unsigned b) override { add(DrawCall::BindBuffer, target, b); }
  void VertexPointer(int size, unsigned type, int stride, const void* p) override {
    add(DrawCall::VertexPointer, size, type, stride, static_cast<double>(reinterpret_cast<std::uintptr_t>(p)));
  }
  void NormalPointer(unsigned type, int stride, const void* p) override {
    add(DrawCall::NormalPointer, type, stride, static_cast<double>(reinterpret_cast<std::uintptr_t>(p)));
  }
  void DrawArrays(unsigned mode, int first, int count) override { add(DrawCall::DrawArrays, mode, first, count); }

 private:
  void add(DrawCall::Op op, double a0 = 0, double a1 = 0, double a2 = 0, double a3 = 0) {
    calls.push_back(DrawCall{op, {a0, a1, a2, a3}});
  }
};

}  // namespace agim
