#include "run/final_stage_parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/final_colour.h"
#include "platform/ui.h"

namespace marvane {

namespace {

// The quadrants in the order the sequential scan draws them at each position.
constexpr int kQuadrantOrder[4] = {3, 0, 2, 1};

// A colour no pixel can have: packed colours lie in 0..0xFFFFFF.
constexpr int32_t kNotDrawn = -1;

// Row distances from the centre computed as one piece of work (each stands for two
// rows): small enough to share the work out evenly (rows near the centre are cheap,
// those crossing the whole ring area dear) and large enough that taking the next band
// costs nothing.
constexpr int32_t kRowsPerBand = 4;

// Which board columns and rows the scan visits: the scan positions of the lower right
// quarter, from the centre to the last column or row in strides of `divisor`, stand
// for themselves (right, lower) and for the position one centre-distance back (left,
// upper).
struct ScanLines {
  std::vector<uint8_t> right, left;  // by column: visited as a right or a left quadrant
  std::vector<uint8_t> lower, upper; // by row
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

}  // namespace

int32_t AvailableCores() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int32_t>(n);
}

namespace {

// Calls work(first, end) over pieces of `piece` items of 0..n-1 on `count` threads. With
// no watch the calling thread is one of them; with one it works no piece and calls
// watch() whenever a piece is done, at least every `watchIntervalMs`, and once after the
// last. The first exception stops the others at their next piece and is raised again.
void RunPieces(int32_t count, int64_t n, int64_t piece, const std::function<void(int64_t, int64_t)>& work,
               const std::function<void()>& watch, int32_t watchIntervalMs) {
  std::atomic<int64_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable changed;
  std::exception_ptr firstError;
  auto run = [&] {
    try {
      for (int64_t first; !stop.load(std::memory_order_relaxed) &&
                          (first = next.fetch_add(piece, std::memory_order_relaxed)) < n;) {
        work(first, std::min(n, first + piece));
        if (watch) changed.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      if (!firstError) firstError = std::current_exception();
      stop = true;
    }
  };
  const int32_t helperCount = watch ? count : count - 1;
  int32_t running = helperCount;  // helpers not yet done, under `mutex`
  {
    std::vector<std::jthread> helpers;
    try {
      for (int32_t i = 0; i < helperCount; ++i)
        helpers.emplace_back([&] {
          run();
          std::lock_guard lock(mutex);
          --running;
          changed.notify_all();
        });
    } catch (...) {
      stop = true;  // those started stop at their next piece and are joined on the way out
      throw;
    }
    if (watch) {
      std::unique_lock lock(mutex);
      while (running > 0) {
        changed.wait_for(lock, std::chrono::milliseconds(watchIntervalMs));
        lock.unlock();
        watch();
        lock.lock();
      }
    } else {
      run();  // this thread takes pieces too
    }
  }
  if (firstError) std::rethrow_exception(firstError);
}

int32_t ThreadsFor(int32_t threads, int64_t n) {
  return static_cast<int32_t>(std::min<int64_t>(threads > 0 ? threads : AvailableCores(), n));
}

}  // namespace

void ForEachRange(int32_t threads, int64_t n, const std::function<void(int64_t, int64_t)>& work) {
  if (n <= 0) return;
  const int32_t count = ThreadsFor(threads, n);
  // Pieces small enough to share the work out evenly, large enough to cost nothing to take.
  RunPieces(count, n, std::max<int64_t>(1, n / (int64_t{count} * 64)), work, {}, 0);
}

void ForEachItem(int32_t threads, int64_t n, const std::function<void(int64_t)>& work,
                 const std::function<void()>& watch, int32_t watchIntervalMs) {
  if (n <= 0) return;
  RunPieces(ThreadsFor(threads, n), n, 1, [&work](int64_t k, int64_t) { work(k); }, watch, watchIntervalMs);
}

FinalStageInput FinalStageInputOf(const AppState& s) {
  FinalStageInput input;
  input.grid = &s.Workspace1;
  input.engine = &s.engine;
  input.spectrum = &s.spectrum;
  input.specStart = s.console.SpecStart;
  // The boxes are read once: nothing changes them while the renderer runs the stage.
  input.ticked = s.console.FillInQuadrant;
  input.divisor = s.ScaleDivisor;
  return input;
}

bool DrawFinalStage(const FinalStageInput& input, Ui& ui, const ParallelFinalOptions& options,
                    Picture& finalImage, Picture* thumbnail) {
  const BoardConstants& b = input.engine->board;
  const int32_t width = b.BoardWidth, height = b.BoardHeight;
  const int32_t divisor = input.divisor;
  const std::array<bool, 4> ticked = input.ticked;
  const int32_t specStart = input.specStart;
  const bool full = divisor == 1;
  // With no thumbnail to replay, a full pass puts each colour straight into the picture.
  const bool direct = full && thumbnail == nullptr && finalImage.Width() == width && finalImage.Height() == height;

  // A stride below 1 would never end the sequential scan either; a board with no
  // pixels or a centre outside it has no scan positions.
  const bool anyScan = divisor >= 1 && width > 0 && height > 0 && b.CenterX >= 0 &&
                       b.CenterY >= 0 && b.CenterX <= b.BoardRight && b.CenterY <= b.BoardBottom;

  ScanLines lines;
  std::vector<int32_t> colours;
  if (anyScan) {
    MarkLines(b.CenterX, b.BoardRight, divisor, lines.right, lines.left);
    MarkLines(b.CenterY, b.BoardBottom, divisor, lines.lower, lines.upper);
    if (!direct) colours.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kNotDrawn);
  }
  int32_t* const target = direct ? finalImage.Pixels().data() : colours.data();
  const auto visited = [&](int32_t x, int32_t y) {
    const size_t xi = static_cast<size_t>(x), yi = static_cast<size_t>(y);
    return (lines.right[xi] && ((ticked[3] && lines.lower[yi]) || (ticked[0] && lines.upper[yi]))) ||
           (lines.left[xi] && ((ticked[2] && lines.lower[yi]) || (ticked[1] && lines.upper[yi])));
  };

