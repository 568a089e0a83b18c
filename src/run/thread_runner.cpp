#include "run/thread_runner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace marvane {

int32_t AvailableCores() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int32_t>(n);
}

int32_t ThreadsToUse(int32_t threads) { return threads > 0 ? threads : AvailableCores(); }

bool RunInPieces(int64_t n, const RunOptions& options, const std::function<PieceWork()>& setUp) {
  if (n <= 0) return true;
  const int32_t count = static_cast<int32_t>(std::min<int64_t>(ThreadsToUse(options.threads), n));
  // Pieces small enough to share the work out evenly, large enough to cost nothing to take.
  const int64_t piece = options.piece > 0 ? options.piece : std::max<int64_t>(1, n / (int64_t{count} * 64));
  std::atomic<int64_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable changed;
  std::exception_ptr firstError;
  const bool watching = static_cast<bool>(options.watch);
  auto run = [&] {
    try {
      const PieceWork work = setUp();
      for (int64_t first; !stop.load(std::memory_order_relaxed) &&
                          (first = next.fetch_add(piece, std::memory_order_relaxed)) < n;) {
        work(first, std::min(n, first + piece));
        if (watching) changed.notify_all();
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      if (!firstError) firstError = std::current_exception();
      stop = true;
    }
  };
  const int32_t helperCount = watching ? count : count - 1;
  int32_t running = helperCount;  // helpers not yet done, under `mutex`
  bool stopped = false;
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
    if (watching) {
      std::unique_lock lock(mutex);
      for (bool last = false; !last;) {
        if (running > 0) changed.wait_for(lock, std::chrono::milliseconds(std::max(1, options.watchIntervalMs)));
        // Once every helper is done, this look is the one after the last piece: a helper
        // may finish while the watcher looks, so the loop never ends on an earlier look.
        last = running == 0;
        lock.unlock();
        try {
          if (!stop && !options.watch()) stopped = stop = true;
        } catch (...) {
          stop = true;  // the helpers stop at their next piece and are joined on the way out
          throw;
        }
        lock.lock();
      }
    } else {
      run();  // this thread takes pieces too
    }
  }  // the helpers are joined here
  if (firstError) std::rethrow_exception(firstError);
  return !stopped;
}

void ForEachRange(int32_t threads, int64_t n, const PieceWork& work) {
  RunOptions options;
  options.threads = threads;
  RunInPieces(n, options, [&work] { return work; });
}

void ForEachItem(int32_t threads, int64_t n, const std::function<void(int64_t)>& work,
                 const std::function<void()>& watch, int32_t watchIntervalMs) {
  RunOptions options;
  options.threads = threads;
  options.piece = 1;
  options.watch = [&watch] {
    watch();
    return true;
  };
  options.watchIntervalMs = watchIntervalMs;
  RunInPieces(n, options, [&work]() -> PieceWork { return [&work](int64_t k, int64_t) { work(k); }; });
}

}  // namespace marvane
