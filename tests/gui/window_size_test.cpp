// A picture window opens at its picture's size, up to 9/10 of the screen (run offscreen and,
// by ctest, on a 1600 x 1000 X display where the picture fits whole), and keeps a size the
// user gives it.
#include "gui/support/gui_run.h"
#include "gui/work_surface_form.h"

namespace marvane::guitest {

void GuiTest::TheFinalImageWindowShowsTheWholePicture() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  run.Click("OutputOption1");
  QWidget& window = run.desktop->Window(Form::FinalImage);
  const QSize picture(793, 573), expected = picture.boundedTo(window.screen()->availableSize() * 9 / 10);
  QSize seen;
  bool scrolls = false;
  JobWatch watch(run);
  watch.onTick = [&](ProgressForm*) {
    if (!window.isVisible() || seen.isValid()) return;
    seen = window.size();
    const auto* scroll = window.findChild<QScrollArea*>();
    scrolls = scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible();
  };
  run.Click("CreateFinal");
  QCOMPARE(watch.labels, QStringList({"Creating final image..."}));  // on the shipped grid as it is
  QVERIFY(seen == expected && scrolls == (seen != picture));
  // Shown again, a size the user gives it stays while a picture of the same size is drawn again.
  window.show();
  window.resize(300, 200);
  run.desktop->FinalImage().Refresh();
  QCOMPARE(window.size(), QSize(300, 200));
}

}  // namespace marvane::guitest
