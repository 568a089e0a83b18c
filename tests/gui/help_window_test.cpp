// The help window: the topics of "HelpTxt.txt" listed and shown, the highlighting under
// the mouse, "Close" and the title bar, and a file with more topics than titles.
#include "gui/help_form.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheHelpWindowListsShowsAndHighlightsTheTopics() {
  GuiRun run;
  testing::WriteFileBytes(run / "HelpTxt.txt", "Notes for whoever edits this file\r\n{Getting started}\r\nPick a tile.\r\n"
                                               "\r\nThen press <b>Create</b>.\r\n{{Sliders\r\nColour and light.\r\n{Caf\xe9s\r\n");
  QVERIFY(run.Start());
  run.Click("HelpMe");
  QPointer<HelpForm> help = &run.desktop->Help();
  const auto title = [&help](int i) { return help->findChild<QLabel*>(QString("TopicChosen%1").arg(i)); };
  // The first four titles' looks (B bold, U underlined, then b blue, g green, k black), the
  // fifth title and the topic shown.
  const auto shown = [&] {
    QString looks;
    for (int i = 1; i <= 4; ++i) {
      const QColor c = title(i)->palette().color(QPalette::WindowText);
      looks += QString(title(i)->font().bold() ? "B" : "-") + (title(i)->font().underline() ? "U" : "-") +
               (c == Qt::blue ? "b " : c == Qt::green ? "g " : c == Qt::black ? "k " : "? ");
    }
    return looks + title(5)->text() + "/" + help->findChild<QLabel*>("TopicLabel")->text() + ": " +
           help->findChild<QLabel*>("HelpTextLabel")->text();
  };
  const auto hover = [&](int i) {  // from the heading, so that the pointer moves even if it rests on the title
    QTest::mouseMove(help->findChild<QLabel*>("HelpTopicsLabel"));
    QTest::mouseMove(title(i));
  };
  QVERIFY(QTest::qWaitForWindowExposed(help) && help->windowTitle() == "Tesk Help" && title(26)->text() == "");
  QVERIFY(title(2)->text() == "Sliders" && title(3)->text() == QString::fromUtf8("Cafés"));
  QCOMPARE(shown(), QString("BUb --k --k --k /Getting started}: Pick a tile.\n\nThen press <b>Create</b>.\n"));
  // The title under the mouse turns green until the mouse reaches another; over the
  // current one the green goes, and an empty title does nothing.
  hover(2);
  QVERIFY(shown().startsWith("BUb B-g --k --k ") && help->HoverTopic() == 2);
  hover(3);
  QVERIFY(shown().startsWith("BUb --k B-g --k "));
  hover(1);
  QVERIFY(shown().startsWith("BUb --k --k --k "));
  hover(2);
  hover(5);
  QTest::mouseClick(title(5), Qt::LeftButton);
  QVERIFY(shown().startsWith("BUb B-g --k --k /Getting started}"));
  QTest::mouseClick(title(3), Qt::LeftButton);
  QCOMPARE(shown(), QString::fromUtf8("--k --k BUb --k /Cafés: "));
  QTest::mouseClick(title(2), Qt::LeftButton);
  // "Close" only hides: shown again, the window is as it was left, the file not read again.
  std::string guide;
  for (int t = 1; t <= 30; ++t) guide += "{Topic " + std::to_string(t) + "\r\ntext\r\n";
  testing::WriteFileBytes(run / "HelpTxt.txt", guide);
  help->findChild<QPushButton*>("CancelIt")->click();
  QVERIFY(!help->isVisible());
  run.Click("HelpMe");
  QVERIFY(help->isVisible() && shown().endsWith("Sliders: Colour and light.\n") && run.Said().isEmpty());
  // The title bar unloads it and the next showing reads the file again: with more topics
  // than titles the first 26 are listed, and work, but none is shown.
  help->close();
  QTRY_VERIFY(help.isNull());
  run.Click("HelpMe");
  help = &run.desktop->Help();
  QCOMPARE(run.Said(), QStringList({"ReadHelpFile: The help file has 30 topics, but only 26 can be listed."}));
  QVERIFY(title(26)->text() == "Topic 26" && shown().endsWith("/Topic Label: Help Text"));
  QTest::mouseClick(title(26), Qt::LeftButton);
  QVERIFY(shown().endsWith("Topic 26: text\n"));
}

}  // namespace marvane::guitest
