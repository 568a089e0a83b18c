// Seamless loops on the desktop's 793 x 573 board with the default tile and settings:
// the whole render of a 48-frame zoom as an animated WebP (the goal: at most 4 s as a
// whole process on 2 cores, within 200 MB), and the frames alone drawn one per core or
// one at a time on every core, whose ratio decided how frames share the cores.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "cli/animation.h"
#include "cli/render_driver.h"
#include "platform/share_files.h"
#include "platform/ui.h"
#include "run/render_input.h"

namespace marvane {
namespace {

RenderOptions LoopOptions(const std::string& output) {
  RenderOptions o;
  o.tile = FindShareFile("Tiles/Basic.bmp");
  o.output = (std::filesystem::temp_directory_path() / output).string();
  o.seed = "1";
  o.quiet = true;
  o.animate = "zoom";
  return o;
}

// The whole render of the default loop in each format: Arg 0 WebP, 1 MP4, 2 WebM, 3 GIF
// (the goal for MP4: at most 1.5 times the WebP's time).
void BM_AnimateDefaultZoom(benchmark::State& state) {
  static const char* const kNames[] = {"marvane-bench-loop.webp", "marvane-bench-loop.mp4", "marvane-bench-loop.webm",
                                       "marvane-bench-loop.gif"};
  const RenderOptions o = LoopOptions(kNames[state.range(0)]);
  std::ostringstream err;
  for (auto _ : state)
    if (RunRender(o, err, false) != 0) state.SkipWithError(err.str().c_str());
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(o.output)) / 1e6;
  std::filesystem::remove(o.output);
}
BENCHMARK(BM_AnimateDefaultZoom)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->DenseRange(0, 3)->Iterations(2);

// The 48 frames of the WebP loop, drawn and encoded, with Arg frames drawn side by side (1: each
// frame on every core in turn).
void BM_AnimateFramesAtOnce(benchmark::State& state) {
  RenderOptions o = LoopOptions("marvane-bench-frames.webp");
  const RenderJob job = CheckedRenderJob(o);
  RecordingUi ui;
  RenderTile tile = MakeRenderTile(o, job, ui);
  const RenderInput in = MakeRenderInput(ui, job.console, job.board, tile.colour);
  tile.grid = MakeTileGridPicture(ui, in, tile.square, tile.squareLast, 0);
  AnimationRun run;
  run.framesAtOnce = static_cast<int32_t>(state.range(0));
  std::ostringstream err;
  for (auto _ : state) RenderAnimation(o, CheckedAnimation(o), in, tile.grid, ui, err, run);
  std::filesystem::remove(o.output);
}
BENCHMARK(BM_AnimateFramesAtOnce)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Arg(1)->Arg(2)->Iterations(2);

}  // namespace
}  // namespace marvane
