// "Make loop...": the dialog's WebP is, byte for byte, the renderer's loop of the console's
// values on the desktop's grid and tile colour, made while the console goes on; CANCEL writes nothing.
#include <QProgressBar>

#include "gui/loop_dialog.h"
#include "gui/loop_job.h"
#include "gui/support/gui_run.h"
#include "platform/picture_files.h"

namespace marvane::guitest {

void GuiTest::TheLoopDialogMakesTheRenderersWebPAndCancelWritesNothing() {
  GuiRun run;
  QVERIFY(run.Start() && run.ActivateConsole());
  run.Type("SmallestRadius", "22");  // accepted when the focus moves on
  run.Control<QSlider>("SpecStart")->setValue(300);
  for (const char* name : {"FillInQuadrant3", "OutputOption1"}) run.Click(name);
  // Fills the dialog in; `refused` is tried first and must leave it open.
  const auto makeLoop = [&](int kind, int frames, const std::string& refused, const std::string& file) {
    QTimer::singleShot(0, [&run, kind, frames, refused, file] {
      auto* dialog = qobject_cast<LoopDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->findChild<QComboBox*>("LoopKind")->setCurrentIndex(kind);
      // The renderer's ranges: 1 to 3600 frames, 1 to 60 a second.
      auto* count = dialog->findChild<QSpinBox*>("Frames");
      auto* fps = dialog->findChild<QSpinBox*>("FramesPerSecond");
      const bool ranges = count->minimum() == 1 && count->maximum() == 3600 && fps->minimum() == 1 && fps->maximum() == 60;
      if (!ranges) dialog->reject();  // closed, so that the test goes on to fail rather than wait
      QVERIFY(ranges);
      count->setValue(frames);
      auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
      dialog->findChild<QLineEdit*>("LoopFile")->setText(Q(refused));
      ok->click();
      QVERIFY(dialog->isVisible());
      run.Answer(file);
      QTest::mouseClick(dialog->findChild<QPushButton*>("Browse"), Qt::LeftButton);
      ok->click();
    });
    run.Click("MakeLoop");
    QVERIFY(run.desktop->Loop() && !run.Control("MakeLoop")->isEnabled());
    ProgressForm& progress = run.desktop->Loop()->Progress();
    QVERIFY(progress.isVisible() && !progress.isModal());
  };

  makeLoop(2, 3, run / "Output/Loop.png", run / "Output/Loop.webp");
  run.Control<QSlider>("SpecStart")->setValue(10);  // the loop is of the values it was started with
  QTRY_VERIFY_WITH_TIMEOUT(!run.desktop->Loop(), 120000);
  QCOMPARE(run.Said(), QStringList({"beep", Q("Make loop: A loop is saved as .webp, .mp4, .webm or .gif: \"" +
                                              run / "Output/Loop.png" + "\"")}));
  QVERIFY(run.asked.size() == 1 && run.asked[0].startsWith("Filename for loop | Loops (*.webp *.mp4 *.webm *.gif)"));
  SavePictureFile(run.state().TileGrid, run / "Grid.bmp");
  const ChromaExtended c = run.state().engine.TileColor;
  const auto exact = [](float v) { return QString::number(static_cast<double>(v), 'g', 9); };
  QProcess render;
  render.start(MARVANE_RENDER_PROGRAM,
               {"-q", "--animate", "both", "--frames", "3", "--tile", Q(run / "Tiles/Basic.bmp"), "--grid",
                Q(run / "Grid.bmp"), "--tile-color", exact(c.Red) + "," + exact(c.Green) + "," + exact(c.Blue),
                "--smallest-radius", "22", "--center-tone", "300", "--quadrants", "ul,lr", "-o", Q(run / "Rendered.webp")});
  QVERIFY(render.waitForFinished(120000) && render.exitCode() == 0);
  QVERIFY(testing::ReadFileBytes(run / "Output/Loop.webp") == testing::ReadFileBytes(run / "Rendered.webp"));

  // A long loop cancelled once its bar has moved (the console's window is not held while it
  // runs): nothing more in the folder, and nothing said but that a name is needed.
  makeLoop(0, kMostFrames, "", run / "Output/Long.webp");
  QTRY_VERIFY_WITH_TIMEOUT(run.desktop->Loop()->Progress().findChild<QProgressBar*>("StageProgress")->value() > 0, 60000);
  QTest::mouseClick(run.desktop->Loop()->Progress().findChild<QPushButton*>("CancelIt"), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!run.desktop->Loop(), 120000);
  QVERIFY(run.Said().size() == 4 && run.Said()[3] == "Make loop: Choose the file for the loop." && run.Control("MakeLoop")->isEnabled());
  QCOMPARE(QDir(Q(run / "Output")).entryList(QDir::Files | QDir::Hidden), QStringList({"Loop.webp"}));
}

}  // namespace marvane::guitest
