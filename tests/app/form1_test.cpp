// The main window under a display: start-up state, opening files, play and stop, the
// turntable, the wireframe, painting, viewport files, camera navigation and the file menu.
#include <GL/gl.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <memory>

#include "AppTestFiles.h"
#include "KeepGLDriverLoaded.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/UlBrelixControl.h"
#include "render/DrawSink.h"

using Brelix::UlBrelixControl;
using Brelix::Vec3d;
using Brelix::ViewerCamera;
using Tessavine::Form1;

namespace {

constexpr double kSame = 1e-12;

bool same_camera(const ViewerCamera& a, const ViewerCamera& b) {
  return (a.position - b.position).norm() < kSame && (a.target - b.target).norm() < kSame &&
         (a.up - b.up).norm() < kSame && std::abs(a.fov_deg - b.fov_deg) < kSame;
}

// Counts the recorded calls of one kind.
int count(const agim::RecordingDrawSink& rec, agim::DrawCall::Op op) {
  int n = 0;
  for (const agim::DrawCall& c : rec.calls) n += c.op == op;
  return n;
}

QString tmp(const QString& name) { return QString(AGIM_TEST_TMP) + "/" + name; }

void write_text(const QString& name, const QByteArray& text) {
  QFile f(name);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(text);
}

// Small models keep these tests quick: 6 patches, storage level 3.
const agim::SampleLayout kSmall{1, 3, 1};

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Form1> window;

  // The shown window's control named `name`.
  template <class T>
  T* control(const char* name) {
    T* c = window->findChild<T*>(name);
    if (c == nullptr) qWarning("no control named %s", name);
    return c;
  }

