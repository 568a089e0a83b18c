#pragma once
// The two small scale pictures beside the console's colour sliders.
#include <QImage>

namespace marvane {

inline constexpr int kScaleBarWidth = 140;
inline constexpr int kScaleBarHeight = 26;

// A grey ramp from black at the left edge to white at the right edge.
QImage GrayBarImage();
// The program's spectrum from its first colour at the left edge to its last at the
// right: red through yellow, green and blue back to red.
QImage SpecBarImage();

}  // namespace marvane
