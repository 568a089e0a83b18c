#include "run/poster.h"

#include <algorithm>
#include <vector>

#include "engine/engine_state.h"

namespace marvane {

int32_t PosterBandRows(int32_t width, int32_t height) {
  // A picture of up to 256 MB (8192 x 8192) is one band, drawn as the full picture is:
  // each row with its mirror row across the centre, the four pixels (+-dx, +-dy) side by
  // side from one ring. Bands apart give each pixel the same colour, but only two pixels
  // of a row share a ring, which costs about a quarter more time.
  constexpr int64_t kWholeBytes = int64_t{256} << 20, kBandBytes = int64_t{16} << 20;
  const int64_t rowBytes = 4 * std::max<int64_t>(width, 1);
  if (rowBytes * height <= kWholeBytes) return std::max(height, 1);
  return static_cast<int32_t>(std::clamp<int64_t>(kBandBytes / rowBytes, 16, 256));
}

void DrawPoster(const FinalStageInput& input, Ui& ui, const PosterOptions& options, const BandWrite& write) {
  const BoardConstants& b = input.engine->board;
  const int32_t first = std::max(options.firstRow, 0), end = std::min(options.endRow, b.BoardHeight);
  if (first >= end) return;
  const int32_t bandRows = options.bandRows > 0 ? options.bandRows : PosterBandRows(b.BoardWidth, end - first);
  const size_t width = static_cast<size_t>(b.BoardWidth);
  const int32_t bands = (end - first + bandRows - 1) / bandRows;
  // The band k in drawing order: its first row and its count.
  const auto bandAt = [&](int32_t k, int32_t& top, int32_t& count) {
    const int32_t index = options.bottomUp ? bands - 1 - k : k;
    top = first + index * bandRows;
    count = std::min(bandRows, end - top);
  };
  const size_t bandPixels = width * static_cast<size_t>(std::min(bandRows, end - first));
  std::vector<int32_t> buffers[2];  // the second only when there is a second band

  // The band before is written out by the calling thread while the threads draw the
  // next: the drawing's watcher writes it at its first call, then only watches.
  int32_t pendingTop = 0, pendingCount = 0;
  const int32_t* pending = nullptr;
  int64_t rowsDone = 0;
  const auto flush = [&] {
    if (pending == nullptr) return;
    write(pending, pendingTop, pendingCount);
    rowsDone += pendingCount;
    pending = nullptr;
    if (options.progress) options.progress(rowsDone);
  };
  for (int32_t k = 0; k < bands; ++k) {
    int32_t top = 0, count = 0;
    bandAt(k, top, count);
    std::vector<int32_t>& band = buffers[k % 2];
    band.resize(bandPixels);
    std::fill_n(band.begin(), width * static_cast<size_t>(count), input.engine->CenterColor.Value);
    ParallelFinalOptions parallel;
    parallel.threads = options.threads;
    parallel.progress = [&](double) {
      flush();
      return true;
    };
    DrawFinalRows(input, ui, parallel, top, top + count, band.data());
    flush();  // a band with nothing to draw never calls the watcher
    pending = band.data(), pendingTop = top, pendingCount = count;
  }
  flush();
}

}  // namespace marvane
