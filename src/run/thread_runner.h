#pragma once
// The one place the render starts threads: every parallel loop (the tile grid, the final
// stage's colours, the thumbnail replay, a loop's frames) runs here. The desktop's live
// preview and loop have a worker thread of their own, as windows do, and call in here.
//
// Work is a range 0..n-1 taken in pieces from a shared counter, so that cheap and dear
// pieces share out evenly. Each worker thread first calls the set-up once (to make what
// it keeps between pieces, such as a pixel kernel and its memo), then the work for each
// piece it takes. The first exception stops every worker before its next piece and is
// raised again on the calling thread.
#include <atomic>
#include <cstdint>
#include <functional>

namespace marvane {

// The number of threads "every core" means here: at least 1.
int32_t AvailableCores();
// The threads asked for: 0 means one per core.
int32_t ThreadsToUse(int32_t threads);

using PieceWork = std::function<void(int64_t first, int64_t end)>;

struct RunOptions {
  int32_t threads = 0;  // 0: one per core (never more than there are pieces)
  int64_t piece = 0;    // items in a piece; 0: small enough to share the work out evenly
  // With a watcher the calling thread takes no pieces: it calls watch() whenever a piece
  // is done, at least every watchIntervalMs, and once after the last; watch() returning
  // false stops the workers at their next piece, and so does an error it raises, which
  // is raised again once they have stopped. Without one the calling thread works too.
  std::function<bool()> watch;
  int32_t watchIntervalMs = 100;
};

// Runs the pieces of 0..n-1, each once, and returns when all are done or stopped.
// `setUp` is called once on each worker thread and gives its work. Returns false when
// the watcher stopped the run.
bool RunInPieces(int64_t n, const RunOptions& options, const std::function<PieceWork()>& setUp);

// The same with work that needs no set-up: work(first, end) over pieces of 0..n-1 on
// `threads` threads. The renderer builds the tile grid so.
void ForEachRange(int32_t threads, int64_t n, const PieceWork& work);

// work(k) for k = 0..n-1, one at a time on each of `threads` threads, while the calling
// thread calls watch() as items finish. The loop's frames run so.
void ForEachItem(int32_t threads, int64_t n, const std::function<void(int64_t)>& work,
                 const std::function<void()>& watch, int32_t watchIntervalMs = 250);

}  // namespace marvane