 private slots:
  void init() {
    window = std::make_unique<Form1>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  void cleanup() { window.reset(); }
  void cleanupTestCase() { agim::test::keep_gl_driver_loaded(); }

  void startsWithRenderControlSelectedAndEverythingStopped() {
    auto* ribbon = control<QTabWidget>("ribbonControl1");
    QVERIFY(ribbon);
    QCOMPARE(ribbon->count(), 2);
    QCOMPARE(ribbon->tabText(0), QString("PlayControl_Tab"));
    QCOMPARE(ribbon->tabText(1), QString("Render_Control"));
    QCOMPARE(ribbon->currentWidget(), control<QWidget>("ribbonTabItem2"));
    QCOMPARE(ribbon->widget(0), control<QWidget>("ribbonTabItem1"));

    auto* wire = control<QCheckBox>("Wire_frame_CheckBT");
    QVERIFY(wire);
    QVERIFY(!wire->isChecked());
    QCOMPARE(wire->text(), QString("Show_Wireframe"));

    auto* morph_timer = control<QTimer>("Morph_timer");
    auto* rotate_timer = control<QTimer>("Rotate_timer");
    QVERIFY(morph_timer && rotate_timer);
    QVERIFY(!morph_timer->isActive());
    QVERIFY(!rotate_timer->isActive());
    QCOMPARE(morph_timer->interval(), 50);
    QCOMPARE(rotate_timer->interval(), 70);

    const struct {
      const char* name;
      const char* caption;
    } buttons[] = {{"play_buttonitem", "New"},          {"stop_buttonItem", "buttonItem3"},
                   {"Read_ViewPortBT", "Read_View"},    {"Save_ViewPortBT", "Save_ViewPort"},
                   {"Rotate", "Rotate"},                {"ViewAll_BT", "View all"},
                   {"office2007StartButton1", "&File"}};
    for (const auto& b : buttons) {
      auto* button = control<QToolButton>(b.name);
      QVERIFY2(button, b.name);
      QCOMPARE(button->text(), QString(b.caption));
    }
    for (const char* name : {"play_buttonitem", "stop_buttonItem"}) {
      auto* button = control<QToolButton>(name);
      QCOMPARE(button->iconSize(), QSize(50, 50));
      QVERIFY2(!button->icon().isNull(), name);
      QCOMPARE(button->icon().availableSizes().value(0), QSize(256, 256));
    }
    const struct {
      const char* name;
      const char* caption;
    } actions[] = {{"OpenAGIM_buttonItem", "&Open..."}, {"buttonItem7", "&Close"},
                   {"buttonItem12", "Opt&ions"},       {"buttonItem13", "E&xit"}};
    for (const auto& a : actions) {
      auto* action = control<QAction>(a.name);
      QVERIFY2(action, a.name);
      QCOMPARE(action->text(), QString(a.caption));
    }
    QCOMPARE(control<QGroupBox>("ribbonBar1")->title(), QString("Morph Control Panel"));
    QCOMPARE(control<QGroupBox>("ribbonBar2")->title(), QString("ribbonBar2"));
    QVERIFY(control<UlBrelixControl>("ulbrelixControl1"));

    QCOMPARE(window->windowTitle(), QString("Form1"));
    QCOMPARE(window->size(), QSize(1013, 834));
    QCOMPARE(window->r_time, 0.0f);
    QVERIFY(window->sequencer.AGIM_Model_Set.empty());
    QCOMPARE(window->sequencer.current_model_id, 0);
  }

  void openingFilesLoadsThemInOrderAndFramesTheModel() {
    const QStringList files = agim::test::write_sample_files(
        "form1-open", {agim::SampleShape::Sphere, agim::SampleShape::RoundedCube, agim::SampleShape::Twisted},
        kSmall);
    QCOMPARE(files.size(), 3);
    const ViewerCamera before = window->Viewer()->Camera();
    window->openAGIM_FileDialog_FileOk(files);

    MorphSequencer& seq = window->sequencer;
    QCOMPARE(seq.AGIM_Model_Set.size(), std::size_t(3));
    QCOMPARE(seq.num_of_AGIM, 3);
    for (int k = 0; k < 3; ++k) {
      QCOMPARE(QString::fromStdString(seq.Model_Name(static_cast<std::size_t>(k))), files[k]);
      QCOMPARE(seq.AGIM_Model_Set[static_cast<std::size_t>(k)]->element_count, 6);
    }
    // The engine holds copies of models 0 and 1.
    const AGIM& current = seq.Morph_instance->Get_Current_AGIM();
    const AGIM& next = seq.Morph_instance->Get_Next_AGIM();
    QCOMPARE(current.element_count, 6);
    QCOMPARE(current.elements[3].position_grid[2][1].x, seq.AGIM_Model_Set[0]->elements[3].position_grid[2][1].x);
    QCOMPARE(next.elements[3].position_grid[2][1].z, seq.AGIM_Model_Set[1]->elements[3].position_grid[2][1].z);
    QVERIFY(window->statusBar()->currentMessage().contains("3 model(s)"));

    // The first opening frames the model: the target moved to the sample centre's vertical axis.
    const ViewerCamera& after = window->Viewer()->Camera();
    QVERIFY(!same_camera(before, after));
    QVERIFY(std::abs(after.target[0] - Form1::kTurntableX) < 1e-3);
    QVERIFY(std::abs(after.target[1] - Form1::kTurntableY) < 1e-3);
    QVERIFY(after.Distance() > after.scene_radius);

    // A second opening appends and re-copies positions 0 and 1; the camera stays put.
    window->Viewer()->Camera().Zoom(2.0);
    const ViewerCamera zoomed = window->Viewer()->Camera();
    window->openAGIM_FileDialog_FileOk({files[2]});
    QCOMPARE(seq.AGIM_Model_Set.size(), std::size_t(4));
    QVERIFY(same_camera(zoomed, window->Viewer()->Camera()));
  }

  void rejectedFilesAndLayoutDifferencesShowInTheStatusLine() {
    const QString garbage = tmp("form1-garbage.agim");
    write_text(garbage, "this is not a model file\n");
    const QString missing = tmp("form1-missing.agim");
    QFile::remove(missing);
    window->openAGIM_FileDialog_FileOk({missing, garbage});
    MorphSequencer& seq = window->sequencer;
    QCOMPARE(seq.AGIM_Model_Set.size(), std::size_t(2));
    QCOMPARE(seq.AGIM_Model_Set[0]->element_count, 0);
    QCOMPARE(seq.AGIM_Model_Set[1]->element_count, 0);
    const QString status = window->statusBar()->currentMessage();
    QVERIFY2(status.contains("form1-missing.agim") && status.contains("form1-garbage.agim"), qPrintable(status));

    // Different layouts: said once, on the opening that brings the difference.
    const QStringList small = agim::test::write_sample_files("form1-small", {agim::SampleShape::Sphere}, kSmall);
    const QStringList finer = agim::test::write_sample_files("form1-finer", {agim::SampleShape::Sphere},
                                                             agim::SampleLayout{1, 4, 1});
    window->openAGIM_FileDialog_FileOk(small);
    QVERIFY(!window->statusBar()->currentMessage().contains("layouts differ"));
    window->openAGIM_FileDialog_FileOk(finer);
    QVERIFY2(window->statusBar()->currentMessage().contains("Patch layouts differ"),
             qPrintable(window->statusBar()->currentMessage()));
    window->openAGIM_FileDialog_FileOk(finer);
    QVERIFY(!window->statusBar()->currentMessage().contains("layouts differ"));
    // Play through the mixed sequence: every stage end stays inside the set.
    for (int t = 0; t < 17 * 8; ++t) window->Morph_timer_Tick();
    QVERIFY(seq.current_model_id >= 0 && seq.current_model_id < 5);
  }

  void playAndStopSwitchTheMorphTimer() {
    const QStringList files = agim::test::write_sample_files(
        "form1-play", {agim::SampleShape::Sphere, agim::SampleShape::Ellipsoid}, kSmall);
    window->openAGIM_FileDialog_FileOk(files);
    auto* timer = control<QTimer>("Morph_timer");
    QTest::mouseClick(control<QToolButton>("play_buttonitem"), Qt::LeftButton);
    QVERIFY(timer->isActive());
    // The timer drives the ticks: the first stage ends after 17 of them.
    QTRY_COMPARE_WITH_TIMEOUT(window->sequencer.current_model_id, 1, 5000);
    QTest::mouseClick(control<QToolButton>("stop_buttonItem"), Qt::LeftButton);
    QVERIFY(!timer->isActive());
    const int id = window->sequencer.current_model_id;
    const double weight = window->sequencer.Morph_instance->Get_Blend_Weight();
    QTest::qWait(200);
    QCOMPARE(window->sequencer.current_model_id, id);
    QCOMPARE(window->sequencer.Morph_instance->Get_Blend_Weight(), weight);

    // Each tick asks for one repaint; a paint follows.
    QSignalSpy paints(window->Viewer(), &UlBrelixControl::Paint);
    window->Morph_timer_Tick();
    QTRY_VERIFY(paints.count() >= 1);
  }

  void rotationCyclesThroughAFullTurn() {
    for (int t = 1; t <= 120; ++t) {
      window->Rotate_timer_Tick();
      QVERIFY(window->r_time != 360.0f);
      if (t < 120) QCOMPARE(window->r_time, 3.0f * static_cast<float>(t));
    }
    QCOMPARE(window->r_time, 0.0f);
    window->r_time = 357.0f;
    window->Rotate_timer_Tick();
    QCOMPARE(window->r_time, 0.0f);

    // Rotate toggles its timer; stopping keeps the angle.
    auto* timer = control<QTimer>("Rotate_timer");
    auto* rotate = control<QToolButton>("Rotate");
    QTest::mouseClick(rotate, Qt::LeftButton);
    QVERIFY(timer->isActive());
    QTRY_VERIFY(window->r_time > 0.0f);
    QTest::mouseClick(rotate, Qt::LeftButton);
    QVERIFY(!timer->isActive());
    const float kept = window->r_time;
    QTest::qWait(200);
    QCOMPARE(window->r_time, kept);
  }

  void paintDrawsTheCurrentModelAndTheWireframeOnRequest() {
    UlBrelixControl* viewer = window->Viewer();
    auto* wire = control<QCheckBox>("Wire_frame_CheckBT");
    // Nothing loaded: nothing drawn, with or without the wireframe.
    for (bool checked : {false, true}) {
      wire->setChecked(checked);
      agim::RecordingDrawSink rec;
      {
        agim::ScopedDrawSink scope(rec);
        const QImage frame = viewer->grabFramebuffer();
        QCOMPARE(frame.pixelColor(frame.width() / 2, frame.height() / 2), QColor(Qt::white));
      }
      QCOMPARE(count(rec, agim::DrawCall::Begin), 0);
      QCOMPARE(count(rec, agim::DrawCall::Enable), 1);
      QCOMPARE(rec.calls.front().a[0], double(GL_COLOR_MATERIAL));
    }

    window->openAGIM_FileDialog_FileOk(
        agim::test::write_sample_files("form1-paint", {agim::SampleShape::Sphere}, kSmall));
    for (bool checked : {false, true}) {
      wire->setChecked(checked);
      agim::RecordingDrawSink rec;
      {
        agim::ScopedDrawSink scope(rec);
        viewer->grabFramebuffer();
      }
      // One quad batch per patch, twice with the wireframe.
      QCOMPARE(count(rec, agim::DrawCall::Begin), checked ? 12 : 6);
      QCOMPARE(count(rec, agim::DrawCall::Color3f), checked ? 6 : 0);
    }

    // Clicking the check box toggles it and repaints.
    wire->setChecked(false);
    QSignalSpy paints(viewer, &UlBrelixControl::Paint);
    QTest::mouseClick(wire, Qt::LeftButton, {}, QPoint(5, wire->height() / 2));
    QVERIFY(wire->isChecked());
    QTRY_VERIFY(paints.count() >= 1);
  }

  void viewportFilesRestoreTheCamera() {
    UlBrelixControl* viewer = window->Viewer();
    ViewerCamera& camera = viewer->Camera();
    camera.Orbit(40, -25, 600);
    camera.fov_deg = 38.5;
    const ViewerCamera saved = camera;
    const QString file = tmp("form1-view.json");
    window->saveViewPort_FileDialog_FileOk(file);
    QVERIFY(QFile::exists(file));

    camera.Orbit(-100, 70, 600);
    camera.Zoom(3);
    camera.fov_deg = 60;
    QVERIFY(!same_camera(saved, camera));
    window->openViewPort_FileDialog_FileOk(file);
    QVERIFY(same_camera(saved, camera));

    // Bad files: false, the camera untouched, the reason named with the file.
    const struct {
      const char* name;
      const char* text;  // null: no such file
    } bad[] = {
        {"missing", nullptr},
        {"not-json", "camera 1 2 3"},
        {"array", "[1, 2, 3]"},
        {"wrong-version",
         R"({"format":"agim-viewport","version":7,"position":[0,0,3],"target":[0,0,0],"up":[0,1,0],"fov":45})"},
        {"no-up", R"({"format":"agim-viewport","version":1,"position":[0,0,3],"target":[0,0,0],"fov":45})"},
        {"short-array",
         R"({"format":"agim-viewport","version":1,"position":[0,0],"target":[0,0,0],"up":[0,1,0],"fov":45})"},
        {"eye-at-target",
         R"({"format":"agim-viewport","version":1,"position":[1,1,1],"target":[1,1,1],"up":[0,1,0],"fov":45})"},
        {"up-along-view",
         R"({"format":"agim-viewport","version":1,"position":[0,0,3],"target":[0,0,0],"up":[0,0,2],"fov":45})"},
        {"fov-180",
         R"({"format":"agim-viewport","version":1,"position":[0,0,3],"target":[0,0,0],"up":[0,1,0],"fov":180})"},
        {"string-number",
         R"({"format":"agim-viewport","version":1,"position":["0",0,3],"target":[0,0,0],"up":[0,1,0],"fov":45})"},
    };
    for (const auto& b : bad) {
      const QString name = tmp(QString("form1-bad-%1.json").arg(b.name));
      QFile::remove(name);
      if (b.text != nullptr) write_text(name, b.text);
      QVERIFY2(!viewer->Read_Viewport(name.toLocal8Bit().constData()), b.name);
      QVERIFY2(same_camera(saved, camera), b.name);
      QVERIFY2(viewer->Last_Error().contains(name), qPrintable(viewer->Last_Error()));
      window->openViewPort_FileDialog_FileOk(name);
      QVERIFY2(window->statusBar()->currentMessage().contains(name), b.name);
    }
    // A file that cannot be written reports false.
    QVERIFY(!viewer->Save_Viewport(tmp("no-such-folder/view.json").toLocal8Bit().constData()));
  }

  void mouseNavigationKeepsTheModelInReach() {
    window->openAGIM_FileDialog_FileOk(
        agim::test::write_sample_files("form1-mouse", {agim::SampleShape::Sphere}, kSmall));
    UlBrelixControl* viewer = window->Viewer();
    const ViewerCamera framed = viewer->Camera();
    const double radius = framed.scene_radius;
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
                    Qt::KeyboardModifiers mods = {}) {
      QMouseEvent e(type, at, viewer->mapToGlobal(at), button, held, mods);
      QCoreApplication::sendEvent(viewer, &e);
    };
    auto drag = [&](Qt::MouseButton button, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
      send(QEvent::MouseButtonPress, from, button, button, mods);
      send(QEvent::MouseMove, to, Qt::NoButton, button, mods);
      send(QEvent::MouseButtonRelease, to, button, Qt::NoButton, mods);
    };

    // Left drag orbits: the target and the distance stay.
    drag(Qt::LeftButton, {100, 100}, {220, 160});
    const ViewerCamera& c = viewer->Camera();
    QVERIFY((c.position - framed.position).norm() > 1e-3);
    QVERIFY((c.target - framed.target).norm() < 1e-9);
    QVERIFY(std::abs(c.Distance() - framed.Distance()) < 1e-9);

    // Middle drag slides eye and target together; Ctrl + middle tracks along the view.
    const ViewerCamera before_slide = c;
    drag(Qt::MiddleButton, {100, 100}, {130, 100});
    QVERIFY((c.target - before_slide.target).norm() > 1e-6);
    QVERIFY(std::abs(c.Distance() - before_slide.Distance()) < 1e-9);
    const ViewerCamera before_track = c;
    drag(Qt::MiddleButton, {100, 100}, {100, 60}, Qt::ControlModifier);
    const Vec3d moved = c.target - before_track.target;
    const Vec3d view = (before_track.target - before_track.position).normalized();
    QVERIFY(moved.norm() > 1e-6);
    QVERIFY((moved - view * (moved | view)).norm() < 1e-9);

    // However far the user drags or zooms, the target stays near the scene and the distance
    // in range.
    for (int i = 0; i < 50; ++i) drag(Qt::MiddleButton, {0, 0}, {400, 300});
    for (int i = 0; i < 50; ++i) drag(Qt::MiddleButton, {100, 400}, {100, 0}, Qt::ControlModifier);
    QVERIFY((c.target - c.scene_centre).norm() <= 2.0 * radius + 1e-9);
    QWheelEvent in(QPointF(50, 50), viewer->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120 * 200),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewer, &in);
    QVERIFY(c.Distance() >= 0.05 * radius - 1e-12);
    QWheelEvent out(QPointF(50, 50), viewer->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120 * 400),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewer, &out);
    QVERIFY(c.Distance() <= 50.0 * radius + 1e-9);
    QVERIFY(c.Is_Valid());

    // View all brings the model back.
    QTest::mouseClick(control<QToolButton>("ViewAll_BT"), Qt::LeftButton);
    QVERIFY((c.target - framed.target).norm() < 1e-9);
    QVERIFY(std::abs(c.Distance() - framed.Distance()) < 1e-9);
  }

  void commandLineOpensOneSequenceAndPlays() {
    const QStringList files = agim::test::write_sample_files(
        "form1-args", {agim::SampleShape::Sphere, agim::SampleShape::Ellipsoid}, kSmall);
    const Tessavine::CommandLine none = Tessavine::Parse_Command_Line({});
    QVERIFY(none.files.isEmpty() && !none.play && none.unknown.isEmpty());
    Tessavine::Apply_Command_Line(*window, none);
    QVERIFY(window->sequencer.AGIM_Model_Set.empty());
    QVERIFY(!control<QTimer>("Morph_timer")->isActive());

    const Tessavine::CommandLine command =
        Tessavine::Parse_Command_Line({files[0], "--play", "--bogus", files[1]});
    QCOMPARE(command.files, files);
    QVERIFY(command.play);
    QCOMPARE(command.unknown, QStringList{"--bogus"});
    Tessavine::Apply_Command_Line(*window, command);
    QCOMPARE(window->sequencer.AGIM_Model_Set.size(), std::size_t(2));
    QCOMPARE(window->sequencer.Morph_instance->Get_Next_AGIM().element_count, 6);
    QVERIFY(control<QTimer>("Morph_timer")->isActive());
  }

  void fileMenuExitClosesAndTheOthersAreInert() {
    control<QAction>("buttonItem7")->trigger();
    control<QAction>("buttonItem12")->trigger();
    QVERIFY(window->isVisible());
    QVERIFY(window->sequencer.AGIM_Model_Set.empty());
    control<QAction>("buttonItem13")->trigger();
    QVERIFY(!window->isVisible());
  }

  void marshalStringUsesTheLocalEncoding() {
    std::string narrow;
    const QString name = QString::fromUtf8("mod\xc3\xa8le-\xe2\x82\xac.agim");
    Tessavine::MarshalString(name, narrow);
    QCOMPARE(QByteArray::fromStdString(narrow), name.toLocal8Bit());
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
