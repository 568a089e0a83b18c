// The desktop's event loop while a slider is dragged from end to end with the live
// preview on and all four quadrants ticked, as a user's drag delivers it: a new value every 8 ms. A probe timer due
// every millisecond notes how late it comes; its worst lateness is the longest time the
// console could not answer. Also noted: the longest a single change kept the console
// busy (the snapshot and the hand-over), and how long after the drag's last value its
// picture was on screen.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/marvane_gui_bench (the board is the
// desktop's, 793 x 573, in a start folder made of the shipped files).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "gui/desktop.h"
#include "gui/file_dialogs.h"
#include "gui/preview_form.h"
#include "platform/ui.h"

namespace marvane {
namespace {

void BM_DragSliderWithLivePreview(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path start = fs::temp_directory_path() / "marvane-drag-bench";
  fs::remove_all(start);
  fs::create_directories(start / "Tiles");
  fs::create_directories(start / "config");
  for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
    fs::copy_file(fs::path(MARVANE_BUILD_SHARE_DIR) / name, start / name);
  ::setenv("XDG_CONFIG_HOME", (start / "config").c_str(), 1);

  RecordingUi ui;
  QtFileDialogs dialogs;
  Desktop desktop(ui, dialogs);
  desktop.SetProgramEnd([] {});
  desktop.Start(start.string(), (start / "config/Tesklet.INI").string());
  QWidget& console = desktop.Window(Form::Console);
  // All four quadrants, the most work a preview has.
  for (const char* box : {"FillInQuadrant0", "FillInQuadrant2", "FillInQuadrant3"})
    console.findChild<QCheckBox*>(box)->setChecked(true);
  console.findChild<QCheckBox*>("LivePreview")->setChecked(true);
  PreviewForm* preview = desktop.Preview();
  auto* slider = console.findChild<QSlider*>("SpecStart");

  for (auto _ : state) {
    const int shownBefore = preview->PicturesShown();
    double worstGap = 0, worstChange = 0, lastLatency = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 lastProbe = 0, lastChange = 0;
    QEventLoop loop;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      const qint64 now = clock.nsecsElapsed();
      if (lastProbe) worstGap = std::max(worstGap, (now - lastProbe) / 1e6 - 1.0);
      lastProbe = now;
    });
    QTimer drag;
    drag.setTimerType(Qt::PreciseTimer);
    int value = slider->minimum();
    slider->setValue(value);
    QObject::connect(&drag, &QTimer::timeout, [&] {
      if (value >= slider->maximum()) {
        drag.stop();
        if (preview->ShowsNewest()) loop.quit();
        return;
      }
      const qint64 before = clock.nsecsElapsed();
      slider->setValue(++value);
      lastChange = clock.nsecsElapsed();
      worstChange = std::max(worstChange, (lastChange - before) / 1e6);
    });
    const auto shown = QObject::connect(preview, &PreviewForm::PictureShown, [&] {
      if (value >= slider->maximum() && preview->ShowsNewest()) {
        lastLatency = (clock.nsecsElapsed() - lastChange) / 1e6;
        if (!drag.isActive()) loop.quit();
      }
    });
    probe.start(1);
    drag.start(8);
    loop.exec();
    QObject::disconnect(shown);
    state.counters["worst_block_ms"] = worstGap;
    state.counters["worst_change_ms"] = worstChange;
    state.counters["last_value_to_screen_ms"] = lastLatency;
    state.counters["values"] = slider->maximum() - slider->minimum();
    state.counters["pictures"] = preview->PicturesShown() - shownBefore;
  }
  fs::remove_all(start);
}
BENCHMARK(BM_DragSliderWithLivePreview)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

}  // namespace
}  // namespace marvane

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
