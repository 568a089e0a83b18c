// The first start of the desktop program in a start folder made of nothing but the
// shipped files, as scripts/start.sh prepares it: no message, the guide in the help
// window, and a first picture made on the shipped tile grid.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <string>

#include "gui/desktop.h"
#include "gui/help_form.h"
#include "gui/support/gui_run.h"
#include "packaging/shipped_files.h"

namespace marvane::guitest {

namespace {

void CopyShippedFiles(const GuiRun& run) {
  namespace fs = std::filesystem;
  fs::create_directories(run / "Tiles");
  for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
    fs::copy_file(testing::BuildShare(name), run / name);
}

}  // namespace

class FirstStartTest : public QObject {
  Q_OBJECT

 private slots:
  void TheShippedFilesStartTheProgramWithoutAMessage();
  void HelpShowsTheGuide();
  void TheFirstPictureIsMadeOnTheShippedGrid();
};

void FirstStartTest::TheShippedFilesStartTheProgramWithoutAMessage() {
  GuiRun run;
  CopyShippedFiles(run);
  QVERIFY(run.Start());
  QCOMPARE(MessageLines(run.ui), QStringList());
  QVERIFY(run.console().isVisible());
  // The shipped grid fits the default settings: nothing asks for it to be built again.
  QVERIFY(!run.state().settings.NeedToRedrawGrid);
  QCOMPARE(run.state().TileImage.Width(), 248);
}

void FirstStartTest::HelpShowsTheGuide() {
  GuiRun run;
  CopyShippedFiles(run);
  QVERIFY(run.Start());
  QTest::mouseClick(run.Control<QPushButton>("HelpMe"), Qt::LeftButton);
  QCOMPARE(MessageLines(run.ui), QStringList());
  HelpForm& help = run.desktop().Help();
  QVERIFY(help.isVisible());
  QCOMPARE(help.findChild<QLabel*>("TopicChosen1")->text(), QString("Welcome to Marvane"));
  QCOMPARE(help.findChild<QLabel*>("TopicLabel")->text(), QString("Welcome to Marvane"));
  int listed = 0;
  for (int i = 1; i <= 26; ++i)
    listed += !help.findChild<QLabel*>(QString("TopicChosen%1").arg(i))->text().isEmpty();
  QVERIFY2(listed >= 20, qPrintable(QString::number(listed)));
}

void FirstStartTest::TheFirstPictureIsMadeOnTheShippedGrid() {
  GuiRun run;
  CopyShippedFiles(run);
  QVERIFY(run.Start());
  for (int i = 0; i < 4; ++i) run.Control<QCheckBox>(qPrintable(QString("FillInQuadrant%1").arg(i)))->setChecked(true);
  JobWatch watch(run);
  QTest::mouseClick(run.Control<QPushButton>("CreateFinal"), Qt::LeftButton);
  QCOMPARE(MessageLines(run.ui), QStringList());
  QCOMPARE(watch.Labels(), QStringList{"Creating final image..."});
  const std::string output = run / "Output/Final.bmp";
  QVERIFY(std::filesystem::is_regular_file(output));
  const testing::BmpHeader h = testing::ReadBmpHeader(testing::FileBytes(output));
  QCOMPARE(h.width, (kDesignBoardWidth + 3) / 4);
  // Every quarter was drawn: the small picture holds many colours, not the centre colour.
  const QImage small(QString::fromStdString(output));
  QVERIFY(testing::DistinctColours(small.copy(0, 0, small.width() / 2, small.height() / 2)) > 200);
  QVERIFY(testing::DistinctColours(small.copy(small.width() / 2, small.height() / 2, small.width() / 2,
                                              small.height() / 2)) > 200);
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::FirstStartTest)
#include "first_start_test.moc"
