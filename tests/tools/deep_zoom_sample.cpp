// A Deep Zoom picture of a drawn pattern, written as the renderer writes a poster: a band
// of rows at a time, into the same band's memory. What scripts/check-deep-zoom.sh opens
// in a browser, and what the writer's time and memory are measured with:
//   deep-zoom-sample WIDTH HEIGHT OUT.dzi [BAND_ROWS [jpg|png]]
// The pattern has detail at every level (a colour ramp under an XOR pattern, rings every
// 64 pixels), so a tile drawn at the wrong place or level shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/deep_zoom.h"
#include "platform/run_time_error.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s WIDTH HEIGHT OUT.dzi [BAND_ROWS [jpg|png]]\n", argv[0]);
    return 2;
  }
  const int32_t width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  const int32_t band = argc > 4 ? std::atoi(argv[4]) : 64;
  marvane::DeepZoomOptions options;
  if (argc > 5) options.format = argv[5];
  try {
    std::string viewer = marvane::FindDeepZoomViewer();
    if (viewer.empty()) viewer = MARVANE_VIEWER_DIR;
    auto writer = marvane::OpenDeepZoom(argv[3], width, height, viewer, options);
    std::vector<int32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(band));
    for (int32_t top = 0; top < height; top += band) {
      const int32_t count = std::min(band, height - top);
      for (int32_t y = 0; y < count; ++y)
        for (int32_t x = 0; x < width; ++x) {
          const int32_t row = top + y;
          const int64_t dx = x - width / 2, dy = row - height / 2;
          const bool ring = (static_cast<int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy))) & 63) < 2;
          const int32_t red = static_cast<int32_t>(int64_t{x} * 255 / width);
          const int32_t green = static_cast<int32_t>(int64_t{row} * 255 / height);
          const int32_t blue = (x ^ row) & 255;
          rows[static_cast<size_t>(y) * width + x] = ring ? 0xFFFFFF : red | green << 8 | blue << 16;
        }
      writer->WriteRows(rows.data(), count);
    }
    writer->Commit();
  } catch (const marvane::RunTimeError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
