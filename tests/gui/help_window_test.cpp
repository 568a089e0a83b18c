// The help window: the topics of "HelpTxt.txt" listed, shown, and highlighted under the mouse.
#include "gui/help_form.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheHelpWindowListsShowsAndHighlightsTheTopics() {
  GuiRun run;
  testing::WriteFileBytes(run / "HelpTxt.txt", "Notes for whoever edits this file\r\n{Getting started}\r\n"
                                               "Pick a tile.\r\n\r\nThen press <b>Create</b>.\r\n"
                                               "{{Sliders\r\nColour and light.\r\n{Caf\xe9s\r\n");
  QVERIFY(run.Start());
  run.Click("HelpMe");
  QPointer<HelpForm> help = &run.desktop->Help();
  const auto title = [&help](int i) { return help->findChild<QLabel*>(QString("TopicChosen%1").arg(i)); };
  // Titles 1 to 4 as B(old) U(nderlined) b(lue) g(reen) or blac(k), title 5, the topic shown.
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
  QVERIFY(QTest::qWaitForWindowExposed(help) && help->windowTitle() == "Tesk Help" && title(26)->text() == "");
  QVERIFY(title(2)->text() == "Sliders" && title(3)->text() == QString::fromUtf8("Cafés"));
  QCOMPARE(shown(), QString("BUb --k --k --k /Getting started}: Pick a tile.\n\nThen press <b>Create</b>.\n"));
  // Green under the mouse until it reaches another title; not the current one nor an empty one.
  const std::pair<int, const char*> moves[] = {
      {2, "BUb B-g --k --k"}, {3, "BUb --k B-g --k"}, {1, "BUb --k --k --k"}, {2, "BUb B-g --k --k"}, {5, "BUb B-g"}};
  for (const auto& [i, looks] : moves) {
    QTest::mouseMove(help->findChild<QLabel*>("HelpTopicsLabel"));  // so that the pointer moves
    QTest::mouseMove(title(i));
    QVERIFY2(shown().startsWith(looks), qPrintable(shown()));
  }
  QTest::mouseClick(title(5), Qt::LeftButton);
  QVERIFY(shown().startsWith("BUb B-g --k --k /Getting"));
  QTest::mouseClick(title(3), Qt::LeftButton);
  QCOMPARE(shown(), QString::fromUtf8("--k --k BUb --k /Cafés: "));
  // Unloaded by its title bar, it reads the file again: 26 of 30 topics listed, and a message.
  std::string guide;
  for (int t = 1; t <= 30; ++t) guide += "{Topic " + std::to_string(t) + "\r\n";
  testing::WriteFileBytes(run / "HelpTxt.txt", guide);
  help->close();
  QTRY_VERIFY(help.isNull());
  run.Click("HelpMe");
  QCOMPARE(run.Said(), QStringList({"ReadHelpFile: The help file has 30 topics, but only 26 can be listed."}));
  QCOMPARE(run.desktop->Help().findChild<QLabel*>("TopicChosen26")->text(), QString("Topic 26"));
}

}  // namespace marvane::guitest
