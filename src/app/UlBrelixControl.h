// UlBrelixControl: the embedded OpenGL viewer. A compatibility-profile QOpenGLWidget with a white
// background, depth test, lighting, a mouse-driven camera and camera (viewport) files.
#pragma once

#include <QOpenGLWidget>
#include <QPoint>
#include <QString>
#include <QSurfaceFormat>

#include "app/ViewerCamera.h"

namespace Brelix {

// The viewer control. On every paint it makes its context current, clears colour and depth,
// sets projection and camera (current matrix: model-view) and emits Paint; whatever the
// handlers draw is shown when they return. It installs its context's procedure lookup as the
// library's, so buffer uploads made while its context is current find their entry points.
//
// Navigation: left drag orbits about the target; middle drag slides; Ctrl + middle drag tracks
// along the view axis; the wheel zooms. The camera never strays far from the framed scene.
//
// Viewport file: a JSON object
//   { "format": "agim-viewport", "version": 1,
//     "position": [x, y, z], "target": [x, y, z], "up": [x, y, z], "fov": degrees }
// Read_Viewport accepts version 1 only, needs every field, finite numbers, an eye apart from
// the target, an up not along the view and 0 < fov < 180.
class UlBrelixControl : public QOpenGLWidget {
  Q_OBJECT

 public:
  explicit UlBrelixControl(QWidget* parent = nullptr);
  ~UlBrelixControl() override;

  // The surface format the control needs: compatibility profile (immediate mode), depth 24.
  static QSurfaceFormat Surface_Format();

  // Writes the camera to `path`; false (with Last_Error set) when the file cannot be written.
  bool Save_Viewport(const char* path);
  // Reads a camera written by Save_Viewport and applies it; on any fault returns false, sets
  // Last_Error and leaves the camera as it was.
  bool Read_Viewport(const char* path);
  // Why the last Save_Viewport or Read_Viewport failed (names the file); empty after success.
  const QString& Last_Error() const { return last_error_; }

  ViewerCamera& Camera() { return camera_; }  // the camera; repaint after changing it
  const ViewerCamera& Camera() const { return camera_; }

 signals:
  void Paint();   // drawing time: context current, buffers cleared, camera set
  void Load();    // the context was created
  void Resize();  // the control changed size

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  ViewerCamera camera_;
  QPoint last_mouse_;  // pointer position at the previous move of a drag
  QString last_error_;
};

}  // namespace Brelix
