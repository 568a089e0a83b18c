// "Create Final Image" from the console, end to end: the job runs on the progress
// window's timer, and the picture it saves is byte for byte the one the same settings
// give without windows, and the one marvane-render gives, in both output sizes.
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <filesystem>

#include "gui/picture_view.h"
#include "gui/progress_form.h"
#include "gui/support/gui_run.h"
#include "platform/picture_files.h"
#include "run/create_final.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "run/startup.h"
#include "support/temp_folder.h"
#include "util/numbers.h"

namespace marvane::guitest {

namespace {

using testing::ReadFileBytes;

// Start-up and "Create Final Image" in `startFolder` without any window, with the
// ticks run back to back, on the console values and tile colour given; returns the
// bytes of the picture it saves.
std::string HeadlessFinal(const std::string& startFolder, const ConsoleModel& console, bool redrawGrid,
                          const ChromaExtended& tileColor) {
  AppState s;
  RecordingUi ui;
  HeadlessHost host;
  Pipeline pipeline(s, host, ui);
  host.Attach(pipeline);
  StartUpHost noWindows;
  if (!Main(s, ui, noWindows, startFolder, startFolder + "/no-settings.ini")) return "start-up failed";
  s.console = console;
  s.console.SaveFile = startFolder + "/Output/Headless.bmp";
  s.settings.NeedToRedrawGrid = redrawGrid;
  s.engine.TileColor = tileColor;
  s.engine.EngineNumPieces = RoundToLong(LeadingNumber(console.NumPieces));
  CreateFinalClick(pipeline, s, ui);
  if (!ui.Messages().empty()) return "message: " + ui.Messages()[0].text;
  return ReadFileBytes(s.console.SaveFile);
}

// A float as text that reads back as the same float.
QString Exact(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
  return text;
}

// marvane-render's picture for the console's values, the tile colour given, and the
// grid either loaded from `grid` or built from the tile; empty when it is not built.
std::string RenderedFinal(const GuiRun& run, const ConsoleModel& c, const ChromaExtended& tileColor,
                          const std::string& grid) {
#ifdef MARVANE_RENDER_PROGRAM
  static const char* kRotate[] = {"-45", "0", "45"};
  static const char* kQuadrants[] = {"ur", "ul", "ll", "lr"};
  QStringList quadrants;
  for (int q = 0; q < 4; ++q)
    if (c.FillInQuadrant[q]) quadrants << kQuadrants[q];
  const std::string out = run / "Output/Rendered.bmp";
  QStringList args = {"--tile", QString::fromStdString(c.TileFile), "-o", QString::fromStdString(out),
                      "--pieces", QString::fromStdString(c.NumPieces), "--smallest-radius",
                      QString::fromStdString(c.SmallestRadius), "--fade-width", QString::fromStdString(c.FadeWidth),
                      "--rotate", kRotate[c.Turn45ListIndex], "--spectrum-shift", QString::number(c.Cline),
                      "--center-tone", QString::number(c.SpecStart), "--brightness-shift", QString::number(c.Lighten),
                      "--center-brightness", QString::number(c.LightStart), "--quadrants", quadrants.join(','),
                      "--tile-color", Exact(tileColor.Red) + "," + Exact(tileColor.Green) + "," + Exact(tileColor.Blue),
                      "-q"};
  if (c.OutputOption[0]) args << "--small";
  if (!grid.empty()) args << "--grid" << QString::fromStdString(grid);
  QProcess render;
  render.start(MARVANE_RENDER_PROGRAM, args);
  if (!render.waitForFinished(120000) || render.exitCode() != 0)
    return "marvane-render failed: " + render.readAllStandardError().toStdString();
  return ReadFileBytes(out);
#else
  (void)run, (void)c, (void)tileColor, (void)grid;
  return {};
#endif
}

void Click(GuiRun& run, const char* name) {
  QTest::mouseClick(run.Control<QAbstractButton>(name), Qt::LeftButton);
}

}  // namespace

class CreateFinalTest : public QObject {
  Q_OBJECT

