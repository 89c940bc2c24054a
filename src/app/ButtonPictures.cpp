#include "app/ButtonPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace Tessavine {
namespace {

// Fills `shape` with horizontal stripes running from red at the top to blue at the bottom,
// every other stripe a little lighter, and outlines it in dark blue.
QImage striped(const QPainterPath& shape) {
  QImage image(kButtonPictureSize, kButtonPictureSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setClipPath(shape);
  constexpr int kStripe = 16;
  for (int y = 0; y < kButtonPictureSize; y += kStripe) {
    const double t = static_cast<double>(y) / (kButtonPictureSize - kStripe);
    QColor c = QColor::fromRgbF(static_cast<float>(1.0 - t), 0.1f, static_cast<float>(t));
    if ((y / kStripe) % 2 == 1) c = c.lighter(140);
    p.fillRect(0, y, kButtonPictureSize, kStripe, c);
  }
  p.setClipping(false);
  p.setPen(QPen(QColor(20, 20, 80), 6));
  p.drawPath(shape);
  return image;
}

}  // namespace

QImage Play_Picture() {
  QPainterPath triangle;
  triangle.moveTo(56, 24);
  triangle.lineTo(232, 128);
  triangle.lineTo(56, 232);
  triangle.closeSubpath();
  return striped(triangle);
}

QImage Pause_Picture() {
  QPainterPath bars;
  bars.addRoundedRect(48, 24, 60, 208, 8, 8);
  bars.addRoundedRect(148, 24, 60, 208, 8, 8);
  return striped(bars);
}

}  // namespace Tessavine
