// The console as the user meets it: opening behind the splash on the shipped files, or
// stopping early, and typed values checked when their box is left.
#include "colour/spectrum_data.h"
#include "gui/help_form.h"
#include "gui/picture_view.h"
#include "gui/splash.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheConsoleOpensOnTheShippedFilesBehindTheSplash() {
  GuiRun run;
  QElapsedTimer clock;
  clock.start();
  QVERIFY(run.Start());
  QPointer<Splash> splash = run.desktop->SplashWindow();
  QVERIFY(splash && splash->isVisible() && splash->cursor().shape() == Qt::WaitCursor);
  QCOMPARE(splash->findChild<QLabel*>()->pixmap().toImage().convertToFormat(QImage::Format_RGB32), Shipped("splash.bmp"));
  const QPoint centre = splash->screen()->geometry().center();
  QVERIFY((splash->geometry().center() - centre).manhattanLength() <= 2);
  QVERIFY((run.console().frameGeometry().center() - centre).manhattanLength() <= 2 && !run.console().isMinimized());
  // The tile inside a 2-pixel border; the small picture's box is a quarter of the
  // 793 x 573 board each way, rounded up, and its border.
  QWidget* tile = run.Control("TileImage");
  QVERIFY(tile->size() == QSize(252, 252) && run.Control("Thumbnail")->size() == QSize(203, 148));
  QCOMPARE(tile->grab().toImage().copy(2, 2, 248, 248).convertToFormat(QImage::Format_RGB32), Shipped("Tiles/Basic.bmp"));
  // The scales: black to white, lighter all the way across, and the spectrum end to end.
  const QImage grey = run.Control<QLabel>("GrayBar")->pixmap().toImage();
  const QImage hues = run.Control<QLabel>("SpecBar")->pixmap().toImage();
  QVERIFY(grey.size() == QSize(140, 26) && grey.pixel(0, 25) == qRgb(0, 0, 0) && grey.pixel(139, 0) == qRgb(255, 255, 255));
  for (int x = 1; x < 140; ++x) QVERIFY(qGray(grey.pixel(x, 13)) > qGray(grey.pixel(x - 1, 13)));
  const SpectrumRgb first = kSpectrumRgb.front(), last = kSpectrumRgb.back();
  QVERIFY(hues.size() == QSize(140, 26) && hues.pixel(0, 0) == qRgb(first.red, first.green, first.blue));
  QCOMPARE(hues.pixel(139, 25), qRgb(last.red, last.green, last.blue));
  for (Form form : {Form::Workspace1, Form::Workspace3, Form::FinalImage})
    QVERIFY(run.desktop->Loaded(form) && !run.desktop->Window(form).isVisible() && !run.desktop->Progress());
  QCOMPARE(PictureImage(run.state().Workspace1), Shipped("TileGrid.bmp"));
  run.Click("HelpMe");
  QCOMPARE(run.desktop->Help().findChild<QLabel*>("TopicChosen1")->text(), QString("Welcome to Marvane"));
  QCOMPARE(run.Said(), QStringList());
  // The splash goes by itself two seconds after it came, and the program goes on.
  QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 3000);
  QVERIFY(clock.elapsed() >= 2000 && run.console().isVisible() && run.programEnds == 0);

  // Without the tile grid start-up stops, leaving the windows minimised; a setting that
  // cannot be read stops it before any window, and the program ends.
  std::filesystem::remove(run / "TileGrid.bmp");
  QVERIFY(!run.Start() && run.Said().size() == 1 && run.Said()[0].startsWith("Main: ") && run.Said()[0].contains("TileGrid"));
  QVERIFY(run.console().isVisible() && run.console().isMinimized() && run.desktop->Window(Form::Workspace1).isMinimized());
  std::filesystem::create_directories(std::filesystem::path(SettingsFilePath()).parent_path());
  testing::WriteFileBytes(SettingsFilePath(), "[Numbers]\nNumRadialPieces=1e20\n");
  QVERIFY(!run.Start() && run.Said().last() == "Main: Overflow" && !run.desktop->Loaded(Form::Console));
  QVERIFY(!run.desktop->SplashWindow() && run.programEnds == 1);
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
  QVERIFY(leave("NumPieces", "7.5", "FadeWidth") == "8" && s.engine.EngineNumPieces == 8 && s.settings.NeedToRedrawGrid);
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
