#pragma once
// Pixel-by-pixel picture comparisons whose failure says where the pictures first differ.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/picture.h"

namespace marvane::test {

inline std::string Hex(int32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(colour));
  return text;
}

// Whether `picture` is width x height, every channel within `tolerance` of `expected(x, y)`.
// A failure names the size, or the first pixel (row by row from the top) that differs.
inline ::testing::AssertionResult PixelsMatch(const Picture& picture, int width, int height,
                                              const std::function<int32_t(int x, int y)>& expected, int tolerance = 0) {
  if (picture.Width() != width || picture.Height() != height)
    return ::testing::AssertionFailure() << "size " << picture.Width() << " x " << picture.Height() << ", not " << width
                                         << " x " << height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int shift = 0; shift <= 24; shift += 8)
        if (std::abs((picture.Point(x, y) >> shift & 255) - (expected(x, y) >> shift & 255)) > tolerance)
          return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << Hex(picture.Point(x, y))
                                               << ", not " << Hex(expected(x, y));
  return ::testing::AssertionSuccess();
}

// Whether `actual` is `expected`, pixel for pixel.
inline ::testing::AssertionResult SamePicture(const Picture& actual, const Picture& expected) {
  return PixelsMatch(actual, expected.Width(), expected.Height(), [&](int x, int y) { return expected.Point(x, y); });
}

}  // namespace marvane::test
