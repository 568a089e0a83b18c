#pragma once
// For tests that load pictures: a temporary folder, and a pixel-by-pixel comparison.
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include "platform/picture.h"

namespace marvane::test {

struct TempFolder : QTemporaryDir {
  QString Path(const QString& name) const { return filePath(name); }
  std::string StdPath(const QString& name) const { return Path(name).toStdString(); }
  QString Root() const { return path(); }
};

// Whether `picture` is width x height, every channel within `tolerance` of `expected(x, y)`.
inline ::testing::AssertionResult PixelsMatch(const Picture& picture, int width, int height,
                                              const std::function<int32_t(int x, int y)>& expected, int tolerance = 0) {
  if (picture.Width() != width || picture.Height() != height)
    return ::testing::AssertionFailure() << "size " << picture.Width() << " x " << picture.Height();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs((picture.Point(x, y) >> shift & 255) - (expected(x, y) >> shift & 255)) > tolerance)
          return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << picture.Point(x, y) << ", not "
                                               << expected(x, y);
  return ::testing::AssertionSuccess();
}

// A packed colour with 8-bit alpha laid over a background, to the nearest level.
inline int32_t Over(int32_t colour, int alpha, int32_t back) {
  int32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    out |= ((alpha * (colour >> shift & 255) + (255 - alpha) * (back >> shift & 255) + 127) / 255) << shift;
  return out;
}

}  // namespace marvane::test
