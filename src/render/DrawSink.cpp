#include "render/DrawSink.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "render/GLBufferEntryPoints.h"

namespace agim {
namespace {

// Issues every call to the OpenGL context current on this thread.
class GLDrawSink final : public DrawSink {
 public:
  void Begin(unsigned mode) override { glBegin(mode); }
  void End() override { glEnd(); }
  void Normal3f(float x, float y, float z) override { glNormal3f(x, y, z); }
  void Vertex3f(float x, float y, float z) override { glVertex3f(x, y, z); }
  void Vertex4f(float x, float y, float z, float w) override { glVertex4f(x, y, z, w); }
  void Color4ubv(const unsigned char* rgba) override { glColor4ubv(rgba); }
  void Color3f(float r, float g, float b) override { glColor3f(r, g, b); }
  void PushAttrib(unsigned mask) override { glPushAttrib(mask); }
  void PopAttrib() override { glPopAttrib(); }
  void Enable(unsigned cap) override { glEnable(cap); }
  void PolygonOffset(float factor, float units) override { glPolygonOffset(factor, units); }
  void PolygonMode(unsigned face, unsigned mode) override { glPolygonMode(face, mode); }
  void PointSize(float size) override { glPointSize(size); }
  void EnableClientState(unsigned array) override { glEnableClientState(array); }
  void DisableClientState(unsigned array) override { glDisableClientState(array); }
  void BindBuffer(unsigned target, unsigned buffer) override {
    if (gl_buffer_entry_points().glBindBufferARB) gl_buffer_entry_points().glBindBufferARB(target, buffer);
  }
  void VertexPointer(int size, unsigned type, int stride, const void* pointer) override {
    glVertexPointer(size, type, stride, pointer);
  }
  void NormalPointer(unsigned type, int stride, const void* pointer) override {
    glNormalPointer(type, stride, pointer);
  }
  void DrawArrays(unsigned mode, int first, int count) override { glDrawArrays(mode, first, count); }
};

GLDrawSink& gl_sink() {
  static GLDrawSink sink;
  return sink;
}

DrawSink* g_current = nullptr;

}  // namespace

DrawSink& Draw() { return g_current ? *g_current : gl_sink(); }

ScopedDrawSink::ScopedDrawSink(DrawSink& sink) : previous_(g_current) { g_current = &sink; }
ScopedDrawSink::~ScopedDrawSink() { g_current = previous_; }

}  // namespace agim
