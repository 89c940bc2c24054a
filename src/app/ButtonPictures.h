// ButtonPictures: the play and pause pictures of the morph buttons, drawn at start-up.
#pragma once

#include <QImage>

namespace Tessavine {

constexpr int kButtonPictureSize = 256;  // pixels a side of both pictures

// A right-pointing triangle on a transparent ground, in horizontal stripes shaded red to blue.
QImage Play_Picture();
// Two vertical bars on a transparent ground, in the same striped shading.
QImage Pause_Picture();

}  // namespace Tessavine
