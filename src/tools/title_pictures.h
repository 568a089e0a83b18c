#pragma once
// The pictures that stand for the program outside its windows: the splash picture shown
// while it starts, and the desktop icon. Both are cut from a picture the renderer made,
// so they show what the program really draws. They need a QGuiApplication (for fonts).
#include <QImage>

#include <cstdint>

#include "platform/picture.h"

namespace marvane {

// The splash picture's fixed size.
inline constexpr int32_t kSplashWidth = 475;
inline constexpr int32_t kSplashHeight = 355;

// The sample scaled (smoothly) to cover the splash picture and cut to it around its
// middle, with the title "Marvane" and a line under it printed on a dark band near the
// bottom, where the spiral's busy outer rings are.
Picture MakeSplashPicture(const Picture& sample);

// The sample's middle square scaled to `side` x `side`, cut to a disc on a transparent
// ground, with a thin dark rim: the spiral's centre as a round icon.
QImage MakeIconImage(const Picture& sample, int32_t side);

Picture FromQImage(const QImage& image);

}  // namespace marvane
