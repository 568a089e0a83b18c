#include "gui/picture_view.h"

#include <QPainter>

#include "platform/picture.h"

namespace marvane {

QImage PictureImage(const Picture& picture) {
  if (picture.Empty()) return {};
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
  const auto& pixels = picture.Pixels();
  for (int y = 0; y < picture.Height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const int32_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.Width());
    for (int x = 0; x < picture.Width(); ++x) {
      const int32_t v = row[x];
      line[x] = qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    }
  }
  return image;
}

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
  painter.drawImage(QPoint(border_, border_), PictureImage(picture_));
}

}  // namespace marvane