 private slots:
  void TheSmallPictureIsSavedAsTheRendererMakesIt();
  void TheFullPictureWithANewGridIsSavedAsTheRendererMakesIt();
  void AMissingOutputFolderIsNamedAndNothingIsWritten();
  void ChoosingAnOutputNameSavesWhatIsOnScreen();
};

void CreateFinalTest::TheSmallPictureIsSavedAsTheRendererMakesIt() {
  GuiRun run;
  run.WriteTileGrid(4);
  run.WriteTile("Tiles/Basic.bmp", 248, 248, 6);
  QVERIFY(run.Start());
  QVERIFY(run.ActivateConsole());
  const ChromaExtended tileColor = run.state().engine.TileColor;
  JobWatch watch(run);
  int modalTicks = 0;
  watch.onTick = [&run, &modalTicks](const TickRecord&) {
    // Every tick but the one that closes the window finds it loaded and modal.
    if (ProgressForm* progress = run.desktop().Progress()) modalTicks += progress->isModal();
  };

  Click(run, "CreateFinal");

  QCOMPARE(MessageLines(run.ui), QStringList());
  // The grid of the last run is used as it is: the job is the final picture alone.
  QCOMPARE(watch.Labels(), QStringList({"Creating final image..."}));
  QVERIFY(watch.ticks.size() >= 3);
  QCOMPARE(modalTicks, static_cast<int>(watch.ticks.size()) - 1);
  for (size_t i = 0; i + 1 < watch.ticks.size(); ++i) {
    QVERIFY(watch.ticks[i].progressVisible);
    QVERIFY(watch.ticks[i].consoleVisible);
    QVERIFY(!watch.ticks[i].finalImageVisible);
    if (i > 0) QVERIFY(watch.ticks[i].bar >= watch.ticks[i - 1].bar);
  }
  QVERIFY(watch.ticks.front().bar > 0 && watch.ticks.front().bar < 1000);
  QCOMPARE(watch.ticks[watch.ticks.size() - 2].bar, 1000);
  QVERIFY(!run.desktop().Progress());

  const std::string saved = ReadFileBytes(run / "Output/Final.bmp");
  const Picture small = LoadPictureFile(run / "Output/Final.bmp", 0);
  QCOMPARE(small, run.state().Thumbnail);
  QCOMPARE(small.Width(), 199);
  QCOMPARE(small.Height(), 144);
  // Only the upper left quadrant is ticked: the lower right one is the centre colour.
  const int32_t centre = run.state().engine.CenterColor.Value;
  QCOMPARE(small.Point(150, 110), centre);
  QVERIFY(small.Point(20, 20) != centre);
  // The console's box shows the picture.
  const QImage shown = run.Control<PictureView>("Thumbnail")->grab().toImage();
  const QRgb c = shown.pixel(2 + 20, 2 + 20);
  QCOMPARE(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16), small.Point(20, 20));

  QVERIFY(saved == HeadlessFinal(run.StartFolder(), run.state().console, false, tileColor));
  const std::string rendered = RenderedFinal(run, run.state().console, tileColor, run / "TileGrid.bmp");
  if (rendered.empty()) QSKIP("marvane-render is not built: the comparison with it is left out");
  QVERIFY2(saved == rendered, rendered.substr(0, 200).c_str());
}

