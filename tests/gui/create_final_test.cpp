// "Create Final Image" from the console, end to end: a new grid and the large picture on
// the progress window's timer, saved byte for byte as marvane-render makes them from the
// same values; a new output name; and closing, which keeps it all for the next start.
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheFinalPictureIsTheRenderersAndTheNextStartKeepsItsValues() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  run.Type("NumPieces", "16");
  run.Type("SmallestRadius", "22");
  run.Type("FadeWidth", "70");
  run.ClickRow(2);
  for (const auto& [name, value] : {std::pair{"Cline", 33}, {"SpecStart", 300}, {"Lighten", -70}, {"LightStart", 5}})
    run.Control<QSlider>(name)->setValue(value);
  for (const char* name : {"FillInQuadrant0", "FillInQuadrant2", "FillInQuadrant3", "OutputOption1"}) run.Click(name);
  JobWatch watch(run);
  run.Click("CreateFinal");
  QCOMPARE(watch.Labels(), QStringList({"Creating Tile Grid...", "Creating final image..."}));
  // Until the last tick closes it the progress window is up and modal, its bar filling;
  // the console steps aside, and the large picture shows while it is drawn.
  QVERIFY(watch.ticks.size() > 3 && watch.ticks[0].bar > 0 && watch.ticks[0].bar < 1000);
  QCOMPARE(watch.ticks[watch.ticks.size() - 2].bar, 1000);
  for (size_t i = 0; i + 1 < watch.ticks.size(); ++i) {
    const auto& t = watch.ticks[i];
    QVERIFY(t.modal && !t.console && t.finalImage == (t.label == "Creating final image..."));
  }
  QVERIFY(run.console().isVisible() && !run.desktop->Window(Form::FinalImage).isVisible());
  const ChromaExtended c = run.state().engine.TileColor;
  const auto exact = [](float v) { return QString::number(static_cast<double>(v), 'g', 9); };
  QProcess render;
  render.start(MARVANE_RENDER_PROGRAM,
               {"-q", "--tile", Q(run / "Tiles/Basic.bmp"), "-o", Q(run / "Rendered.bmp"), "--keep", Q(run / "Output"),
                "--pieces", "16", "--smallest-radius", "22", "--fade-width", "70", "--rotate", "45", "--spectrum-shift",
                "33", "--center-tone", "300", "--brightness-shift", "-70", "--center-brightness", "5", "--tile-color",
                exact(c.Red) + "," + exact(c.Green) + "," + exact(c.Blue)});
  QVERIFY(render.waitForFinished(120000) && render.exitCode() == 0);
  const std::string saved = testing::ReadFileBytes(run / "Output/Final.bmp");
  QVERIFY(saved == testing::ReadFileBytes(run / "Rendered.bmp"));
  // A name typed without an extension gets ".bmp", and what is on screen is saved under it.
  run.Answer("Large");
  run.Click("ChangeSaveFile");
  QCOMPARE(run.asked, QStringList({"Filename for final image | Bitmaps (*.bmp) | bmp | any file in " +
                                   Q(run / "Output | " + run / "Output/Final.bmp")}));
  QVERIFY(testing::ReadFileBytes(run / "Output/Large.bmp") == saved);

  // Closing keeps the grid and the values, but for the quadrants and the output size.
  QVERIFY(run.console().close() && run.programEnds == 1);
  QVERIFY(testing::ReadFileBytes(run / "TileGrid.bmp") == testing::ReadFileBytes(run / "Output/grid.bmp"));
  QVERIFY(run.Start() && run.Said().isEmpty() && !run.state().settings.NeedToRedrawGrid);
  QCOMPARE(run.Control<QLineEdit>("SaveFile")->text() + " " + run.Control<QLineEdit>("NumPieces")->text(),
           Q(run / "Output/Large.bmp") + " 16");
  QVERIFY(run.Control<QSlider>("Lighten")->value() == -70 && run.Control<QListWidget>("Turn45")->currentRow() == 2);
  QVERIFY(!run.Control<QCheckBox>("FillInQuadrant0")->isChecked() && run.Control<QRadioButton>("OutputOption0")->isChecked());
}

}  // namespace marvane::guitest
