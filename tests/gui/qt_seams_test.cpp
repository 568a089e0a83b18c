// The Qt side of the seams the other tests script: the message box, the busy pointer and
// the file dialogs, each box answered by a timer in place of a person.
#include "gui/console_form.h"
#include "gui/qt_ui.h"
#include "gui/support/gui_run.h"

namespace marvane::guitest {

void GuiTest::TheMessageBoxThePointerAndTheFileDialogs() {
  QStringList seen;
  const auto answer = [&seen](std::function<void(QDialog*)> act) {  // the modal box once it is up
    QTimer::singleShot(0, [&seen, act] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (box) seen << box->windowTitle() + ": " + box->text() + (box->textFormat() == Qt::PlainText ? " (plain)" : "") +
                           (box->standardButtons() == QMessageBox::Ok ? " [OK]" : "");
      if (files) seen << files->windowTitle() + " | " + files->nameFilters().join(';') + " | " + files->defaultSuffix() +
                             (files->fileMode() == QFileDialog::ExistingFile ? " | an existing file in " : " | any file in ") +
                             files->directory().path() + " | " + files->selectedFiles().value(0);
      act(box ? static_cast<QDialog*>(box) : files);
    });
  };
  QtUi ui;
  for (const char* title : {"Number of equal radial parts ", ""}) {
    answer([](QDialog* box) { box->accept(); });
    ui.ShowMessage("Cannot read <b>x</b>", title);
  }
  ui.SetBusyPointer(true);
  ui.SetBusyPointer(true);
  QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
  ui.SetBusyPointer(false);  // one level deep however often it was asked for
  QVERIFY(!QApplication::overrideCursor());
  // A dialog starts at the current name; cancelled it gives nothing, and a save dialog
  // adds the default extension to a name typed without one.
  testing::TempFolder dir;
  testing::WriteFileBytes(dir / "Rose.bmp", "");
  QtFileDialogs dialogs;
  answer([](QDialog* dialog) { dialog->reject(); });
  QVERIFY(!dialogs.Ask(TileFileRequest(dir / "Rose.bmp")));
  answer([](QDialog* dialog) { dialog->accept(); });
  QCOMPARE(dialogs.Ask(TileFileRequest(dir / "Rose.bmp")), std::optional(dir / "Rose.bmp"));
  answer([](QDialog* dialog) {
    static_cast<QFileDialog*>(dialog)->selectFile("Poster");
    dialog->accept();
  });
  QCOMPARE(dialogs.Ask(SaveFileRequest(dir / "Final.bmp")), std::optional(dir / "Poster.bmp"));
  const QString tile = "Filename for tile image | Image files (*.bmp *.jpg *.tif *.gif) | bmp | an existing file in ";
  QCOMPARE(seen, QStringList({"Number of equal radial parts : Cannot read <b>x</b> (plain) [OK]",
                              "Marvane: Cannot read <b>x</b> (plain) [OK]", tile + Q(dir.Path() + " | " + dir / "Rose.bmp"),
                              tile + Q(dir.Path() + " | " + dir / "Rose.bmp"),
                              "Filename for final image | Bitmaps (*.bmp) | bmp | any file in " + Q(dir.Path() + " | " + dir / "Final.bmp")}));
}

}  // namespace marvane::guitest
