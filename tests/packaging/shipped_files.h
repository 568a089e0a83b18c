#pragma once
// Where the packaging tests find what the build made and what the source tree holds,
// and small independent readers for the files: the tests do not trust the program's own
// readers to judge the program's own files.
#include <QImage>
#include <QString>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace marvane::testing {

inline std::string SourceDir() { return MARVANE_SOURCE_DIR; }
inline std::string BuildShareDir() { return MARVANE_BUILD_SHARE_DIR; }
inline std::string BuildShare(const std::string& name) { return BuildShareDir() + "/" + name; }

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The header fields of a BMP file that say what it is, read straight from its bytes.
struct BmpHeader {
  bool valid = false;
  int32_t width = 0;
  int32_t height = 0;
  int bitsPerPixel = 0;
  uint32_t compression = 0;
};

inline BmpHeader ReadBmpHeader(const std::string& bytes) {
  BmpHeader h;
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return h;
  auto u32 = [&bytes](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return v;
  };
  h.width = static_cast<int32_t>(u32(18));
  h.height = static_cast<int32_t>(u32(22));
  h.bitsPerPixel = static_cast<unsigned char>(bytes[28]) | (static_cast<unsigned char>(bytes[29]) << 8);
  h.compression = u32(30);
  h.valid = true;
  return h;
}

inline size_t DistinctColours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) & 0xFFFFFFu);
  return colours.size();
}

}  // namespace marvane::testing
