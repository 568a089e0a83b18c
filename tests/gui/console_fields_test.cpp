// Typed values are checked when the user leaves their box, through real focus changes:
// the box shows the whole number the program uses, out-of-range values bring the beep
// and the range message, and the values that shape the tile grid mark it for redrawing.
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "gui/support/gui_run.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

namespace {

using Kind = RecordingUi::Event::Kind;

constexpr const char* kPiecesTitle = "Number of equal radial parts ";
constexpr const char* kRadiusTitle = "Smallest radius (pixels) ";
constexpr const char* kFadeTitle = "Width of \"fade\" band (pixels) ";

// Clicks into `field`, replaces its text by typing, and clicks into `next`, as a user
// leaves a box.
void TypeAndLeave(GuiRun& run, const char* field, const QString& text, const char* next = "FadeWidth") {
  auto* edit = run.Control<QLineEdit>(field);
  QTest::mouseClick(edit, Qt::LeftButton);
  QVERIFY(edit->hasFocus());
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
  QTest::mouseClick(run.Control<QWidget>(next), Qt::LeftButton, {}, QPoint(5, 5));
  QVERIFY(!edit->hasFocus());
}

// The beep, then one range message.
void ExpectRangeMessage(const RecordingUi& ui, const QString& text, const char* title) {
  const auto events = ui.Events();
  QCOMPARE(events.size(), size_t{2});
  QCOMPARE(events[0].kind, Kind::Beep);
  QCOMPARE(events[1].kind, Kind::Message);
  QCOMPARE(QString::fromStdString(events[1].text), text);
  QCOMPARE(events[1].title, std::string(title));
}

}  // namespace

class ConsoleFieldsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void AHalfGoesToTheEvenNeighbourAndMarksTheGrid();
  void OutOfRangeValuesShowTheBoundWithTheMessage();
  void FadeWidthAndRadiusNeverMarkTheGrid();
  void LeavingAnUntouchedBoxChecksItToo();
  void SwitchingToAnotherWindowIsNotLeavingTheBox();
  void ChangingTheRotationMarksTheGridWhenTheListIsLeft();

 private:
  std::unique_ptr<GuiRun> run_;
};

void ConsoleFieldsTest::init() {
  run_ = std::make_unique<GuiRun>();
  run_->WriteTileGrid();
  QVERIFY(run_->Start());
  QVERIFY(run_->ActivateConsole());
  run_->ui.Clear();
  QCOMPARE(run_->state().engine.EngineNumPieces, 12);
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
}

void ConsoleFieldsTest::cleanup() { run_.reset(); }

void ConsoleFieldsTest::AHalfGoesToTheEvenNeighbourAndMarksTheGrid() {
  TypeAndLeave(*run_, "NumPieces", "7.5");
  QCOMPARE(run_->Control<QLineEdit>("NumPieces")->text(), QString("8"));
  QCOMPARE(run_->state().console.NumPieces, std::string("8"));
  QCOMPARE(run_->state().engine.EngineNumPieces, 8);
  QVERIFY(run_->state().settings.NeedToRedrawGrid);
  QVERIFY(run_->ui.Events().empty());

  // The same number again does not mark the grid.
  run_->state().settings.NeedToRedrawGrid = false;
  TypeAndLeave(*run_, "NumPieces", "8.5");
  QCOMPARE(run_->Control<QLineEdit>("NumPieces")->text(), QString("8"));
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
}

// The beep and the range message, and the box shows the bound, but the program keeps
// the number it had. The radius's upper bound is half the diagonal of the 793 x 573
// board: 489.17737...
void ConsoleFieldsTest::OutOfRangeValuesShowTheBoundWithTheMessage() {
  const struct {
    const char *field, *typed, *next, *bounds, *title, *shown;
  } cases[] = {{"NumPieces", "5", "FadeWidth", "6 and 99", kPiecesTitle, "6"},
               {"NumPieces", "99.6", "SmallestRadius", "6 and 99", kPiecesTitle, "99"},
               {"SmallestRadius", "", "FadeWidth", "3 and 489.1774", kRadiusTitle, "3"},
               {"FadeWidth", "600", "NumPieces", "3 and 489.1774", kFadeTitle, "489"}};
  for (const auto& c : cases) {
    run_->ui.Clear();
    TypeAndLeave(*run_, c.field, c.typed, c.next);
    ExpectRangeMessage(run_->ui, QString("Value must be between %1!").arg(c.bounds), c.title);
    QCOMPARE(run_->Control<QLineEdit>(c.field)->text(), QString(c.shown));
  }
  QCOMPARE(run_->state().engine.EngineNumPieces, 12);
  QCOMPARE(run_->state().engine.EngineSmallestRadius, 15);
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
}

