#pragma once
// Shared by the picture-file tests: a temporary folder that goes away with the test,
// and a pixel-by-pixel comparison that names the first pixel that differs.
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/picture.h"

namespace marvane::test {

class TempFolder {
 public:
  TempFolder() { EXPECT_TRUE(dir_.isValid()) << dir_.errorString().toStdString(); }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  std::string StdPath(const QString& name) const { return Path(name).toStdString(); }
  QString Root() const { return dir_.path(); }
  // The names in the folder, hidden ones included (a stray temporary file shows here).
  QStringList Names() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  }

 private:
  QTemporaryDir dir_;
};

// Whether `picture` has the given size and every channel of every pixel lies within
// `tolerance` of `expected(x, y)` (a packed colour).
inline ::testing::AssertionResult PixelsMatch(const Picture& picture, int width, int height,
                                              const std::function<int32_t(int x, int y)>& expected,
                                              int tolerance = 0) {
  if (picture.Width() != width || picture.Height() != height)
    return ::testing::AssertionFailure() << "size " << picture.Width() << " x " << picture.Height() << ", expected "
                                         << width << " x " << height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int32_t got = picture.Point(x, y);
      const int32_t want = expected(x, y);
      for (int shift = 0; shift <= 16; shift += 8) {
        if (std::abs(((got >> shift) & 0xFF) - ((want >> shift) & 0xFF)) > tolerance)
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is 0x" << std::hex << got
                                               << ", expected 0x" << want << std::dec << " within " << tolerance;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// The channel of a packed colour laid over a background with 8-bit alpha, rounded to
// the nearest level: what a transparent pixel should become.
inline int32_t Over(int32_t colour, int alpha, int32_t back) {
  int32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int c = (colour >> shift) & 0xFF;
    const int b = (back >> shift) & 0xFF;
    const int v = (alpha * c + (255 - alpha) * b + 127) / 255;
    out |= v << shift;
  }
  return out;
}

}  // namespace marvane::test
