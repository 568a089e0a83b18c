// The Qt side of the seams the tests otherwise script: the message box has only an OK
// button and the right title, the hourglass covers the program once however often it
// is asked for, and the file dialogs are set up as the console asks and report a
// cancel as nothing chosen. A timer answers each box in place of a person.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/console_form.h"
#include "gui/file_dialogs.h"
#include "gui/qt_ui.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

namespace {

// Runs `answer` on the modal window once it is up. Should the answer stop early on a
// failed check, the window is closed all the same: the test never waits.
void WhenModalShows(std::function<void(QWidget*)> answer) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, [poll, answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      QPointer<QWidget> still(modal);
      answer(modal);
      if (auto* dialog = qobject_cast<QDialog*>(still.data()); dialog && dialog->isVisible()) dialog->reject();
    }
  });
  poll->start();
}

}  // namespace

class QtSeamsTest : public QObject {
  Q_OBJECT

 private slots:
  void AMessageBoxHasOnlyOkAndItsTitle();
  void TheBusyPointerIsOneLevelDeep();
  void TheOpenDialogIsSetUpAsAskedAndCancelGivesNothing();
  void TheSaveDialogAddsTheDefaultExtension();
};

void QtSeamsTest::AMessageBoxHasOnlyOkAndItsTitle() {
  QtUi ui;
  QString title, text;
  int buttons = -1;
  WhenModalShows([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box);
    title = box->windowTitle();
    text = box->text();
    buttons = static_cast<int>(box->buttons().size());
    QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    box->button(QMessageBox::Ok)->click();
  });
  ui.ShowMessage("Value must be between 6 and 99!", "Number of equal radial parts ");
  QCOMPARE(title, QString("Number of equal radial parts "));
  QCOMPARE(text, QString("Value must be between 6 and 99!"));
  QCOMPARE(buttons, 1);

  // Without a title the box carries the program's name; a "<" in the text is text.
  WhenModalShows([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    title = box->windowTitle();
    QCOMPARE(box->textFormat(), Qt::PlainText);
    box->button(QMessageBox::Ok)->click();
  });
  ui.ShowMessage("Cannot read <b>x</b>", "");
  QCOMPARE(title, QString("Marvane"));
}

void QtSeamsTest::TheBusyPointerIsOneLevelDeep() {
  QtUi ui;
  QVERIFY(!QApplication::overrideCursor());
  ui.SetBusyPointer(true);
  ui.SetBusyPointer(true);
  QVERIFY(QApplication::overrideCursor());
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ui.SetBusyPointer(false);
  QVERIFY(!QApplication::overrideCursor());
  ui.SetBusyPointer(false);
  QVERIFY(!QApplication::overrideCursor());
}

void QtSeamsTest::TheOpenDialogIsSetUpAsAskedAndCancelGivesNothing() {
  testing::TempFolder dir;
  testing::WriteFileBytes(dir / "Rose.bmp", "x");
  QtFileDialogs dialogs;
  WhenModalShows([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QString("Filename for tile image"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog->nameFilters(), QStringList({"Image files (*.bmp *.jpg *.tif *.gif)"}));
    QCOMPARE(dialog->defaultSuffix(), QString("bmp"));
    QCOMPARE(dialog->directory().absolutePath().toStdString(), dir.Path());
    QCOMPARE(dialog->selectedFiles().value(0).toStdString(), dir / "Rose.bmp");
    dialog->reject();
  });
  QVERIFY(!dialogs.Ask(TileFileRequest(dir / "Rose.bmp")).has_value());

  WhenModalShows([&](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
  QCOMPARE(dialogs.Ask(TileFileRequest(dir / "Rose.bmp")), std::optional<std::string>(dir / "Rose.bmp"));
}

void QtSeamsTest::TheSaveDialogAddsTheDefaultExtension() {
  testing::TempFolder dir;
  QtFileDialogs dialogs;
  WhenModalShows([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->windowTitle(), QString("Filename for final image"));
    QCOMPARE(dialog->nameFilters(), QStringList({"Bitmaps (*.bmp)"}));
    dialog->selectFile("Poster");
    static_cast<QDialog*>(dialog)->accept();
  });
  QCOMPARE(dialogs.Ask(SaveFileRequest(dir / "Final.bmp")), std::optional<std::string>(dir / "Poster.bmp"));
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::QtSeamsTest)
#include "qt_seams_test.moc"
