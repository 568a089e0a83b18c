#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <new>
#include <string>

#include "platform/picture_image.h"
#include "platform/picture_writers.h"

namespace marvane {

// Encoded in memory first and handed over as one block whose count is checked: Qt's
// TIFF writer reports success when libtiff's own writes fall short.
bool WriteTiff(const Picture& picture, const ByteSink& put, int32_t pixelsPerMetre, std::string& error) {
  QImage image = ImageOfPicture(picture);
  if (image.isNull()) throw std::bad_alloc();
  image.setDotsPerMeterX(pixelsPerMetre);
  image.setDotsPerMeterY(pixelsPerMetre);
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "tiff");
  writer.setCompression(1);  // LZW: lossless and read everywhere
  if (!writer.write(image)) {
    error = writer.errorString().toStdString();
    return false;
  }
  return put(encoded.constData(), static_cast<size_t>(encoded.size()));
}

}  // namespace marvane
