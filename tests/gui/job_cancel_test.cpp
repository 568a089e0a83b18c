// Cancelling a job in each of its stages, by each way of closing the progress window:
// the same clean-up runs every time, and each stage leaves behind what it should.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "gui/progress_form.h"
#include "gui/support/gui_run.h"
#include "platform/picture_files.h"

namespace marvane::guitest {

namespace {

void Click(GuiRun& run, const char* name) { QTest::mouseClick(run.Control<QAbstractButton>(name), Qt::LeftButton); }

// After the clean-up: no job, the progress window gone, the console back, the work
// surfaces and the final image out of sight.
void ExpectCleanedUp(GuiRun& run) {
  QCOMPARE(run.state().JobState, 0);
  QVERIFY(!run.state().FinalRunActive);
  QVERIFY(!run.desktop().Progress());
  QVERIFY(run.console().isVisible());
  for (Form form : {Form::Workspace1, Form::Workspace3, Form::FinalImage})
    QVERIFY(!run.desktop().Window(form).isVisible());
}

// Cancels the job, in the way `how` says, on the `nth` tick that finds it in `stage`.
void CancelAt(JobWatch& watch, GuiRun& run, int32_t stage, int nth, const QString& how) {
  auto seen = std::make_shared<int>(0);
  watch.onTick = [&run, stage, nth, how, seen](const TickRecord& tick) {
    if (tick.jobState != stage || ++*seen != nth) return;
    ProgressForm* progress = run.desktop().Progress();
    QVERIFY(progress);
    if (how == "button")
      QTest::mouseClick(progress->findChild<QPushButton*>("CancelIt"), Qt::LeftButton);
    else if (how == "title bar")
      progress->close();
    else
      QTest::keyClick(progress, Qt::Key_Escape);
  };
}

}  // namespace

class JobCancelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void CancellingTheSquaringKeepsTheHalfSquaredTile();
  void ClosingDuringTheGridLeavesItDueForRedrawing();
  void EscapeDuringTheFinalPictureSavesNothing();

 private:
  std::unique_ptr<GuiRun> run_;
};

void JobCancelTest::init() {
  run_ = std::make_unique<GuiRun>();
  run_->WriteTileGrid();
  run_->WriteTile("Tiles/Basic.bmp", 248, 248);
  QVERIFY(run_->Start());
  QVERIFY(run_->ActivateConsole());
  run_->ui.Clear();
}

void JobCancelTest::cleanup() { run_.reset(); }

void JobCancelTest::CancellingTheSquaringKeepsTheHalfSquaredTile() {
  // 248 x 200: 248 x 248 squaring items, column by column, 2501 a tick.
  const std::string file = *run_ / "Tiles/Wide.bmp";
  SavePictureFile(PatternPicture(248, 200, 3), file);
  JobWatch watch(*run_);
  CancelAt(watch, *run_, kSquaringStage, 5, "button");
  run_->dialogs.answers.push_back(file);
  Click(*run_, "ChangeTileFile");

  ExpectCleanedUp(*run_);
  QCOMPARE(watch.ticks.size(), size_t{5});
  QCOMPARE(MessageLines(run_->ui), QStringList());
  // The part squared so far is saved under the square name and is the tile now.
  const std::string square = *run_ / "Tiles/Wide-Square.bmp";
  QCOMPARE(run_->Control<QLineEdit>("TileFile")->text().toStdString(), square);
  const Picture saved = LoadPictureFile(square, 0xFFFFFF);
  QCOMPARE(saved.Width(), 248);
  QCOMPARE(saved.Height(), 248);
  const int32_t columnsDone = 5 * 2501 / 248;
  QVERIFY(saved.Point(columnsDone - 2, 100) != 0);
  QCOMPARE(saved.Point(columnsDone + 2, 100), 0);
  QCOMPARE(saved.Point(247, 247), 0);
  QCOMPARE(run_->state().settings.PicRight, 247);
  QCOMPARE(run_->state().settings.PicBottom, 247);
  // The grid was never rebuilt.
  QVERIFY(run_->state().settings.NeedToRedrawGrid);
}

void JobCancelTest::ClosingDuringTheGridLeavesItDueForRedrawing() {
  auto* pieces = run_->Control<QLineEdit>("NumPieces");
  QTest::mouseClick(pieces, Qt::LeftButton);
  QTest::keyClick(pieces, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(pieces, "16");
  const Picture oldGrid = run_->state().Workspace1;
  JobWatch watch(*run_);
  CancelAt(watch, *run_, kTileGridStage, 2, "title bar");
  Click(*run_, "CreateFinal");

  ExpectCleanedUp(*run_);
  QCOMPARE(watch.ticks.size(), size_t{2});
  QVERIFY(run_->state().settings.NeedToRedrawGrid);
  QVERIFY(!(run_->state().Workspace1 == oldGrid));
  QVERIFY(!std::filesystem::exists(*run_ / "Output/Final.bmp"));
  QCOMPARE(MessageLines(run_->ui), QStringList());
}

void JobCancelTest::EscapeDuringTheFinalPictureSavesNothing() {
  Click(*run_, "FillInQuadrant3");
  Click(*run_, "OutputOption1");
  const int32_t background = Picture::kDefaultBackColor;
  JobWatch watch(*run_);
  CancelAt(watch, *run_, kFinalImageStage, 3, "escape");
  Click(*run_, "CreateFinal");

  ExpectCleanedUp(*run_);
  QCOMPARE(watch.ticks.size(), size_t{3});
  QVERIFY(!std::filesystem::exists(*run_ / "Output/Final.bmp"));
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
  // The picture was begun from the centre outward and is kept, part drawn, out of sight.
  const Picture& full = run_->state().FinalImage;
  const int32_t centre = run_->state().engine.CenterColor.Value;
  QVERIFY(centre != background);
  QVERIFY(full.Point(420, 300) != centre);
  QCOMPARE(full.Point(780, 560), centre);
  QCOMPARE(MessageLines(run_->ui), QStringList());
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::JobCancelTest)
#include "job_cancel_test.moc"
