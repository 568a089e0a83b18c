// The Qt side of the Ui the other tests record: a message box with only OK, its text
// taken as text, titled with the program's name when it has no title of its own; and the
// busy pointer, one level deep however often it is asked for.
#include "gui/qt_ui.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheMessageBoxAndTheBusyPointer() {
  QtUi ui;
  QStringList seen;
  for (const char* title : {"Number of equal radial parts ", ""}) {
    QTimer::singleShot(0, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      seen << box->windowTitle() + ": " + box->text() + (box->textFormat() == Qt::PlainText ? " (plain)" : "") +
                  (box->standardButtons() == QMessageBox::Ok ? " [OK]" : "");
      box->accept();
    });
    ui.ShowMessage("Cannot read <b>x</b>", title);
  }
  QCOMPARE(seen, QStringList({"Number of equal radial parts : Cannot read <b>x</b> (plain) [OK]",
                              "Marvane: Cannot read <b>x</b> (plain) [OK]"}));
  ui.SetBusyPointer(true);
  ui.SetBusyPointer(true);
  QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
  ui.SetBusyPointer(false);
  QVERIFY(!QApplication::overrideCursor());
}

}  // namespace marvane::guitest
