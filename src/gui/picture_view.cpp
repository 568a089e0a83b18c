#include "gui/picture_view.h"

#include <QPainter>

#include "platform/picture.h"
#include "platform/picture_image.h"

namespace marvane {

PictureView::PictureView(const Picture& picture, int border, QWidget* parent)
    : QFrame(parent), picture_(picture), border_(border) {
  if (border_ > 0) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(border_);
  }
  Refresh();
}

void PictureView::Refresh() {
  const QSize size(picture_.Width() + 2 * border_, picture_.Height() + 2 * border_);
  if (minimumSize() != size || maximumSize() != size) setFixedSize(size);
  update();
}

void PictureView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (picture_.Empty()) return;
  QPainter painter(this);
  painter.drawImage(QPoint(border_, border_), ImageOfPicture(picture_));
}

}  // namespace marvane
