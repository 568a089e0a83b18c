// Jobs on the progress window's timer: a new tile squared and laid out as the new grid in
// one job, a tile refused before any job, and a job cancelled by each way of closing the
// progress window.
#include "gui/picture_view.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

// After the clean-up: no job, the progress window gone, the console back on its own.
static void ExpectCleanedUp(GuiRun& run) {
  QVERIFY(run.state().JobState == 0 && !run.state().FinalRunActive && !run.desktop->Progress());
  QVERIFY(run.console().isVisible());
  for (Form form : {Form::Workspace1, Form::Workspace3, Form::FinalImage}) QVERIFY(!run.desktop->Window(form).isVisible());
}

void GuiTest::ANewTileIsSquaredAndLaidOutInOneJobOrRefused() {
  GuiRun run;
  QVERIFY(run.Start());
  QVERIFY(Shipped("Tiles/Basic.bmp").scaled(120, 80).save(Q(run / "Tiles/Rose.bmp")));
  QVERIFY(Shipped("Tiles/Basic.bmp").scaled(400, 20).save(Q(run / "Tiles/Wide.bmp")));
  // The dialog starts at the tile in use; cancelled, it changes nothing.
  run.Click("ChangeTileFile");
  QCOMPARE(run.dialogs.requests.at(0).initialName, run / "Tiles/Basic.bmp");
  QVERIFY(!run.desktop->Progress() && !run.state().settings.NeedToRedrawGrid);
  // A tile wider than tall is squared, saved beside the chosen one as the tile in use,
  // shown in the console's box and laid out as the new grid.
  JobWatch watch(run);
  run.dialogs.answers = {run / "Tiles/Rose.bmp", run / "Tiles/Wide.bmp"};
  run.Click("ChangeTileFile");
  QCOMPARE(watch.Labels(), QStringList({"Squaring tile image...", "Creating Tile Grid..."}));
  const QString square = Q(run / "Tiles/Rose-Square.bmp");
  QCOMPARE(run.Control<QLineEdit>("TileFile")->text(), square);
  QCOMPARE(run.Control("TileImage")->size(), QSize(124, 124));
  QCOMPARE(run.Control("TileImage")->grab().toImage().copy(2, 2, 120, 120).convertToFormat(QImage::Format_RGB32),
           QImage(square).convertToFormat(QImage::Format_RGB32));
  QVERIFY(!run.state().settings.NeedToRedrawGrid && PictureImage(run.state().Workspace1) != Shipped("TileGrid.bmp"));
  ExpectCleanedUp(run);
  // More than 300 pixels a side: refused with the beep and the message, before any job.
  const size_t ticks = watch.ticks.size();
  run.Click("ChangeTileFile");
  QCOMPARE(run.Said(), QStringList({"beep", "Change Tile Image: Each dimension of the tile image must be between 10 and "
                                            "300 pixels."}));
  QVERIFY(watch.ticks.size() == ticks && !std::filesystem::exists(run / "Tiles/Wide-Square.bmp"));
}

void GuiTest::EveryWayOfClosingTheProgressWindowCancels() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  run.Click("OutputOption1");
  JobWatch watch(run);
  for (const char* way : {"CANCEL", "title bar", "Escape"}) {
    watch.ticks.clear();
    watch.onTick = [&] {
      if (watch.ticks.size() != 3) return;
      ProgressForm* progress = run.desktop->Progress();
      if (way == std::string("CANCEL")) QTest::mouseClick(progress->findChild<QAbstractButton*>("CancelIt"), Qt::LeftButton);
      if (way == std::string("title bar")) progress->close();
      if (way == std::string("Escape")) QTest::keyClick(progress, Qt::Key_Escape);
    };
    run.Click("CreateFinal");
    QVERIFY2(watch.ticks.size() == 3 && run.Said().isEmpty() && !std::filesystem::exists(run / "Output/Final.bmp"), way);
    ExpectCleanedUp(run);
  }
}

}  // namespace marvane::guitest
