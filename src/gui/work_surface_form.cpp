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
}

void WorkSurfaceForm::FitToPicture() {
  // As large as the picture, unless the screen is smaller: then it scrolls. Only a
  // window on screen is fitted: a size given to a hidden window does not survive its
  // being shown on every platform, so a hidden one is fitted when it is shown.
  if (!isVisible() || surface_->size() == fittedTo_) return;
  fittedTo_ = surface_->size();
  QSize size = fittedTo_;
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (screen) size = size.boundedTo(screen->availableSize() * 9 / 10);
  resize(size.expandedTo(QSize(1, 1)));
}

void WorkSurfaceForm::Refresh() {
  // The window follows the picture only when the picture's size changes, so a size the
  // user gave it stays while the same picture is redrawn.
  surface_->Refresh();
  FitToPicture();
}

void WorkSurfaceForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FitToPicture();
}

void WorkSurfaceForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

}  // namespace marvane
