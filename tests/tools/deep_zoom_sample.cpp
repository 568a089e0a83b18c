// A Deep Zoom picture written as the renderer writes a poster, a band of rows at a time
// into the same band's memory: of a picture file, or of a drawn pattern of any size.
// What scripts/check-deep-zoom.sh opens in a browser, and what the writer's time and
// memory are measured with:
//   deep-zoom-sample PICTURE OUT.dzi [BAND_ROWS [jpg|png]]
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
#include "platform/picture_files.h"
#include "platform/run_time_error.h"

namespace {

int32_t Pattern(int32_t x, int32_t y, int32_t width, int32_t height) {
  const int64_t dx = x - width / 2, dy = y - height / 2;
  if ((static_cast<int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy))) & 63) < 2) return 0xFFFFFF;
  const int32_t red = static_cast<int32_t>(int64_t{x} * 255 / width);
  const int32_t green = static_cast<int32_t>(int64_t{y} * 255 / height);
  return red | green << 8 | ((x ^ y) & 255) << 16;
}

}  // namespace

int main(int argc, char** argv) {
  const bool drawn = argc > 3 && std::atoi(argv[1]) > 0 && std::atoi(argv[2]) > 0;
  const int first = drawn ? 3 : 2;  // OUT.dzi
  if (argc <= first) {
    std::fprintf(stderr, "usage: %s (PICTURE | WIDTH HEIGHT) OUT.dzi [BAND_ROWS [jpg|png]]\n", argv[0]);
    return 2;
  }
  const int32_t band = argc > first + 1 ? std::max(1, std::atoi(argv[first + 1])) : 64;
  marvane::DeepZoomOptions options;
  if (argc > first + 2) options.format = argv[first + 2];
  try {
    const marvane::Picture picture = drawn ? marvane::Picture() : marvane::LoadPictureFile(argv[1], 0xFFFFFF);
    const int32_t width = drawn ? std::atoi(argv[1]) : picture.Width();
    const int32_t height = drawn ? std::atoi(argv[2]) : picture.Height();
    std::string viewer = marvane::FindDeepZoomViewer();
    if (viewer.empty()) viewer = MARVANE_VIEWER_DIR;
    auto writer = marvane::OpenDeepZoom(argv[first], width, height, viewer, options);
    std::vector<int32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(band));
    for (int32_t top = 0; top < height; top += band) {
      const int32_t count = std::min(band, height - top);
      for (int32_t y = 0; y < count; ++y)
        for (int32_t x = 0; x < width; ++x)
          rows[static_cast<size_t>(y) * width + x] =
              drawn ? Pattern(x, top + y, width, height) : picture.Point(x, top + y);
      writer->WriteRows(rows.data(), count);
    }
    writer->Commit();
  } catch (const marvane::RunTimeError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
