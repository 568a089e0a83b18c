#include "run/final_stage_parallel.h"

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <memory>
#include <vector>

#include "console/console_model.h"
#include "engine/final_colour.h"
#include "platform/ui.h"
#include "run/thread_runner.h"

namespace marvane {

namespace {

// A colour no pixel can have: packed colours lie in 0..0xFFFFFF.
constexpr int32_t kNotDrawn = -1;

// Row distances from the centre computed as one piece of work (each stands for two
// rows): small enough to share the work out evenly (rows near the centre are cheap,
// those crossing the whole ring area dear) and large enough that taking the next band
// costs nothing.
constexpr int32_t kRowsPerBand = 4;

// Which board pixels the scan visits: the scan positions of the lower right quarter,
// from the centre to the last column or row in strides of `divisor`, stand for
// themselves (right, lower) and for the position one centre-distance back (left, upper).
struct ScanLines {
  bool any = false;                  // false: the board has no scan positions
  std::vector<uint8_t> right, left;  // by column: visited as a right or a left quadrant
  std::vector<uint8_t> lower, upper; // by row
  std::array<bool, 4> ticked{};

  bool Visited(int32_t x, int32_t y) const {
    const size_t xi = static_cast<size_t>(x), yi = static_cast<size_t>(y);
    return (right[xi] && ((ticked[kLowerRight] && lower[yi]) || (ticked[kUpperRight] && upper[yi]))) ||
           (left[xi] && ((ticked[kLowerLeft] && lower[yi]) || (ticked[kUpperLeft] && upper[yi])));
  }
  bool RowVisited(int32_t y) const { return lower[static_cast<size_t>(y)] || upper[static_cast<size_t>(y)]; }
};

void MarkLines(int32_t centre, int32_t last, int32_t divisor, std::vector<uint8_t>& near,
               std::vector<uint8_t>& far) {
  near.assign(static_cast<size_t>(last + 1), 0);
  far.assign(static_cast<size_t>(last + 1), 0);
  for (int64_t p = centre; p <= last; p += divisor) {
    near[static_cast<size_t>(p)] = 1;
    const int64_t q = p - centre;
    if (q >= 0 && q <= last) far[static_cast<size_t>(q)] = 1;
  }
}

// Step 1: mark what the scan visits. A stride below 1 would never end the sequential
// scan either; a board with no pixels or a centre outside it has no scan positions.
ScanLines MarkScan(const BoardConstants& b, int32_t divisor, const std::array<bool, 4>& ticked) {
  ScanLines lines;
  lines.ticked = ticked;
  lines.any = divisor >= 1 && b.BoardWidth > 0 && b.BoardHeight > 0 && b.CenterX >= 0 && b.CenterY >= 0 &&
              b.CenterX <= b.BoardRight && b.CenterY <= b.BoardBottom;
  if (!lines.any) return lines;
  MarkLines(b.CenterX, b.BoardRight, divisor, lines.right, lines.left);
  MarkLines(b.CenterY, b.BoardBottom, divisor, lines.lower, lines.upper);
  return lines;
}

// The visited pixels of the rows cy + ay and cy - ay (one row when ay is 0), coloured
// into `target`: each (dx, dy) works out its ring once for the four pixels (+-dx, +-dy),
// which lie at exactly the same distance.
// Only rows in [firstRow, endRow) are coloured, into `target` from firstRow's start.
void ColourRowPair(FinalPixelKernel& kernel, const BoardConstants& b, const ScanLines& lines, int32_t ay,
                   int32_t firstRow, int32_t endRow, int32_t* target) {
  const int32_t cx = b.CenterX, cy = b.CenterY;
  const int32_t reachX = std::max(cx, b.BoardRight - cx);
  const int32_t across[2] = {cy + ay, cy - ay};
  int32_t rows[2];
  int rowCount = 0;
  for (int i = 0; i < (ay == 0 ? 1 : 2); ++i)
    if (across[i] >= firstRow && across[i] < endRow && lines.RowVisited(across[i])) rows[rowCount++] = across[i];
  if (rowCount == 0) return;
  const size_t width = static_cast<size_t>(b.BoardWidth);
  // The lanes waiting to be coloured: a distance's pixels join those of the distance
  // before while there is room, each pixel with its own ring. Where both rows are here,
  // one distance fills the four lanes alone, as the full picture always has them.
  constexpr int kLanes = FinalPixelKernel::kLanes;
  FinalPixelKernel::Ring rings[kLanes];
  const FinalPixelKernel::Ring* laneRings[kLanes];
  float dx[kLanes], dy[kLanes];
  size_t at[kLanes];
  int count = 0, ringCount = 0;
  const auto colourLanes = [&] {
    if (count == 0) return;
    int32_t colours[kLanes];
    kernel.ScanColours(laneRings, count, dx, dy, colours);
    for (int k = 0; k < count; ++k) target[at[k]] = colours[k];
    count = 0, ringCount = 0;
  };
  for (int32_t ax = 0; ax <= reachX; ++ax) {
    const int32_t columns[2] = {cx + ax, cx - ax};
    float ownDx[kLanes], ownDy[kLanes];
    size_t ownAt[kLanes];
    int own = 0;
    for (int j = 0; j < (ax == 0 ? 1 : 2); ++j) {
      const int32_t x = columns[j];
      if (x < 0 || x > b.BoardRight) continue;
      for (int i = 0; i < rowCount; ++i) {
        const int32_t y = rows[i];
        if (!lines.Visited(x, y)) continue;
        ownDx[own] = kernel.Dx(x);
        ownDy[own] = kernel.Dy(y);
        ownAt[own++] = static_cast<size_t>(y - firstRow) * width + static_cast<size_t>(x);
      }
    }
    if (own == 0) continue;
    const FinalPixelKernel::Ring ring = kernel.RingOf(ownDx[0], ownDy[0]);
    if (!ring.drawn) continue;
    if (count + own > kLanes) colourLanes();
    rings[ringCount] = ring;
    for (int k = 0; k < own; ++k) {
      laneRings[count] = &rings[ringCount];
      dx[count] = ownDx[k], dy[count] = ownDy[k], at[count++] = ownAt[k];
    }
    ++ringCount;
  }
  colourLanes();
}

// Step 2: every visited pixel's colour in rows [firstRow, endRow), each by one thread,
// in bands of row distances from the centre; each thread has a kernel of its own. False
// when `progress` stopped it.
bool ComputeColours(const FinalStageInput& input, Ui& ui, const ParallelFinalOptions& options,
                    const ScanLines& lines, int32_t firstRow, int32_t endRow, int32_t* target) {
  const BoardConstants& b = input.engine->board;
  // The row distances the rows reach: from the nearest to the farthest.
  const int32_t cy = b.CenterY;
  const int32_t nearY = firstRow <= cy && cy < endRow ? 0 : std::min(std::abs(firstRow - cy), std::abs(endRow - 1 - cy));
  const int32_t farY = std::max(std::abs(firstRow - cy), std::abs(endRow - 1 - cy));
  const int32_t bands = (farY - nearY) / kRowsPerBand + 1;
  std::atomic<int32_t> bandsDone{0};
  RunOptions run;
  run.threads = options.threads;
  run.piece = 1;
  if (options.progress) {
    run.watch = [&] { return options.progress(static_cast<double>(bandsDone.load()) / bands); };
    run.watchIntervalMs = options.progressIntervalMs;
  }
  const bool finished = RunInPieces(bands, run, [&]() -> PieceWork {
    auto kernel = input.gridSource != nullptr
                      ? std::make_shared<FinalPixelKernel>(ui, *input.gridSource, *input.engine, *input.spectrum,
                                                           input.specStart, input.shift)
                      : std::make_shared<FinalPixelKernel>(ui, *input.grid, *input.engine, *input.spectrum,
                                                           input.specStart, input.shift);
    return [&, kernel](int64_t band, int64_t) {
      const int32_t a0 = nearY + static_cast<int32_t>(band) * kRowsPerBand, a1 = std::min(farY + 1, a0 + kRowsPerBand);
      for (int32_t ay = a0; ay < a1; ++ay) ColourRowPair(*kernel, b, lines, ay, firstRow, endRow, target);
      bandsDone.fetch_add(1, std::memory_order_relaxed);
    };
  });
  return finished && !(options.progress && !options.progress(1.0));
}

// Step 3a: the full-size picture takes every visited pixel's colour, in any order.
void CopyColours(const std::vector<int32_t>& colours, int32_t threads, Picture& finalImage) {
  const int32_t width = finalImage.Width();
  ForEachRange(threads, finalImage.Height(), [&](int64_t first, int64_t end) {
    for (int64_t y = first; y < end; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const int32_t value = colours[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
        if (value != kNotDrawn) finalImage.PSet(x, static_cast<int32_t>(y), value);
      }
  });
}

// Step 3b: the thumbnail keeps the last write of each of its pixels in the sequential
// scan's order, exactly as the ticks leave it. Each of its columns is replayed on its
// own, from the scan positions whose pixels land in it, in the scan's order, so columns
// can go to different threads.
void ReplayThumbnail(const std::vector<int32_t>& colours, const BoardConstants& b, int32_t divisor,
                     const std::array<bool, 4>& ticked, int32_t threads, Picture& thumbnail) {
  const size_t width = static_cast<size_t>(b.BoardWidth);
  ForEachRange(threads, ThumbnailCoordinate(b.BoardRight) + 1, [&](int64_t first, int64_t end) {
    std::vector<int32_t> positions;
    for (int32_t tx = static_cast<int32_t>(first); tx < end; ++tx) {
      // The scan positions that draw in this column: as a right quadrant at x itself, as
      // a left one at x + CenterX.
      positions.clear();
      for (int32_t x = 4 * tx; x < 4 * tx + 4 && x <= b.BoardRight; ++x) {
        if (x >= b.CenterX && (x - b.CenterX) % divisor == 0) positions.push_back(x);
        if (x + b.CenterX <= b.BoardRight && x % divisor == 0) positions.push_back(x + b.CenterX);
      }
      std::sort(positions.begin(), positions.end());
      positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
      for (const int32_t at : positions) {
        const bool right = ThumbnailCoordinate(at) == tx, left = ThumbnailCoordinate(at - b.CenterX) == tx;
        for (int32_t scanY = b.CenterY; scanY <= b.BoardBottom; scanY += divisor)
          for (const Quadrant q : kQuadrantScanOrder) {
            if (!ticked[q] || !(IsRightQuadrant(q) ? right : left)) continue;
            const int32_t x = IsRightQuadrant(q) ? at : at - b.CenterX;
            const int32_t y = IsLowerQuadrant(q) ? scanY : scanY - b.CenterY;
            const int32_t value = colours[static_cast<size_t>(y) * width + static_cast<size_t>(x)];
            if (value != kNotDrawn) thumbnail.PSet(tx, ThumbnailCoordinate(y), value);
          }
      }
    }
  });
}

}  // namespace

bool DrawFinalStage(const FinalStageInput& input, Ui& ui, const ParallelFinalOptions& options,
                    Picture& finalImage, Picture* thumbnail) {
  const BoardConstants& b = input.engine->board;
  const ScanLines lines = MarkScan(b, input.divisor, input.ticked);
  if (!lines.any) return true;
  // With no thumbnail to replay, a full pass puts each colour straight into the picture.
  const bool full = input.divisor == 1;
  const bool direct =
      full && thumbnail == nullptr && finalImage.Width() == b.BoardWidth && finalImage.Height() == b.BoardHeight;
  std::vector<int32_t> colours;
  if (!direct) colours.assign(static_cast<size_t>(b.BoardWidth) * static_cast<size_t>(b.BoardHeight), kNotDrawn);
  const std::array<bool, 4>& t = input.ticked;
  if ((t[0] || t[1] || t[2] || t[3]) &&
      !ComputeColours(input, ui, options, lines, 0, b.BoardHeight,
                      direct ? finalImage.Pixels().data() : colours.data()))
    return false;
  if (direct) return true;
  if (full) CopyColours(colours, options.threads, finalImage);
  if (thumbnail != nullptr) ReplayThumbnail(colours, b, input.divisor, input.ticked, options.threads, *thumbnail);
  return true;
}

bool DrawFinalRows(const FinalStageInput& input, Ui& ui, const ParallelFinalOptions& options, int32_t firstRow,
                   int32_t endRow, int32_t* rows) {
  const BoardConstants& b = input.engine->board;
  const ScanLines lines = MarkScan(b, 1, input.ticked);
  firstRow = std::max(firstRow, 0), endRow = std::min(endRow, b.BoardHeight);
  const std::array<bool, 4>& t = input.ticked;
  if (!lines.any || firstRow >= endRow || !(t[0] || t[1] || t[2] || t[3])) return true;
  return ComputeColours(input, ui, options, lines, firstRow, endRow, rows);
}

}  // namespace marvane
