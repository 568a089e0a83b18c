#pragma once
// A plain pixel surface: what every window and picture box of the program draws on.
// Colours are packed as red + 256 x green + 65536 x blue, red in the lowest byte.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace marvane {

class Picture {
 public:
  // The background a new surface has until someone sets another: white.
  static constexpr int32_t kDefaultBackColor = 0xFFFFFF;

  Picture() = default;
  Picture(int32_t width, int32_t height, int32_t backColor = kDefaultBackColor);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  // The packed colour at (x, y), or -1 when (x, y) lies outside the picture.
  int32_t Point(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  }
  // Sets one pixel; points outside the picture are dropped.
  void PSet(int32_t x, int32_t y, int32_t colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = colour;
  }
  // A filled box from (x0, y0) to (x1, y1), both corners included, in either order;
  // what lies outside the picture is dropped.
  void FillBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour);

  int32_t BackColor() const { return backColor_; }
  // Setting the background colour erases the drawing, as a window's does.
  void SetBackColor(int32_t colour);
  // Erases the drawing to the background colour.
  void Cls();
  // Erases to the background, then lays `source` at the top-left corner, clipped.
  void SetPicture(const Picture& source);
  // Resizes the surface; the drawing is erased to the background colour.
  void Resize(int32_t width, int32_t height);

  const std::vector<int32_t>& Pixels() const { return pixels_; }
  std::vector<int32_t>& Pixels() { return pixels_; }

  bool operator==(const Picture& other) const {
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
  }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t backColor_ = kDefaultBackColor;
  std::vector<int32_t> pixels_;
};

}  // namespace marvane
