#pragma once

#include <QSize>

namespace kvilbro {

// The longer side of the panel's picture is at most this many pixels.
inline constexpr int PictureBox = 100;

// The size at which the panel shows a picture of size `natural`: within the
// box it keeps its size; otherwise the longer side (the height when taller
// than wide, else the width) becomes 100 and the other side shrinks by the
// same percentage. The percentage is taken in extended precision, kept as a
// double, and the shorter side is rounded half to even, so that borderline
// sizes come out the same on every run. A picture of no pixels gives 0 x 0.
QSize fitPicture(QSize natural);

} // namespace kvilbro
