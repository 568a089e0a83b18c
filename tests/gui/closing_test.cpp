// Closing the console: the tile grid and the settings are written, the program ends,
// and the next start in the same folder finds everything as it was left.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "gui/support/gui_run.h"
#include "platform/picture_files.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

namespace {

void TypeInto(GuiRun& run, const char* name, const QString& text) {
  auto* edit = run.Control<QLineEdit>(name);
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(edit, text);
}

}  // namespace

class ClosingTest : public QObject {
  Q_OBJECT

 private slots:
  void ClosingSavesTheGridAndTheSettingsAndTheNextStartReadsThem();
  void AGridThatCannotBeSavedKeepsTheSettingsUnwrittenButStillEnds();
};

void ClosingTest::ClosingSavesTheGridAndTheSettingsAndTheNextStartReadsThem() {
  GuiRun run;
  run.WriteTileGrid(2);
  run.WriteTile("Tiles/Basic.bmp", 248, 248);
  QVERIFY(run.Start());
  QVERIFY(run.ActivateConsole());

  // A new grid (16 parts, turned by 45 degrees the other way), and the sliders moved.
  TypeInto(run, "NumPieces", "16");
  TypeInto(run, "SmallestRadius", "22");
  TypeInto(run, "FadeWidth", "70");
  auto* turn = run.Control<QListWidget>("Turn45");
  QTest::mouseClick(turn->viewport(), Qt::LeftButton, {}, turn->visualItemRect(turn->item(2)).center());
  run.Control<QSlider>("Cline")->setValue(33);
  run.Control<QSlider>("SpecStart")->setValue(300);
  run.Control<QSlider>("Lighten")->setValue(-70);
  run.Control<QSlider>("LightStart")->setValue(5);
  // The quadrants and the output size are not kept.
  QTest::mouseClick(run.Control<QCheckBox>("FillInQuadrant3"), Qt::LeftButton);
  QTest::mouseClick(run.Control<QRadioButton>("OutputOption1"), Qt::LeftButton);
  QTest::mouseClick(run.Control<QPushButton>("CreateFinal"), Qt::LeftButton);
  QCOMPARE(MessageLines(run.ui), QStringList());
  const Picture grid = run.state().Workspace1;
  QVERIFY(!(grid == PatternPicture(793, 573, 2)));

  QVERIFY(run.console().close());
  QCOMPARE(run.programEnds, 1);
  QCOMPARE(MessageLines(run.ui), QStringList());
  QCOMPARE(LoadPictureFile(run / "TileGrid.bmp", 0), grid);
  const std::string ini = testing::ReadFileBytes(run.IniPath());
  for (const char* line : {"NumRadialPieces=16", "SmallestRadius=22", "FadeWidth=70", "Turn45=2", "Cline=33",
                           "SpecStart=300", "Lighten=-70", "LightStart=5", "NeedToRedrawGrid=0"})
    QVERIFY2(ini.find(line) != std::string::npos, line);

  QVERIFY(run.Start());
  QCOMPARE(MessageLines(run.ui), QStringList());
  QCOMPARE(run.Control<QLineEdit>("NumPieces")->text(), QString("16"));
  QCOMPARE(run.Control<QLineEdit>("SmallestRadius")->text(), QString("22"));
  QCOMPARE(run.Control<QLineEdit>("FadeWidth")->text(), QString("70"));
  QCOMPARE(run.Control<QListWidget>("Turn45")->currentRow(), 2);
  QCOMPARE(run.Control<QSlider>("Cline")->value(), 33);
  QCOMPARE(run.Control<QSlider>("SpecStart")->value(), 300);
  QCOMPARE(run.Control<QSlider>("Lighten")->value(), -70);
  QCOMPARE(run.Control<QSlider>("LightStart")->value(), 5);
  QVERIFY(!run.Control<QCheckBox>("FillInQuadrant3")->isChecked());
  QVERIFY(run.Control<QRadioButton>("OutputOption0")->isChecked());
  QCOMPARE(run.state().Workspace1, grid);
  QVERIFY(!run.state().settings.NeedToRedrawGrid);
}

void ClosingTest::AGridThatCannotBeSavedKeepsTheSettingsUnwrittenButStillEnds() {
  GuiRun run;
  run.WriteTileGrid();
  QVERIFY(run.Start());
  const std::string before = testing::ReadFileBytes(run / "TileGrid.bmp");
  {
    // As on a full disk: the grid's 1.3 MB do not fit.
    testing::ScopedFileSizeLimit full(64 * 1024);
    QVERIFY(run.console().close());
  }
  const QStringList messages = MessageLines(run.ui);
  QCOMPARE(messages.size(), 1);
  QVERIFY2(messages[0].startsWith("FinalActions: ") && messages[0].contains("TileGrid.bmp"),
           qPrintable(messages[0]));
  QCOMPARE(run.programEnds, 1);
  QVERIFY(!std::filesystem::exists(run.IniPath()));
  QVERIFY(testing::ReadFileBytes(run / "TileGrid.bmp") == before);
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::ClosingTest)
#include "closing_test.moc"
