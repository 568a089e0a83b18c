// The help window: the topics of "HelpTxt.txt" listed and shown, the highlighting under
// the mouse, "Close" and the title bar, and the files it cannot list.
#include "gui/help_form.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheHelpWindowListsShowsAndHighlightsTheTopics() {
  GuiRun run;
  QVERIFY(run.Start());
  QPointer<HelpForm> help;
  const auto open = [&run, &help](const char* guide) {  // a fresh window on `guide` (nullptr: no file)
    if (help) help->close();
    QTRY_VERIFY(help.isNull());
    if (guide) testing::WriteFileBytes(run / "HelpTxt.txt", guide);
    if (!guide) std::filesystem::remove(run / "HelpTxt.txt");
    run.Click("HelpMe");
    help = &run.desktop->Help();
  };
  const auto title = [&help](int i) { return help->findChild<QLabel*>(QString("TopicChosen%1").arg(i)); };
  const auto hover = [&](int i) {  // from the heading, so that the pointer moves even if it rests on the title
    QTest::mouseMove(help->findChild<QLabel*>("HelpTopicsLabel"));
    QTest::mouseMove(title(i));
  };
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
  open("Notes for whoever edits this file\r\n{Getting started}\r\nPick a tile.\r\n\r\nThen press <b>Create</b>.\r\n"
       "{{Sliders\r\nColour and light.\r\n{Caf\xe9s\r\n");
  QVERIFY(QTest::qWaitForWindowExposed(help) && help->windowTitle() == "Tesk Help");
  QVERIFY(title(2)->text() == "Sliders" && title(3)->text() == QString::fromUtf8("Cafés") && title(26)->text() == "");
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
  QTest::mouseMove(help->findChild<QLabel*>("TopicLabel"));
  QVERIFY(shown().startsWith("BUb B-g --k --k /Getting started}"));
  QTest::mouseClick(title(3), Qt::LeftButton);
  QCOMPARE(shown(), QString::fromUtf8("--k --k BUb --k /Cafés: "));
  QTest::mouseClick(title(2), Qt::LeftButton);
  // "Close" only hides: shown again, the window is as it was left, the file not read again.
  testing::WriteFileBytes(run / "HelpTxt.txt", "{Rewritten\r\n");
  QTest::mouseClick(help->findChild<QPushButton*>("CancelIt"), Qt::LeftButton);
  QVERIFY(!help->isVisible());
  run.Click("HelpMe");
  QVERIFY(help->isVisible() && shown().endsWith("Sliders: Colour and light.\n") && run.Said().isEmpty());

  // The title bar unloads it: the next showing reads the file again, here none, then one
  // with more topics than titles: the first 26 are listed, and work, but none is shown.
  open(nullptr);
  QVERIFY(run.Said().size() == 1 && run.Said()[0].startsWith("ReadHelpFile: ") && run.Said()[0].contains("HelpTxt.txt"));
  QVERIFY(shown().endsWith("/Topic Label: Help Text"));
  std::string guide;
  for (int t = 1; t <= 30; ++t) guide += "{Topic " + std::to_string(t) + "\r\ntext\r\n";
  open(guide.c_str());
  QCOMPARE(run.Said().last(), QString("ReadHelpFile: The help file has 30 topics, but only 26 can be listed."));
  QVERIFY(title(26)->text() == "Topic 26" && shown().endsWith("/Topic Label: Help Text"));
  QTest::mouseClick(title(26), Qt::LeftButton);
  QVERIFY(shown().endsWith("Topic 26: text\n"));
}

}  // namespace marvane::guitest
