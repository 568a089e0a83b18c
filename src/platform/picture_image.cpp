#include "platform/picture_image.h"

#include "platform/picture_files.h"

namespace marvane {

QImage ImageOfPicture(const Picture& picture) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
  if (image.isNull()) return image;
  const int32_t* in = picture.Pixels().data();
  for (int y = 0; y < picture.Height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < picture.Width(); ++x) {
      const auto v = static_cast<uint32_t>(*in++);
      line[x] = qRgb(static_cast<int>(v & 0xFFu), static_cast<int>((v >> 8) & 0xFFu), static_cast<int>((v >> 16) & 0xFFu));
    }
  }
  // A new QImage takes its resolution from the screen (or 100 dpi with none), and the
  // BMP header records it: fix it at 96 dpi so that the same picture gives the same
  // bytes from the desktop program and from the renderer, on any screen.
  image.setDotsPerMeterX(kScreenPixelsPerMetre);
  image.setDotsPerMeterY(kScreenPixelsPerMetre);
  return image;
}

}  // namespace marvane
