// "Create Final Image" end to end: a new grid and the large picture, byte for byte as
// marvane-render makes them; and closing, which keeps them and the values for the next start.
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheFinalPictureIsTheRenderersAndTheNextStartKeepsItsValues() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  for (const auto& [box, text] : {std::pair{"NumPieces", "16"}, {"SmallestRadius", "22"}, {"FadeWidth", "70"}})
    run.Type(box, text);
  run.ClickRow(2);
  for (const auto& [name, value] : {std::pair{"Cline", 33}, {"SpecStart", 300}, {"Lighten", -70}, {"LightStart", 5}})
    run.Control<QSlider>(name)->setValue(value);
  for (const char* name : {"FillInQuadrant0", "FillInQuadrant2", "FillInQuadrant3", "OutputOption1"}) run.Click(name);
  // Each tick: the progress window modal, its bar filling; the console aside; the picture shown.
  QList<int> bars;
  JobWatch watch(run);
  watch.onTick = [&](ProgressForm* progress) {
    if (!progress) return;
    bars << progress->findChild<QProgressBar*>()->value();
    QVERIFY(progress->isVisible() && progress->isModal() && !run.console().isVisible());
    QCOMPARE(run.desktop->Window(Form::FinalImage).isVisible(), watch.ticks.back() == "Creating final image...");
  };
  run.Click("CreateFinal");
  QCOMPARE(watch.labels, QStringList({"Creating Tile Grid...", "Creating final image..."}));
  QVERIFY(bars.size() > 3 && bars.first() > 0 && bars.first() < 1000 && bars.last() == 1000);
  const ChromaExtended c = run.state().engine.TileColor;
  const auto exact = [](float v) { return QString::number(static_cast<double>(v), 'g', 9); };
  QProcess render;
  render.start(MARVANE_RENDER_PROGRAM,
               {"-q", "--tile", Q(run / "Tiles/Basic.bmp"), "-o", Q(run / "Rendered.bmp"), "--keep", Q(run / "Output"),
                "--pieces", "16", "--smallest-radius", "22", "--fade-width", "70", "--rotate", "45", "--spectrum-shift",
                "33", "--center-tone", "300", "--brightness-shift", "-70", "--center-brightness", "5", "--tile-color",
                exact(c.Red) + "," + exact(c.Green) + "," + exact(c.Blue)});
  QVERIFY(render.waitForFinished(120000) && render.exitCode() == 0);
  QVERIFY(testing::ReadFileBytes(run / "Output/Final.bmp") == testing::ReadFileBytes(run / "Rendered.bmp"));

  // Closing keeps the grid and the values, but for the quadrants and the output size.
  QVERIFY(run.console().close() && run.programEnds == 1);
  QVERIFY(testing::ReadFileBytes(run / "TileGrid.bmp") == testing::ReadFileBytes(run / "Output/grid.bmp"));
  QVERIFY(run.Start() && run.Said().isEmpty() && !run.state().settings.NeedToRedrawGrid);
  QVERIFY(run.Control<QLineEdit>("NumPieces")->text() == "16" && run.Control<QSlider>("Lighten")->value() == -70 &&
          !run.Control<QCheckBox>("FillInQuadrant0")->isChecked());
}

}  // namespace marvane::guitest
