// Jobs on the progress window's timer: cancelled by each way of closing the window, a new
// tile squared and laid out as the new grid in one job, and a tile refused before any job.
#include "gui/picture_view.h"
#include "gui/support/gui_run.h"
#include "platform/picture_image.h"

namespace marvane::guitest {

void GuiTest::JobsAreCancelledAndANewTileSquaredAndLaidOutOrRefused() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  const auto cleanedUp = [&run] {  // no job, no progress window, the console back on its own
    return run.state().JobState == 0 && !run.state().FinalRunActive && !run.desktop->Progress() &&
           run.console().isVisible() && !run.desktop->Window(Form::FinalImage).isVisible();
  };
  // The large picture cancelled on its third tick, each way: nothing is saved.
  run.Click("OutputOption1");
  JobWatch watch(run);
  for (const std::string way : {"CANCEL", "title bar", "Escape"}) {
    watch.onTick = [&watch, way](ProgressForm* progress) {
      if (watch.ticks.size() == 3 && way == "CANCEL") progress->findChild<QPushButton*>()->click();
      if (watch.ticks.size() == 3 && way == "title bar") progress->close();
      if (watch.ticks.size() == 3 && way == "Escape") QTest::keyClick(progress, Qt::Key_Escape);
    };
    run.Click("CreateFinal");
    QVERIFY2(watch.ticks.size() == 3 && cleanedUp() && !std::filesystem::exists(run / "Output/Final.bmp"), way.c_str());
    watch.ticks.clear();
  }
  watch.onTick = nullptr;
  JobWatch tile(run);

  // A tile wider than tall, chosen in a dialog opened at the tile in use: squared, saved beside
  // it as the tile in use and laid out as the new grid.
  QVERIFY(Shipped("Tiles/Basic.bmp").scaled(120, 80).save(Q(run / "Tiles/Rose.bmp")));
  QVERIFY(Shipped("Tiles/Basic.bmp").scaled(400, 20).save(Q(run / "Tiles/Wide.bmp")));
  run.Answer(run / "Tiles/Rose.bmp");
  run.Click("ChangeTileFile");
  QCOMPARE(run.asked.first(), "Filename for tile image | Image files (*.bmp *.jpg *.tif *.gif) | bmp | an existing "
                              "file in " + Q(run / "Tiles | " + run / "Tiles/Basic.bmp"));
  QCOMPARE(tile.labels, QStringList({"Squaring tile image...", "Creating Tile Grid..."}));
  QCOMPARE(run.Control<QLineEdit>("TileFile")->text(), Q(run / "Tiles/Rose-Square.bmp"));
  QVERIFY(QImage(run.Control<QLineEdit>("TileFile")->text()).size() == QSize(120, 120));
  QCOMPARE(run.Control("TileImage")->size(), QSize(124, 124));
  QVERIFY(!run.state().settings.NeedToRedrawGrid && ImageOfPicture(run.state().TileGrid) != Shipped("TileGrid.bmp"));
  QVERIFY(cleanedUp() && run.Said().isEmpty());
  // More than 300 pixels a side: refused with the beep and the message, before any job.
  tile.ticks.clear();
  run.Answer(run / "Tiles/Wide.bmp");
  run.Click("ChangeTileFile");
  QCOMPARE(run.Said(), QStringList({"beep", "Change Tile Image: Each dimension of the tile image must be between "
                                            "10 and 300 pixels."}));
  QVERIFY(tile.ticks.empty() && !std::filesystem::exists(run / "Tiles/Wide-Square.bmp"));
}

}  // namespace marvane::guitest
