// The live preview: it follows the console off the UI thread with the bytes of the small
// picture (the renderer's and the desktop's own), stops when unticked or closed, pauses
// for a job, and its box is kept in the settings file.
#include "gui/preview_form.h"
#include "gui/support/gui_run.h"
#include "platform/picture_files.h"
#include "platform/picture_image.h"

namespace marvane::guitest {

void GuiTest::TheLivePreviewFollowsTheConsoleWithTheSmallPicturesBytes() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole() && !run.desktop->Preview());
  run.Click("LivePreview");
  PreviewForm* preview = run.desktop->Preview();
  QVERIFY(preview && preview->isVisible() && preview->windowTitle() == "Marvane -- Preview");
  QTRY_COMPARE(preview->PicturesShown(), 1);
  const Picture& small = run.state().Thumbnail;  // the window opens at twice its size
  QCOMPARE(preview->findChild<QWidget*>("PreviewPicture")->size(), QSize(small.Width(), small.Height()) * 2);
  // A slider, a quadrant, a rotation and an accepted number each bring a new picture (the
  // last two on a new grid); a rejected number, or leaving a box unchanged, asks for nothing.
  const auto status = [&] { return preview->findChild<QLabel*>("PreviewStatus")->text(); };
  QTest::keyClick(run.Control("SpecStart"), Qt::Key_PageUp);
  QTRY_COMPARE(preview->PicturesShown(), 2);
  run.Click("FillInQuadrant3");
  QTRY_COMPARE(preview->PicturesShown(), 3);
  QVERIFY(!status().contains("new tile grid"));
  run.ClickRow(2);
  QTRY_COMPARE(preview->PicturesShown(), 4);
  QVERIFY(status().contains("new tile grid"));
  run.Type("NumPieces", "16");
  QTest::mouseClick(run.Control("FadeWidth"), Qt::LeftButton);
  QTRY_COMPARE(preview->PicturesShown(), 5);
  const int requests = preview->Requests();
  run.Type("SmallestRadius", "2");
  QTest::mouseClick(run.Control("FadeWidth"), Qt::LeftButton);
  QTest::mouseClick(run.Control("NumPieces"), Qt::LeftButton);
  QVERIFY(run.Said().size() == 2 && preview->Requests() == requests);

  const ChromaExtended c = run.state().engine.TileColor;
  const auto exact = [](float v) { return QString::number(static_cast<double>(v), 'g', 9); };
  QProcess render;
  render.start(MARVANE_RENDER_PROGRAM,
               {"-q", "--small", "--tile", Q(run / "Tiles/Basic.bmp"), "-o", Q(run / "Rendered.bmp"), "--pieces", "16",
                "--rotate", "45", "--quadrants", "ul,lr", "--center-tone",
                QString::number(run.Control<QSlider>("SpecStart")->value()), "--tile-color",
                exact(c.Red) + "," + exact(c.Green) + "," + exact(c.Blue)});
  QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
  SavePictureFile(preview->Shown(), run / "Preview.bmp");
  QVERIFY(testing::ReadFileBytes(run / "Preview.bmp") == testing::ReadFileBytes(run / "Rendered.bmp"));
  // "Create Final Image" pauses it; afterwards it draws once more, on the desktop's new
  // grid, the very picture the job left in the console.
  JobWatch watch(run);
  watch.onTick = [&](ProgressForm* progress) {
    if (progress) QVERIFY(preview->Requests() == requests);
  };
  run.Click("CreateFinal");
  QTRY_COMPARE(preview->PicturesShown(), 6);
  QCOMPARE(ImageOfPicture(preview->Shown()), ImageOfPicture(run.state().Thumbnail));
  QVERIFY(preview->Requests() == requests + 1);

  // Unticked, it stops: nothing more is asked; closed, it unticks the box. The box is kept.
  run.Click("LivePreview");
  run.Control<QSlider>("Lighten")->setValue(40);
  QVERIFY(!preview->isVisible() && preview->Requests() == requests + 1);
  run.Click("LivePreview");
  QVERIFY(preview->isVisible() && preview->Requests() == requests + 2 && preview->close());
  QVERIFY(!run.Control<QCheckBox>("LivePreview")->isChecked());
  run.Click("LivePreview");
  QVERIFY(run.console().close());
  QVERIFY(testing::ReadFileBytes(SettingsFilePath()).ends_with("[Flags]\nNeedToRedrawGrid=0\nLivePreview=-1\n"));
  QVERIFY(run.Start() && run.Control<QCheckBox>("LivePreview")->isChecked() && run.desktop->Preview()->isVisible());
}

}  // namespace marvane::guitest
