#include "gui/scale_bars.h"

#include "colour/spectrum_data.h"

namespace marvane {

namespace {

// Column x of a bar, as a fraction from 0 at the left edge to 1 at the right edge.
double Across(int x) { return static_cast<double>(x) / (kScaleBarWidth - 1); }

}  // namespace

QImage GrayBarImage() {
  QImage image(kScaleBarWidth, kScaleBarHeight, QImage::Format_RGB888);
  for (int x = 0; x < kScaleBarWidth; ++x) {
    const int grey = static_cast<int>(Across(x) * 255.0 + 0.5);
    for (int y = 0; y < kScaleBarHeight; ++y) image.setPixel(x, y, qRgb(grey, grey, grey));
  }
  return image;
}

QImage SpecBarImage() {
  QImage image(kScaleBarWidth, kScaleBarHeight, QImage::Format_RGB888);
  for (int x = 0; x < kScaleBarWidth; ++x) {
    const auto index = static_cast<size_t>(Across(x) * (kSpectrumSize - 1) + 0.5);
    const SpectrumRgb c = kSpectrumRgb[index];
    for (int y = 0; y < kScaleBarHeight; ++y) image.setPixel(x, y, qRgb(c.red, c.green, c.blue));
  }
  return image;
}

}  // namespace marvane
