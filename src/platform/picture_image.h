#pragma once
// A picture as Qt's image, for Qt's TIFF writer and for the windows: RGB32, at 96 dots
// per inch. The one place a Picture becomes a QImage.
#include <QImage>

#include "platform/picture.h"

namespace marvane {

// A null image when there is no memory for it (or the picture is empty).
QImage ImageOfPicture(const Picture& picture);

}  // namespace marvane
