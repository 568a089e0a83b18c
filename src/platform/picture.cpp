#include "platform/picture.h"

#include <algorithm>
#include <cstddef>

namespace marvane {

Picture::Picture(int32_t width, int32_t height, int32_t backColor) : backColor_(backColor) {
  Resize(width, height);
}

void Picture::Resize(int32_t width, int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), backColor_);
}

void Picture::FillBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width_ - 1);
  y1 = std::min(y1, height_ - 1);
  if (x0 > x1 || y0 > y1) return;
  for (int32_t y = y0; y <= y1; ++y) {
    auto row = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
    std::fill(row + x0, row + x1 + 1, colour);
  }
}

void Picture::SetBackColor(int32_t colour) {
  backColor_ = colour;
  Cls();
}

void Picture::Cls() { std::fill(pixels_.begin(), pixels_.end(), backColor_); }

void Picture::SetPicture(const Picture& source) {
  Cls();
  const int32_t w = std::min(width_, source.width_);
  const int32_t h = std::min(height_, source.height_);
  for (int32_t y = 0; y < h; ++y) {
    auto from = source.pixels_.begin() + static_cast<std::ptrdiff_t>(y) * source.width_;
    std::copy(from, from + w, pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_);
  }
}

}  // namespace marvane
