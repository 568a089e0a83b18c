#pragma once
// A text box and a list box that say when the user leaves them. Their leaving-focus
// handlers check what was typed or chosen; they run whenever focus moves on to another
// control, whether or not the value was changed, but not when the whole window merely
// loses the focus to another window or a popup (the control still holds the focus
// inside its window then, and the user has not left it).
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>

namespace marvane {

bool LeavesTheControl(const QFocusEvent& event);

class FieldEdit : public QLineEdit {
  Q_OBJECT
 public:
  using QLineEdit::QLineEdit;

 signals:
  void LostFocus();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

class FocusListWidget : public QListWidget {
  Q_OBJECT
 public:
  using QListWidget::QListWidget;

 signals:
  void LostFocus();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace marvane
