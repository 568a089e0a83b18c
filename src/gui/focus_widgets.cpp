#include "gui/focus_widgets.h"

namespace marvane {

bool LeavesTheControl(const QFocusEvent& event) {
  return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

void FieldEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (LeavesTheControl(*event)) emit LostFocus();
}

void FocusListWidget::focusOutEvent(QFocusEvent* event) {
  QListWidget::focusOutEvent(event);
  if (LeavesTheControl(*event)) emit LostFocus();
}

}  // namespace marvane
