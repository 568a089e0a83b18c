// The help window: the topic list read from "HelpTxt.txt", the topic shown on a click,
// the highlighting under the mouse, "Close" and the title bar, and the files that
// cannot be listed.
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "gui/help_form.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

namespace {

constexpr const char* kGuide =
    "Notes for whoever edits this file\r\n"
    "{Getting started}\r\n"
    "Pick a tile.\r\n"
    "\r\n"
    "Then press <b>Create</b>.\r\n"
    "{Sliders\r\n"
    "Colour and light.\r\n"
    "{Files\r\n";

const QColor kBlack(0, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0);

struct Look {
  bool bold;
  bool underline;
  QColor colour;
};

Look LookOf(const QLabel* label) {
  return {label->font().bold(), label->font().underline(), label->palette().color(QPalette::WindowText)};
}

#define EXPECT_LOOK(label, isBold, isUnderlined, expectedColour)        \
  do {                                                                  \
    const Look look = LookOf(label);                                    \
    QCOMPARE(look.bold, isBold);                                        \
    QCOMPARE(look.underline, isUnderlined);                             \
    QCOMPARE(look.colour, expectedColour);                              \
  } while (false)

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void TheHelpButtonListsTheTopicsShowsTheFirstAndAClickShowsAnother();
  void TheTitleUnderTheMouseIsBoldAndGreen();
  void CloseHidesAndTheTitleBarUnloads();
  void AMissingFileIsNamedUnderReadHelpFile();
  void MoreTopicsThanTitlesStopsAtTheTwentySeventh();

 private:
  HelpForm& OpenHelp();
  QLabel* Title(int index);
  // Moves the mouse onto a title. The pointer is first taken to the column's heading,
  // so that a pointer already resting on the title (from a click) still moves.
  void Hover(int index);
  std::unique_ptr<GuiRun> run_;
};

void HelpWindowTest::init() {
  run_ = std::make_unique<GuiRun>();
  run_->WriteTileGrid();
  run_->WriteHelp(kGuide);
  QVERIFY(run_->Start());
  run_->ui.Clear();
}

void HelpWindowTest::cleanup() { run_.reset(); }

HelpForm& HelpWindowTest::OpenHelp() {
  QTest::mouseClick(run_->Control<QPushButton>("HelpMe"), Qt::LeftButton);
  HelpForm& help = run_->desktop().Help();
  if (!QTest::qWaitForWindowExposed(&help)) qWarning("the help window was not exposed");
  return help;
}

QLabel* HelpWindowTest::Title(int index) {
  return run_->desktop().Help().findChild<QLabel*>(QString("TopicChosen%1").arg(index));
}

void HelpWindowTest::Hover(int index) {
  QTest::mouseMove(run_->desktop().Help().findChild<QLabel*>("HelpTopicsLabel"));
  QTest::mouseMove(Title(index));
}

void HelpWindowTest::TheHelpButtonListsTheTopicsShowsTheFirstAndAClickShowsAnother() {
  HelpForm& help = OpenHelp();
  QVERIFY(help.isVisible());
  QCOMPARE(help.windowTitle(), QString("Tesk Help"));
  QCOMPARE(help.findChild<QLabel*>("HelpTopicsLabel")->text(), QString("Help Topics"));
  QCOMPARE(help.findChild<QPushButton*>("CancelIt")->text(), QString("Close"));
  QCOMPARE(Title(1)->text(), QString("Getting started}"));
  QCOMPARE(Title(2)->text(), QString("Sliders"));
  QCOMPARE(Title(3)->text(), QString("Files"));
  for (int i = 4; i <= 26; ++i) QCOMPARE(Title(i)->text(), QString());
  QVERIFY(!help.findChild<QLabel*>("TopicChosen27"));

  QCOMPARE(help.findChild<QLabel*>("TopicLabel")->text(), QString("Getting started}"));
  // The text as written, markup included; what came before the first title is not shown.
  QCOMPARE(help.findChild<QLabel*>("HelpTextLabel")->text(),
           QString("Pick a tile.\n\nThen press <b>Create</b>.\n"));
  EXPECT_LOOK(Title(1), true, true, kBlue);
  EXPECT_LOOK(Title(2), false, false, kBlack);
  QVERIFY(run_->ui.Events().empty());

  QTest::mouseClick(Title(3), Qt::LeftButton);
  QCOMPARE(help.CurrentTopic(), 3);
  QCOMPARE(help.findChild<QLabel*>("TopicLabel")->text(), QString("Files"));
  // A topic without text lines shows an empty area.
  QCOMPARE(help.findChild<QLabel*>("HelpTextLabel")->text(), QString());
  EXPECT_LOOK(Title(3), true, true, kBlue);
  EXPECT_LOOK(Title(1), false, false, kBlack);

  QTest::mouseClick(Title(2), Qt::LeftButton);
  QCOMPARE(help.findChild<QLabel*>("HelpTextLabel")->text(), QString("Colour and light.\n"));
  EXPECT_LOOK(Title(3), false, false, kBlack);
}

