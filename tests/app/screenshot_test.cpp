// A real picture of the window with the sample sequence loaded: the model shows in its patch
// colours on a white background, and the wireframe adds black lines. The pictures are kept in
// the build tree (tests/app/viewer*.png) for a look.
#include <QCheckBox>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QTest>
#include <cmath>

#include "AppTestFiles.h"
#include "KeepGLDriverLoaded.h"
#include "app/Form1.h"
#include "app/UlBrelixControl.h"
#include "render/UlCColorTable_Static.h"

using Tessavine::Form1;

namespace {

// Which palette entry a lit pixel shows: a pixel of patch colour c lit by a factor f is about
// min(255, f * c) in every channel. -1 for white, grey, black or no match.
int palette_entry(QColor pixel) {
  const int r = pixel.red(), g = pixel.green(), b = pixel.blue();
  if (std::max({r, g, b}) - std::min({r, g, b}) < 30) return -1;  // white, greys, black
  int best = -1;
  double best_error = 14.0;
  for (unsigned k = 0; k < 42; ++k) {
    const osg::Color4<unsigned char> c = UlCColorTable_Static::Instance()->get_Color(k);
    const double cr = c[0], cg = c[1], cb = c[2];
    const double dot = cr * r + cg * g + cb * b, norm = cr * cr + cg * cg + cb * cb;
    if (norm == 0.0) continue;
    const double f = dot / norm;
    const double error = std::max({std::abs(std::min(255.0, f * cr) - r), std::abs(std::min(255.0, f * cg) - g),
                                   std::abs(std::min(255.0, f * cb) - b)});
    if (error < best_error) {
      best_error = error;
      best = static_cast<int>(k);
    }
  }
  return best;
}

struct Census {
  int palette_colours = 0;  // palette entries seen on at least 30 pixels
  int black = 0;            // near-black pixels
  int white = 0;            // pure white pixels
};

Census census(const QImage& image, const QRect& area) {
  QHash<int, int> seen;
  Census c;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (p.red() < 40 && p.green() < 40 && p.blue() < 40) ++c.black;
      if (p == QColor(Qt::white)) ++c.white;
      const int k = palette_entry(p);
      if (k >= 0) ++seen[k];
    }
  for (int n : seen) c.palette_colours += n >= 30;
  return c;
}

}  // namespace

class ScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanupTestCase() { agim::test::keep_gl_driver_loaded(); }
  void sampleSequenceIsVisibleWithAndWithoutWireframe() {
    const QStringList files = agim::test::write_sample_files(
        "screenshot", {agim::SampleShape::Sphere, agim::SampleShape::RoundedCube, agim::SampleShape::Ellipsoid,
                       agim::SampleShape::BumpySphere, agim::SampleShape::Twisted});
    QCOMPARE(files.size(), 5);

    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.openAGIM_FileDialog_FileOk(files);
    QCOMPARE(window.sequencer.AGIM_Model_Set.size(), std::size_t(5));
    // A few morph steps and a turn of the table, as a user would see it.
    for (int t = 0; t < 8; ++t) window.Morph_timer_Tick();
    for (int t = 0; t < 10; ++t) window.Rotate_timer_Tick();

    const QRect viewer(window.Viewer()->mapTo(&window, QPoint(0, 0)), window.Viewer()->size());
    QTest::qWait(100);
    const QImage shaded = window.grab().toImage();
    QVERIFY(shaded.save(QString(AGIM_TEST_ARTIFACTS) + "/viewer.png"));
    const Census a = census(shaded, viewer);
    // White background around the model, the model in several patch colours, no black.
    for (QPoint corner : {viewer.topLeft(), viewer.topRight(), viewer.bottomLeft(), viewer.bottomRight()})
      QCOMPARE(shaded.pixelColor(corner), QColor(Qt::white));
    QVERIFY2(a.palette_colours >= 5, qPrintable(QString("%1 palette colours").arg(a.palette_colours)));
    QVERIFY(a.white > viewer.width() * viewer.height() / 4);
    QVERIFY(a.white < viewer.width() * viewer.height() * 19 / 20);

    window.findChild<QCheckBox*>("Wire_frame_CheckBT")->click();
    QTest::qWait(100);
    const QImage wired = window.grab().toImage();
    QVERIFY(wired.save(QString(AGIM_TEST_ARTIFACTS) + "/viewer-wireframe.png"));
    const Census b = census(wired, viewer);
    QVERIFY2(b.black > a.black + 1000, qPrintable(QString("black %1 -> %2").arg(a.black).arg(b.black)));
    QVERIFY(b.palette_colours >= 5);
  }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
