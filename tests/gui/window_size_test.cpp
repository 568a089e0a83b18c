// The windows that show pictures open at their picture's size (up to nine tenths of the
// screen, scrolling beyond) and follow it. Run offscreen and, where Xvfb is installed, on
// a real 1600 x 1000 X display, where the default picture fits whole.
#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "gui/support/gui_run.h"
#include "run/pipeline.h"

namespace marvane::guitest {

class WindowSizeTest : public QObject {
  Q_OBJECT

 private slots:
  void TheFinalImageWindowShowsTheWholePicture();
};

void WindowSizeTest::TheFinalImageWindowShowsTheWholePicture() {
  GuiRun run;
  run.WriteTileGrid();
  QVERIFY(run.Start());
  QVERIFY(run.ActivateConsole());
  QTest::mouseClick(run.Control<QAbstractButton>("OutputOption1"), Qt::LeftButton);
  QWidget& window = run.desktop().Window(Form::FinalImage);
  const QSize screen = window.screen()->availableSize() * 9 / 10;
  const QSize picture(run.state().FinalImage.Width(), run.state().FinalImage.Height());
  const QSize expected = picture.boundedTo(screen);
  QSize seen;
  bool scrolls = true;
  JobWatch watch(run);
  watch.onTick = [&](const TickRecord& tick) {
    if (tick.jobState != kFinalImageStage || !tick.finalImageVisible || seen.isValid()) return;
    seen = window.size();
    const auto* scroll = window.findChild<QScrollArea*>();
    scrolls = scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible();
  };
  QTest::mouseClick(run.Control<QAbstractButton>("CreateFinal"), Qt::LeftButton);
  QCOMPARE(picture, QSize(793, 573));
  QCOMPARE(seen, expected);
  QCOMPARE(scrolls, expected != picture);
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::WindowSizeTest)
#include "window_size_test.moc"