void HelpWindowTest::TheTitleUnderTheMouseIsBoldAndGreen() {
  HelpForm& help = OpenHelp();
  Hover(2);
  EXPECT_LOOK(Title(2), true, false, kGreen);
  QCOMPARE(help.HoverTopic(), 2);
  // An empty title does nothing, under the mouse or clicked.
  Hover(5);
  QTest::mouseClick(Title(5), Qt::LeftButton);
  QCOMPARE(help.CurrentTopic(), 1);
  QCOMPARE(help.HoverTopic(), 2);
  EXPECT_LOOK(Title(2), true, false, kGreen);
  EXPECT_LOOK(Title(5), false, false, kBlack);
  // Moving on to the next title: the green goes with the mouse.
  Hover(3);
  EXPECT_LOOK(Title(2), false, false, kBlack);
  EXPECT_LOOK(Title(3), true, false, kGreen);
  // Over the current topic the last green title goes back, and the current one stays
  // blue.
  Hover(1);
  EXPECT_LOOK(Title(1), true, true, kBlue);
  EXPECT_LOOK(Title(3), false, false, kBlack);
  QCOMPARE(help.HoverTopic(), 1);
  // Leaving the titles altogether leaves the green where it is.
  Hover(2);
  QTest::mouseMove(help.findChild<QLabel*>("TopicLabel"));
  EXPECT_LOOK(Title(2), true, false, kGreen);
  // Clicking the green title makes it the current one.
  QTest::mouseClick(Title(2), Qt::LeftButton);
  EXPECT_LOOK(Title(2), true, true, kBlue);
  EXPECT_LOOK(Title(1), false, false, kBlack);
}

void HelpWindowTest::CloseHidesAndTheTitleBarUnloads() {
  QPointer<HelpForm> help = &OpenHelp();
  QTest::mouseClick(Title(3), Qt::LeftButton);
  run_->WriteHelp("{Rewritten\r\nnew text\r\n");

  // "Close" only hides: shown again, the window is as it was left, the file not read.
  QTest::mouseClick(help->findChild<QPushButton*>("CancelIt"), Qt::LeftButton);
  QVERIFY(!help->isVisible());
  QCOMPARE(&OpenHelp(), help.data());
  QCOMPARE(help->CurrentTopic(), 3);
  QCOMPARE(Title(1)->text(), QString("Getting started}"));

  // The title bar unloads it: the next showing reads the file again.
  help->close();
  QTRY_VERIFY(help.isNull());
  HelpForm& again = OpenHelp();
  QCOMPARE(Title(1)->text(), QString("Rewritten"));
  QCOMPARE(again.CurrentTopic(), 1);
  QVERIFY(run_->ui.Events().empty());
}

void HelpWindowTest::AMissingFileIsNamedUnderReadHelpFile() {
  std::filesystem::remove(*run_ / "HelpTxt.txt");
  HelpForm& help = OpenHelp();
  const auto messages = run_->ui.Messages();
  QCOMPARE(messages.size(), size_t{1});
  QCOMPARE(messages[0].title, std::string("ReadHelpFile"));
  QVERIFY2(messages[0].text.find("HelpTxt.txt") != std::string::npos, messages[0].text.c_str());
  // The window still comes up, with its design captions.
  QVERIFY(help.isVisible());
  QCOMPARE(help.findChild<QLabel*>("TopicLabel")->text(), QString("Topic Label"));
  QCOMPARE(help.findChild<QLabel*>("HelpTextLabel")->text(), QString("Help Text"));
}

void HelpWindowTest::MoreTopicsThanTitlesStopsAtTheTwentySeventh() {
  std::string guide;
  for (int t = 1; t <= 30; ++t) guide += "{Topic " + std::to_string(t) + "\r\ntext " + std::to_string(t) + "\r\n";
  run_->WriteHelp(guide);
  HelpForm& help = OpenHelp();
  QCOMPARE(MessageLines(run_->ui), QStringList({"ReadHelpFile: The help file has 30 topics, but only 26 can be listed."}));
  QCOMPARE(Title(1)->text(), QString("Topic 1"));
  QCOMPARE(Title(26)->text(), QString("Topic 26"));
  // No topic is shown.
  QCOMPARE(help.findChild<QLabel*>("TopicLabel")->text(), QString("Topic Label"));
  // The listed ones still work.
  QTest::mouseClick(Title(26), Qt::LeftButton);
  QCOMPARE(help.findChild<QLabel*>("HelpTextLabel")->text(), QString("text 26\n"));
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::HelpWindowTest)
#include "help_window_test.moc"
