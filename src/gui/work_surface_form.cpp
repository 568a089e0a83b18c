#include "gui/work_surface_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include "gui/picture_view.h"
#include "platform/picture.h"

namespace marvane {

WorkSurfaceForm::WorkSurfaceForm(const QString& name, const QString& caption, const Picture& picture)
    : QWidget(nullptr, Qt::Window) {
  setObjectName(name);
  setWindowTitle(caption);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(name + "Scroll");
  scroll->setFrameShape(QFrame::NoFrame);
  surface_ = new PictureView(picture, 0);
  surface_->setObjectName(name + "Surface");
  scroll->setWidget(surface_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  // As large as the picture, unless the screen is smaller: then it scrolls.
  QSize size = surface_->size();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableSize() * 9 / 10);
  resize(size);
}

void WorkSurfaceForm::Refresh() {
  // A hidden window only takes the picture's size; it paints when it is shown.
  surface_->Refresh();
}

void WorkSurfaceForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

}  // namespace marvane