  // (1) and (2): every visited pixel's colour, each by one thread. The work goes by
  // distance from the centre row: a band holds the rows dy and -dy for a few dy, and
  // each (dx, dy) in them works out its ring once for the four pixels (+-dx, +-dy).
  if (anyScan && (ticked[0] || ticked[1] || ticked[2] || ticked[3])) {
    const int32_t cx = b.CenterX, cy = b.CenterY;
    const int32_t reachX = std::max(cx, b.BoardRight - cx), reachY = std::max(cy, b.BoardBottom - cy);
    const int32_t bands = reachY / kRowsPerBand + 1;
    std::atomic<int32_t> nextBand{0};
    std::atomic<int32_t> bandsDone{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable finished;
    std::exception_ptr firstError;
    int32_t running = options.threads > 0 ? options.threads : AvailableCores();
    running = std::max<int32_t>(1, std::min(running, bands));

    const Picture& grid = *input.grid;
    const EngineState& engine = *input.engine;
    const SpectrumTables& spectrum = *input.spectrum;
    auto work = [&] {
      try {
        FinalPixelKernel kernel(ui, grid, engine, spectrum, specStart, input.shift);
        for (;;) {
          if (stop.load(std::memory_order_relaxed)) break;
          const int32_t band = nextBand.fetch_add(1, std::memory_order_relaxed);
          if (band >= bands) break;
          const int32_t a0 = band * kRowsPerBand, a1 = std::min(reachY + 1, a0 + kRowsPerBand);
          for (int32_t ay = a0; ay < a1; ++ay) {
            // The rows cy + ay and cy - ay (one row when ay is 0), where on the board and visited.
            const int32_t across[2] = {cy + ay, cy - ay};
            int32_t rows[2];
            int rowCount = 0;
            for (int i = 0; i < (ay == 0 ? 1 : 2); ++i) {
              const int32_t y = across[i];
              if (y < 0 || y > b.BoardBottom) continue;
              if (lines.lower[static_cast<size_t>(y)] || lines.upper[static_cast<size_t>(y)]) rows[rowCount++] = y;
            }
            if (rowCount == 0) continue;
            for (int32_t ax = 0; ax <= reachX; ++ax) {
              const int32_t columns[2] = {cx + ax, cx - ax};
              bool ringMade = false;
              FinalPixelKernel::Ring ring;
              for (int j = 0; j < (ax == 0 ? 1 : 2); ++j) {
                const int32_t x = columns[j];
                if (x < 0 || x > b.BoardRight) continue;
                for (int i = 0; i < rowCount; ++i) {
                  const int32_t y = rows[i];
                  if (!visited(x, y)) continue;
                  const float dx = kernel.Dx(x), dy = kernel.Dy(y);
                  if (!ringMade) {
                    ring = kernel.RingOf(dx, dy);
                    ringMade = true;
                  }
                  if (!ring.drawn) continue;
                  target[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                      kernel.ScanColour(ring, dx, dy);
                }
              }
            }
          }
          bandsDone.fetch_add(1, std::memory_order_relaxed);
        }
      } catch (...) {
        std::lock_guard lock(mutex);
        if (!firstError) firstError = std::current_exception();
        stop = true;
      }
      std::lock_guard lock(mutex);
      if (--running == 0) finished.notify_all();
    };

    {
      std::vector<std::jthread> workers;
      const int32_t count = running;
      workers.reserve(static_cast<size_t>(count));
      try {
        for (int32_t i = 0; i < count; ++i) workers.emplace_back(work);
      } catch (...) {
        // Those already started stop at their next band and are joined on the way out.
        stop = true;
        throw;
      }
      std::unique_lock lock(mutex);
      for (;;) {
        const bool done = finished.wait_for(lock, std::chrono::milliseconds(std::max(1, options.progressIntervalMs)),
                                            [&] { return running == 0; });
        if (done) break;
        if (options.progress && !stop) {
          lock.unlock();
          const bool goOn = options.progress(static_cast<double>(bandsDone.load()) / bands);
          lock.lock();
          if (!goOn) stop = true;
        }
      }
    }  // the workers are joined here
    if (firstError) std::rethrow_exception(firstError);
    if (stop) return false;
    if (options.progress && !options.progress(1.0)) return false;
  }

  // (3): the drawing. The full-size picture takes every visited pixel's colour, in any
  // order. The thumbnail keeps the last write of each of its pixels in the sequential
  // scan's order, exactly as the ticks leave it: each of its columns is replayed on its
  // own, from the scan positions whose pixels land in it, in the scan's order, so
  // columns can go to different threads.
  if (anyScan && !direct) {
    const int32_t threads = options.threads > 0 ? options.threads : AvailableCores();
    if (full) {
      ForEachRange(threads, height, [&](int64_t first, int64_t end) {
        for (int64_t y = first; y < end; ++y)
          for (int32_t x = 0; x < width; ++x) {
            const int32_t value = colours[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            if (value != kNotDrawn) finalImage.PSet(x, static_cast<int32_t>(y), value);
          }
      });
    }
    const int32_t thumbnailColumns = thumbnail ? ThumbnailCoordinate(b.BoardRight) + 1 : 0;
    ForEachRange(threads, thumbnailColumns, [&](int64_t first, int64_t end) {
      std::vector<int32_t> columnPositions;
      for (int32_t tx = static_cast<int32_t>(first); tx < end; ++tx) {
        // The scan positions that draw in this column: as a right quadrant at x itself, as
        // a left one at x + CenterX.
        std::vector<int32_t>& positions = columnPositions;
        positions.clear();
        for (int32_t x = 4 * tx; x < 4 * tx + 4 && x <= b.BoardRight; ++x) {
          if (x >= b.CenterX && (x - b.CenterX) % divisor == 0) positions.push_back(x);
          if (x + b.CenterX <= b.BoardRight && x % divisor == 0) positions.push_back(x + b.CenterX);
        }
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        for (const int32_t at : positions) {
          const bool right = ThumbnailCoordinate(at) == tx, left = ThumbnailCoordinate(at - b.CenterX) == tx;
          for (int32_t scanY = b.CenterY; scanY <= b.BoardBottom; scanY += divisor) {
            for (int q : kQuadrantOrder) {
              if (!ticked[static_cast<size_t>(q)]) continue;
              const bool isRight = q == 3 || q == 0;
              if (!(isRight ? right : left)) continue;
              const int32_t x = isRight ? at : at - b.CenterX;
              const int32_t y = (q == 3 || q == 2) ? scanY : scanY - b.CenterY;
              const int32_t value = colours[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
              if (value != kNotDrawn) thumbnail->PSet(tx, ThumbnailCoordinate(y), value);
            }
          }
        }
      }
    });
  }

  return true;
}

bool RunFinalStageParallel(AppState& s, Ui& ui, const ParallelFinalOptions& options) {
  if (!DrawFinalStage(FinalStageInputOf(s), ui, options, s.FinalImage, &s.Thumbnail)) return false;
  const BoardConstants& b = s.engine.board;
  const int32_t divisor = s.ScaleDivisor;
  int32_t scanX = b.CenterX;
  if (divisor >= 1 && b.BoardWidth > 0 && b.BoardHeight > 0 && b.CenterX >= 0 && b.CenterY >= 0 &&
      b.CenterX <= b.BoardRight && b.CenterY <= b.BoardBottom)
    scanX = b.CenterX + ((b.BoardRight - b.CenterX) / divisor + 1) * divisor;  // the first stride past the board
  // The stage ends as the last tick ends it.
  s.FinalRunActive = false;
  s.JobState = kNoJob;
  s.SliceCount = 0;
  s.ScanX = scanX;
  s.ScanY = b.CenterY;
  return true;
}

}  // namespace marvane