void ConsoleFieldsTest::FadeWidthAndRadiusNeverMarkTheGrid() {
  TypeAndLeave(*run_, "SmallestRadius", "40", "NumPieces");
  TypeAndLeave(*run_, "FadeWidth", "30.5", "NumPieces");
  QCOMPARE(run_->state().engine.EngineSmallestRadius, 40);
  QCOMPARE(run_->state().engine.EngineFadeWidth, 30.0f);
  QCOMPARE(run_->Control<QLineEdit>("FadeWidth")->text(), QString("30"));
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
  QVERIFY(run_->ui.Events().empty());
}

void ConsoleFieldsTest::LeavingAnUntouchedBoxChecksItToo() {
  // A settings file can put a value in the box that the box does not allow.
  run_.reset();
  run_ = std::make_unique<GuiRun>();
  run_->WriteTileGrid();
  std::filesystem::create_directories(std::filesystem::path(run_->IniPath()).parent_path());
  testing::WriteFileBytes(run_->IniPath(), "[Numbers]\nNumRadialPieces=120\n");
  QVERIFY(run_->Start());
  QVERIFY(run_->ActivateConsole());
  QCOMPARE(run_->Control<QLineEdit>("NumPieces")->text(), QString("120"));
  run_->ui.Clear();

  QTest::mouseClick(run_->Control<QLineEdit>("NumPieces"), Qt::LeftButton);
  QTest::mouseClick(run_->Control<QLineEdit>("FadeWidth"), Qt::LeftButton);
  ExpectRangeMessage(run_->ui, "Value must be between 6 and 99!", kPiecesTitle);
  QCOMPARE(run_->Control<QLineEdit>("NumPieces")->text(), QString("99"));
}

void ConsoleFieldsTest::SwitchingToAnotherWindowIsNotLeavingTheBox() {
  auto* pieces = run_->Control<QLineEdit>("NumPieces");
  QTest::mouseClick(pieces, Qt::LeftButton);
  QTest::keyClick(pieces, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(pieces, "5");
  QWidget other;
  other.show();
  other.activateWindow();
  QApplication::setActiveWindow(&other);
  QVERIFY(QTest::qWaitForWindowActive(&other));
  QVERIFY(run_->ui.Events().empty());
  QCOMPARE(pieces->text(), QString("5"));
  // Coming back and then leaving the box does check it.
  QVERIFY(run_->ActivateConsole());
  QTest::mouseClick(run_->Control<QLineEdit>("FadeWidth"), Qt::LeftButton);
  QCOMPARE(pieces->text(), QString("6"));
  QCOMPARE(run_->ui.Messages().size(), size_t{1});
}

void ConsoleFieldsTest::ChangingTheRotationMarksTheGridWhenTheListIsLeft() {
  auto* turn = run_->Control<QListWidget>("Turn45");
  const auto clickRow = [turn](int row) {
    QTest::mouseClick(turn->viewport(), Qt::LeftButton, {}, turn->visualItemRect(turn->item(row)).center());
  };
  clickRow(2);
  QCOMPARE(run_->state().console.Turn45ListIndex, 2);
  // Choosing alone changes nothing yet; leaving the list does.
  QCOMPARE(run_->state().engine.EngineTurn45, int16_t{0});
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
  QTest::mouseClick(run_->Control<QLineEdit>("NumPieces"), Qt::LeftButton);
  QCOMPARE(run_->state().engine.EngineTurn45, int16_t{2});
  QVERIFY(run_->state().settings.NeedToRedrawGrid);

  // Leaving it on the rotation the program has already does not mark the grid.
  run_->state().settings.NeedToRedrawGrid = false;
  clickRow(2);
  QTest::mouseClick(run_->Control<QLineEdit>("NumPieces"), Qt::LeftButton);
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
  QVERIFY(run_->ui.Events().empty());
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::ConsoleFieldsTest)
#include "console_fields_test.moc"