void CreateFinalTest::TheFullPictureWithANewGridIsSavedAsTheRendererMakesIt() {
  GuiRun run;
  run.WriteTileGrid(4);
  run.WriteTile("Tiles/Basic.bmp", 248, 248, 7);
  QVERIFY(run.Start());
  QVERIFY(run.ActivateConsole());
  const ChromaExtended tileColor = run.state().engine.TileColor;
  Click(run, "FillInQuadrant0");
  Click(run, "FillInQuadrant2");
  Click(run, "FillInQuadrant3");
  Click(run, "OutputOption1");
  auto* pieces = run.Control<QLineEdit>("NumPieces");
  QTest::mouseClick(pieces, Qt::LeftButton);
  QTest::keyClick(pieces, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(pieces, "16");
  JobWatch watch(run);

  // Clicking the button leaves the box first: the grid is due for redrawing.
  Click(run, "CreateFinal");

  QCOMPARE(MessageLines(run.ui), QStringList());
  QCOMPARE(watch.Labels(), QStringList({"Creating Tile Grid...", "Creating final image..."}));
  // The console steps aside for the grid and for the large picture, which is on show.
  bool sawFinalStage = false;
  for (size_t i = 0; i + 1 < watch.ticks.size(); ++i) {
    const TickRecord& t = watch.ticks[i];
    QVERIFY(!t.consoleVisible);
    if (t.jobState == kFinalImageStage) {
      sawFinalStage = true;
      QVERIFY(t.finalImageVisible);
      QVERIFY(t.progressVisible);
    }
  }
  QVERIFY(sawFinalStage);
  QVERIFY(run.console().isVisible());
  QVERIFY(!run.desktop().Window(Form::FinalImage).isVisible());
  QVERIFY(!run.state().settings.NeedToRedrawGrid);
  QCOMPARE(run.state().engine.EngineNumPieces, 16);

  const std::string saved = ReadFileBytes(run / "Output/Final.bmp");
  const Picture full = LoadPictureFile(run / "Output/Final.bmp", 0);
  QCOMPARE(full, run.state().FinalImage);
  QCOMPARE(full.Width(), 793);
  QCOMPARE(full.Height(), 573);
  // Every quadrant is drawn; the centre keeps the centre colour.
  const int32_t centre = run.state().engine.CenterColor.Value;
  for (const auto& [x, y] : {std::pair{60, 60}, {700, 60}, {60, 500}, {700, 500}}) QVERIFY(full.Point(x, y) != centre);
  QCOMPARE(full.Point(397, 287), centre);

  QVERIFY(saved == HeadlessFinal(run.StartFolder(), run.state().console, true, tileColor));
  const std::string rendered = RenderedFinal(run, run.state().console, tileColor, "");
  if (rendered.empty()) QSKIP("marvane-render is not built: the comparison with it is left out");
  QVERIFY2(saved == rendered, rendered.substr(0, 200).c_str());
}

void CreateFinalTest::AMissingOutputFolderIsNamedAndNothingIsWritten() {
  GuiRun run;
  run.WriteTileGrid();
  QVERIFY(run.Start());
  std::filesystem::remove_all(run / "Output");
  Click(run, "CreateFinal");
  const auto events = run.ui.Events();
  QCOMPARE(events.size(), size_t{2});
  QCOMPARE(events[0].kind, RecordingUi::Event::Kind::Beep);
  QCOMPARE(events[1].text, std::string("The given filename is invalid; file was not saved."));
  QCOMPARE(events[1].title, std::string());
  QVERIFY(!std::filesystem::exists(run / "Output"));
  QVERIFY(!run.desktop().Progress());
}

void CreateFinalTest::ChoosingAnOutputNameSavesWhatIsOnScreen() {
  GuiRun run;
  run.WriteTileGrid();
  QVERIFY(run.Start());
  Click(run, "CreateFinal");
  const std::string small = ReadFileBytes(run / "Output/Final.bmp");

  run.dialogs.answers.push_back(run / "Output/Again.bmp");
  Click(run, "ChangeSaveFile");
  QCOMPARE(run.dialogs.requests.size(), size_t{1});
  const FileDialogRequest& request = run.dialogs.requests[0];
  QVERIFY(request.kind == FileDialogRequest::Kind::Save);
  QCOMPARE(request.title, std::string("Filename for final image"));
  QCOMPARE(request.filter, std::string("Bitmaps (*.bmp)"));
  QCOMPARE(request.initialName, run / "Output/Final.bmp");
  QCOMPARE(request.defaultSuffix, std::string("bmp"));
  QCOMPARE(run.Control<QLineEdit>("SaveFile")->text().toStdString(), run / "Output/Again.bmp");
  QCOMPARE(run.state().settings.SaveFileName, run / "Output/Again.bmp");
  QVERIFY(ReadFileBytes(run / "Output/Again.bmp") == small);

  // With "Both large and small" the large picture is what is saved.
  Click(run, "OutputOption1");
  run.dialogs.answers.push_back(run / "Output/Large.bmp");
  Click(run, "ChangeSaveFile");
  QCOMPARE(LoadPictureFile(run / "Output/Large.bmp", 0), run.state().FinalImage);

  // A cancelled dialog changes nothing; a name in a missing folder is passed over quietly.
  Click(run, "ChangeSaveFile");
  run.dialogs.answers.push_back(run / "Missing/Final.bmp");
  Click(run, "OutputOption0");
  Click(run, "ChangeSaveFile");
  QCOMPARE(run.Control<QLineEdit>("SaveFile")->text().toStdString(), run / "Missing/Final.bmp");
  QVERIFY(!std::filesystem::exists(run / "Missing"));
  QCOMPARE(MessageLines(run.ui), QStringList());
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::CreateFinalTest)
#include "create_final_test.moc"
