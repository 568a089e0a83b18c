// The windows that show pictures open at their picture's size (up to nine tenths of the
// screen, scrolling beyond). Run offscreen and, where Xvfb is installed, on a real
// 1600 x 1000 X display, where the default picture fits whole.
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheFinalImageWindowShowsTheWholePicture() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  run.Click("OutputOption1");
  QWidget& window = run.desktop->Window(Form::FinalImage);
  const QSize picture(793, 573), expected = picture.boundedTo(window.screen()->availableSize() * 9 / 10);
  QSize seen;
  bool scrolls = true;
  JobWatch watch(run);
  watch.onTick = [&] {
    if (!watch.ticks.back().finalImage || seen.isValid()) return;
    seen = window.size();
    const auto* scroll = window.findChild<QScrollArea*>();
    scrolls = scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible();
  };
  run.Click("CreateFinal");
  // The shipped grid serves as it is: the job is the final picture alone.
  QCOMPARE(watch.Labels(), QStringList({"Creating final image..."}));
  QVERIFY(seen == expected && scrolls == (expected != picture));
}

}  // namespace marvane::guitest
