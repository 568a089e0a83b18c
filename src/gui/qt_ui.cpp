#include "gui/qt_ui.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace marvane {

QtUi::~QtUi() {
  if (busy_) QApplication::restoreOverrideCursor();
}

void QtUi::ShowMessage(const std::string& text, const std::string& title) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title.empty() ? kProgramTitle : title),
                  QString::fromStdString(text), QMessageBox::Ok);
  // Our texts are plain: a file name holding "<" must not be taken for markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void QtUi::Beep() { QApplication::beep(); }

void QtUi::SetBusyPointer(bool busy) {
  // The override cursors stack; ours is one level, set once however often it is asked.
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

}  // namespace marvane
