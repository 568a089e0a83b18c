#pragma once
// A PNG read a band of rows at a time, never held whole: how the bands of a poster are
// put together. Only what this program's PNG writer makes is taken: 8-bit RGB, not
// interlaced.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace marvane {

class PngRowReader {
 public:
  // Opens `path` and reads its header. Raises RunTimeError naming the file when it is
  // missing, not a PNG, or not 8-bit RGB without interlacing.
  explicit PngRowReader(const std::string& path);
  ~PngRowReader();
  PngRowReader(const PngRowReader&) = delete;
  PngRowReader& operator=(const PngRowReader&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The resolution recorded, in pixels a metre; 0 when none is.
  int32_t PixelsPerMetre() const { return pixelsPerMetre_; }
  // The next `count` rows as packed colours (red in the lowest byte), `Width()` a row.
  // Raises RunTimeError naming the file when it is damaged or cut short.
  void ReadRows(int32_t* pixels, int32_t count);

 private:
  [[noreturn]] void Fail(const std::string& why) const;

  std::string path_;
  FILE* file_ = nullptr;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  int32_t width_ = 0, height_ = 0, pixelsPerMetre_ = 0;
  std::vector<png_byte> row_;
};

}  // namespace marvane
