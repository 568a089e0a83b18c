#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/picture_writers.h"

namespace marvane {

// The bytes of a BMP file of the picture, as Qt's writer makes them of an RGB32 image
// (at 96 dpi, 3780 pixels a metre, unless another resolution is given): 24 bits a
// pixel, blue first, the rows from the bottom up, each padded with zeros to a whole
// number of 4 bytes. They are made here a
// band of rows at a time and handed to `put`, so a picture of any size needs no second
// copy of itself in memory. False when `put` fails.
constexpr uint64_t kBmpHeaderBytes = 14 + 40;

namespace {
uint64_t BmpRowBytes(const Picture& picture) { return (static_cast<uint64_t>(picture.Width()) * 3 + 3) / 4 * 4; }

}  // namespace

bool FitsInBmp(const Picture& picture) {
  return BmpRowBytes(picture) * static_cast<uint64_t>(picture.Height()) + kBmpHeaderBytes <= UINT32_MAX;
}

bool WriteBmp(const Picture& picture, const ByteSink& put, int32_t pixelsPerMetre) {
  const uint64_t width = static_cast<uint64_t>(picture.Width()), height = static_cast<uint64_t>(picture.Height());
  const uint64_t rowBytes = BmpRowBytes(picture);
  const uint64_t imageBytes = rowBytes * height;
  constexpr uint64_t kHeaderBytes = kBmpHeaderBytes;
  unsigned char header[kHeaderBytes] = {'B', 'M'};
  const auto put32 = [&header](size_t at, uint64_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
  };
  put32(2, imageBytes + kHeaderBytes);
  put32(10, kHeaderBytes);  // where the pixels start
  put32(14, 40);            // the size of the information header
  put32(18, width);
  put32(22, height);
  header[26] = 1;           // one plane
  header[28] = 24;          // bits a pixel
  put32(34, imageBytes);
  put32(38, static_cast<uint64_t>(pixelsPerMetre));  // across
  put32(42, static_cast<uint64_t>(pixelsPerMetre));  // down
  if (!put(header, sizeof header)) return false;

  // About a megabyte at a time.
  const uint64_t bandRows = std::max<uint64_t>(1, (uint64_t{1} << 20) / std::max<uint64_t>(rowBytes, 1));
  std::vector<unsigned char> band(static_cast<size_t>(std::min(bandRows, height) * rowBytes), 0);
  const int32_t* pixels = picture.Pixels().data();
  for (uint64_t done = 0; done < height;) {
    const uint64_t rows = std::min(bandRows, height - done);
    for (uint64_t r = 0; r < rows; ++r) {
      const int32_t* in = pixels + (height - 1 - (done + r)) * width;
      unsigned char* out = band.data() + r * rowBytes;
      for (uint64_t x = 0; x < width; ++x) {
        const auto v = static_cast<uint32_t>(in[x]);
        *out++ = static_cast<unsigned char>(v >> 16);
        *out++ = static_cast<unsigned char>(v >> 8);
        *out++ = static_cast<unsigned char>(v);
      }
    }
    if (!put(band.data(), static_cast<size_t>(rows * rowBytes))) return false;
    done += rows;
  }
  return true;
}

}  // namespace marvane
