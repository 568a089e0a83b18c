// The console opening behind the splash on the shipped files, no control covering another;
// typed values checked on leaving.
#include "colour/spectrum_data.h"
#include "gui/help_form.h"
#include "gui/picture_view.h"
#include "gui/splash.h"
#include "gui/support/gui_run.h"
#include "platform/picture_image.h"

namespace marvane::guitest {

void GuiTest::TheConsoleOpensOnTheShippedFilesBehindTheSplash() {
  GuiRun run;
  QElapsedTimer clock;
  clock.start();
  QVERIFY(run.Start());
  QPointer<Splash> splash = run.desktop->SplashWindow();
  QVERIFY(splash && splash->isVisible() && splash->cursor().shape() == Qt::WaitCursor);
  QCOMPARE(Rgb(splash->findChild<QLabel*>()->pixmap().toImage()), Shipped("splash.bmp"));
  const QPoint centre = splash->screen()->geometry().center();
  QVERIFY((splash->geometry().center() - centre).manhattanLength() <= 2);
  QVERIFY((run.console().frameGeometry().center() - centre).manhattanLength() <= 2 && !run.console().isMinimized());
  // The tile in a 2-pixel border; the small picture's box: a quarter of the board, and its border.
  QWidget* tile = run.Control("TileImage");
  QVERIFY(tile->size() == QSize(252, 252) && run.Control("Thumbnail")->size() == QSize(203, 148));
  QCOMPARE(Rgb(tile->grab().toImage().copy(2, 2, 248, 248)), Shipped("Tiles/Basic.bmp"));
  // No control covers another: in the window and in each of its groups, the visible ones lie apart.
  QList<QWidget*> parents{&run.console()};
  for (QGroupBox* group : run.console().findChildren<QGroupBox*>()) parents.append(group);
  for (QWidget* parent : parents) {
    const QList<QWidget*> controls = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : controls)
      for (QWidget* b : controls)
        QVERIFY2(a == b || !a->isVisible() || !b->isVisible() || !a->geometry().intersects(b->geometry()),
                 qPrintable(a->objectName() + " covers " + b->objectName()));
  }
  // The quadrant boxes (upper right, upper left, lower left, lower right) lie as the quadrants do.
  QRect q[4];
  for (int i = 0; i < 4; ++i) q[i] = run.Control(qPrintable(QString("FillInQuadrant%1").arg(i)))->geometry();
  QVERIFY(q[1].left() == q[2].left() && q[2].right() < q[3].left() && q[3].left() == q[0].left());
  QVERIFY(q[1].top() == q[0].top() && q[0].bottom() < q[3].top() && q[3].top() == q[2].top());
  // The rotation list shows its three rows whole, with no scroll bar.
  auto* rotations = run.Control<QListWidget>("Turn45");
  QVERIFY(!rotations->verticalScrollBar()->isVisible() &&
          rotations->visualItemRect(rotations->item(2)).bottom() < rotations->viewport()->height());
  // The scales: black to white, lighter all the way, and the spectrum end to end.
  const QImage grey = run.Control<QLabel>("GrayBar")->pixmap().toImage();
  const QImage hues = run.Control<QLabel>("SpecBar")->pixmap().toImage();
  const SpectrumRgb first = kSpectrumRgb.front(), last = kSpectrumRgb.back();
  QVERIFY(grey.size() == QSize(140, 26) && grey.pixel(0, 25) == qRgb(0, 0, 0) && qGray(grey.pixel(139, 0)) == 255);
  QVERIFY(hues.pixel(0, 0) == qRgb(first.red, first.green, first.blue));
  QVERIFY(hues.pixel(139, 25) == qRgb(last.red, last.green, last.blue));
  for (int x = 1; x < 140; ++x) QVERIFY(qGray(grey.pixel(x, 13)) > qGray(grey.pixel(x - 1, 13)));
  QCOMPARE(ImageOfPicture(run.state().TileGrid), Shipped("TileGrid.bmp"));
  // A first start saves the small picture only: its option is the one shown chosen.
  QVERIFY(run.Control<QRadioButton>("OutputOption0")->isChecked() &&
          !run.Control<QRadioButton>("OutputOption1")->isChecked());
  run.Click("HelpMe");
  QVERIFY(run.desktop->Help().isVisible() && run.Said().isEmpty());
  // The splash goes by itself two seconds after it came, and the program goes on.
  QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 3000);
  QVERIFY(clock.elapsed() >= 2000 && run.console().isVisible() && run.programEnds == 0);
}

void GuiTest::TypedValuesAreCheckedWhenTheBoxIsLeft() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  AppState& s = run.state();
  const auto leave = [&run](const char* box, const char* text, const char* next) {
    run.Type(box, text);
    QTest::mouseClick(run.Control(next), Qt::LeftButton, {}, QPoint(5, 5));
    return run.Control<QLineEdit>(box)->text();
  };
  // A half goes to the even neighbour. A new number of parts marks the grid for
  // redrawing, the same one again does not, and the other two boxes never do.
  QVERIFY(leave("NumPieces", "7.5", "FadeWidth") == "8" && s.settings.NeedToRedrawGrid);
  s.settings.NeedToRedrawGrid = false;
  QVERIFY(leave("NumPieces", "8.5", "SmallestRadius") == "8" && leave("SmallestRadius", "40", "FadeWidth") == "40");
  QVERIFY(leave("FadeWidth", "30.5", "NumPieces") == "30" && s.engine.EngineFadeWidth == 30.0f);
  QVERIFY(s.engine.EngineSmallestRadius == 40 && !s.settings.NeedToRedrawGrid);
  // The rotation is taken when the list is left, and marks the grid only when it changed.
  for (bool changed : {true, false}) {
    run.ClickRow(2);
    QCOMPARE(int{s.engine.EngineTurn45}, changed ? 0 : 2);
    QTest::mouseClick(run.Control("FadeWidth"), Qt::LeftButton);
    QVERIFY(s.engine.EngineTurn45 == 2 && s.settings.NeedToRedrawGrid == changed);
    s.settings.NeedToRedrawGrid = false;
  }
  // Another window taking the focus is not leaving the box. Leaving it out of range brings
  // the beep and the range message; the box shows the bound, the program keeps its number.
  run.Type("NumPieces", "5");
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  QVERIFY(QTest::qWaitForWindowActive(&other) && run.Said().isEmpty() && run.ActivateConsole());
  QTest::mouseClick(run.Control("FadeWidth"), Qt::LeftButton);
  QCOMPARE(run.Said(), QStringList({"beep", "Number of equal radial parts : Value must be between 6 and 99!"}));
  QVERIFY(run.Control<QLineEdit>("NumPieces")->text() == "6" && s.engine.EngineNumPieces == 8);
}

}  // namespace marvane::guitest
