#include "app/UlBrelixControl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QSaveFile>
#include <QWheelEvent>
#include <cmath>

#include "render/GLBufferEntryPoints.h"

namespace Brelix {
namespace {

constexpr int kViewportVersion = 1;
constexpr const char* kViewportFormat = "agim-viewport";

// The library's procedure lookup: asks the context current on this thread.
void* Qt_Proc_Lookup(const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  if (context == nullptr) return nullptr;
  return reinterpret_cast<void*>(context->getProcAddress(name));
}

QJsonArray to_json(const Vec3d& v) { return QJsonArray{v[0], v[1], v[2]}; }

// Reads a three-number array; false when missing or not three finite numbers.
bool from_json(const QJsonValue& value, Vec3d& out) {
  if (!value.isArray()) return false;
  const QJsonArray a = value.toArray();
  if (a.size() != 3) return false;
  for (int k = 0; k < 3; ++k) {
    if (!a[k].isDouble() || !std::isfinite(a[k].toDouble())) return false;
    out[k] = a[k].toDouble();
  }
  return true;
}

}  // namespace

UlBrelixControl::UlBrelixControl(QWidget* parent) : QOpenGLWidget(parent) {
  setFormat(Surface_Format());
  setFocusPolicy(Qt::StrongFocus);
}

UlBrelixControl::~UlBrelixControl() = default;

QSurfaceFormat UlBrelixControl::Surface_Format() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setDepthBufferSize(24);
  format.setStencilBufferSize(0);
  format.setAlphaBufferSize(0);
  return format;
}

bool UlBrelixControl::Save_Viewport(const char* path) {
  const QString name = QString::fromLocal8Bit(path);
  QJsonObject root;
  root["format"] = kViewportFormat;
  root["version"] = kViewportVersion;
  root["position"] = to_json(camera_.position);
  root["target"] = to_json(camera_.target);
  root["up"] = to_json(camera_.up);
  root["fov"] = camera_.fov_deg;
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(QJsonDocument(root).toJson()) < 0 || !file.commit()) {
    last_error_ = QString("%1: cannot write the viewport file (%2)").arg(name, file.errorString());
    return false;
  }
  last_error_.clear();
  return true;
}

bool UlBrelixControl::Read_Viewport(const char* path) {
  const QString name = QString::fromLocal8Bit(path);
  auto fail = [&](const QString& what) {
    last_error_ = QString("%1: %2").arg(name, what);
    return false;
  };
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) return fail("cannot open (" + file.errorString() + ")");
  // Viewport files are a few hundred bytes; anything far larger is not one.
  if (file.size() > (1 << 20)) return fail("too large for a viewport file");
  QJsonParseError parse{};
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
  if (parse.error != QJsonParseError::NoError)
    return fail(QString("at byte %1: %2; expected a JSON viewport object")
                    .arg(parse.offset)
                    .arg(parse.errorString()));
  if (!doc.isObject()) return fail("expected a JSON object");
  const QJsonObject root = doc.object();
  if (root["format"].toString() != kViewportFormat)
    return fail(QString("field \"format\": expected \"%1\"").arg(kViewportFormat));
  if (!root["version"].isDouble() || root["version"].toDouble() != kViewportVersion)
    return fail(QString("field \"version\": expected %1").arg(kViewportVersion));
  ViewerCamera read = camera_;
  for (auto [key, field] : {std::pair{"position", &read.position}, std::pair{"target", &read.target},
                            std::pair{"up", &read.up}})
    if (!from_json(root[key], *field))
      return fail(QString("field \"%1\": expected an array of three finite numbers").arg(key));
  if (!root["fov"].isDouble()) return fail("field \"fov\": expected a number of degrees");
  read.fov_deg = root["fov"].toDouble();
  if (!read.Is_Valid())
    return fail("expected an eye apart from the target, an up not along the view and 0 < fov < 180");
  camera_.position = read.position;
  camera_.target = read.target;
  camera_.up = read.up;
  camera_.fov_deg = read.fov_deg;
  last_error_.clear();
  return true;
}

void UlBrelixControl::initializeGL() {
  agim::set_gl_proc_lookup(&Qt_Proc_Lookup);
  emit Load();
}

void UlBrelixControl::resizeGL(int, int) { emit Resize(); }

void UlBrelixControl::paintGL() {
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);

  const double ratio = devicePixelRatioF();
  const int w = static_cast<int>(width() * ratio), h = static_cast<int>(height() * ratio);
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(camera_.fov_deg, h > 0 ? static_cast<double>(w) / h : 1.0, camera_.Near_Plane(),
                 camera_.Far_Plane());
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  // Lights fixed to the eye: a head light and a weaker one from above left.
  const GLfloat ambient[] = {0.25f, 0.25f, 0.25f, 1.0f};
  const GLfloat head_pos[] = {0.0f, 0.0f, 1.0f, 0.0f};
  const GLfloat head_diffuse[] = {0.7f, 0.7f, 0.7f, 1.0f};
  const GLfloat fill_pos[] = {-0.5f, 1.0f, 0.5f, 0.0f};
  const GLfloat fill_diffuse[] = {0.3f, 0.3f, 0.3f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_POSITION, head_pos);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, head_diffuse);
  glLightfv(GL_LIGHT1, GL_POSITION, fill_pos);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, fill_diffuse);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glEnable(GL_NORMALIZE);

  const ViewerCamera& c = camera_;
  gluLookAt(c.position[0], c.position[1], c.position[2], c.target[0], c.target[1], c.target[2],
            c.up[0], c.up[1], c.up[2]);
  emit Paint();
}

void UlBrelixControl::mousePressEvent(QMouseEvent* event) {
  last_mouse_ = event->position().toPoint();
  event->accept();
}

void UlBrelixControl::mouseMoveEvent(QMouseEvent* event) {
  const QPoint now = event->position().toPoint();
  const QPoint d = now - last_mouse_;
  last_mouse_ = now;
  const double h = std::max(1, height());
  if (event->buttons() & Qt::LeftButton) {
    camera_.Orbit(d.x(), d.y(), h);
  } else if (event->buttons() & Qt::MiddleButton) {
    if (event->modifiers() & Qt::ControlModifier)
      camera_.Track(d.y(), h);
    else
      camera_.Slide(d.x(), d.y(), h);
  } else {
    return;
  }
  update();
}

void UlBrelixControl::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void UlBrelixControl::wheelEvent(QWheelEvent* event) {
  camera_.Zoom(event->angleDelta().y() / 120.0);
  update();
  event->accept();
}

}  // namespace Brelix
