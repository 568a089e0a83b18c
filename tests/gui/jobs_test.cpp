// Jobs on the progress window's timer: cancelled by each way of closing the window, a new
// tile squared and laid out as the new grid in one job, and a tile refused before any job.
#include "gui/picture_view.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::JobsAreCancelledAndANewTileSquaredAndLaidOutOrRefused() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  const auto cleanedUp = [&run] {  // no job, no progress window, the console back on its own
    bool hidden = !run.desktop->Progress() && run.console().isVisible() && !run.state().FinalRunActive;
    for (Form form : {Form::Workspace1, Form::Workspace3, Form::FinalImage}) hidden &= !run.desktop->Window(form).isVisible();
    return hidden && run.state().JobState == 0;
  };
  // Cancelling the large picture on its third tick, each way: nothing is saved.
  run.Click("OutputOption1");
  JobWatch watch(run);
  for (const char* way : {"CANCEL", "title bar", "Escape"}) {
    watch.ticks.clear();
    watch.onTick = [&] {
      ProgressForm* progress = watch.ticks.size() == 3 ? run.desktop->Progress() : nullptr;
      if (progress && way == std::string("CANCEL")) progress->findChild<QPushButton*>()->click();
      if (progress && way == std::string("title bar")) progress->close();
      if (progress && way == std::string("Escape")) QTest::keyClick(progress, Qt::Key_Escape);
    };
    run.Click("CreateFinal");
    QVERIFY2(watch.ticks.size() == 3 && cleanedUp() && !std::filesystem::exists(run / "Output/Final.bmp"), way);
  }
  QCOMPARE(run.Said(), QStringList());

  QVERIFY(Shipped("Tiles/Basic.bmp").scaled(120, 80).save(Q(run / "Tiles/Rose.bmp")));
  QVERIFY(Shipped("Tiles/Basic.bmp").scaled(400, 20).save(Q(run / "Tiles/Wide.bmp")));
  // The dialog opens at the tile in use; cancelled, it changes nothing.
  run.Answer(std::nullopt);
  run.Click("ChangeTileFile");
  QCOMPARE(run.asked, QStringList({"Filename for tile image | Image files (*.bmp *.jpg *.tif *.gif) | bmp | an existing "
                                   "file in " + Q(run / "Tiles | " + run / "Tiles/Basic.bmp")}));
  QVERIFY(!run.state().settings.NeedToRedrawGrid);
  // A tile wider than tall is squared, saved beside the chosen one as the tile in use,
  // shown in the console's box and laid out as the new grid.
  watch.onTick = nullptr;
  watch.ticks.clear();
  run.Answer(run / "Tiles/Rose.bmp");
  run.Click("ChangeTileFile");
  QCOMPARE(watch.Labels(), QStringList({"Squaring tile image...", "Creating Tile Grid..."}));
  const QString square = Q(run / "Tiles/Rose-Square.bmp");
  QCOMPARE(run.Control<QLineEdit>("TileFile")->text(), square);
  QCOMPARE(run.Control("TileImage")->size(), QSize(124, 124));
  QCOMPARE(run.Control("TileImage")->grab().toImage().copy(2, 2, 120, 120).convertToFormat(QImage::Format_RGB32),
           QImage(square).convertToFormat(QImage::Format_RGB32));
  QVERIFY(!run.state().settings.NeedToRedrawGrid && PictureImage(run.state().Workspace1) != Shipped("TileGrid.bmp"));
  QVERIFY(cleanedUp());
  // More than 300 pixels a side: refused with the beep and the message, before any job.
  watch.ticks.clear();
  run.Answer(run / "Tiles/Wide.bmp");
  run.Click("ChangeTileFile");
  QCOMPARE(run.Said(), QStringList({"beep", "Change Tile Image: Each dimension of the tile image must be between 10 and "
                                            "300 pixels."}));
  QVERIFY(watch.ticks.empty() && !std::filesystem::exists(run / "Tiles/Wide-Square.bmp"));
}

}  // namespace marvane::guitest
