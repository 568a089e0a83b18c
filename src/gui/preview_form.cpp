#include "gui/preview_form.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <chrono>

#include "gui/desktop.h"
#include "gui/picture_view.h"
#include "run/create_final.h"
#include "util/numbers.h"
#include "platform/picture_image.h"

namespace marvane {

// The picture, enlarged by the largest whole factor that fits the window (at least 1),
// pixel for pixel, in the middle of the window.
class PreviewPicture : public QWidget {
 public:
  // `natural` is the small picture's size; the window opens at twice that.
  PreviewPicture(QSize natural, QWidget* parent) : QWidget(parent), natural_(natural) {
    setObjectName("PreviewPicture");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(natural_);
  }
  void SetImage(QImage image) {
    image_ = std::move(image);
    update();
  }
  QSize sizeHint() const override { return natural_ * 2; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (image_.isNull()) return;
    const int factor = std::max(1, std::min(width() / image_.width(), height() / image_.height()));
    const QSize size = image_.size() * factor;
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image_);
  }

 private:
  QSize natural_;
  QImage image_;
};

PreviewForm::PreviewForm(Desktop& desktop) : QWidget(nullptr, Qt::Window), desktop_(desktop) {
  setObjectName("PreviewForm");
  setWindowTitle(kPreviewCaption);
  // The console keeps the focus: the user goes on moving its sliders.
  setAttribute(Qt::WA_ShowWithoutActivating);
  const BoardConstants& b = desktop_.State().engine.board;
  view_ = new PreviewPicture(QSize(ThumbnailSide(b.BoardWidth), ThumbnailSide(b.BoardHeight)), this);
  status_ = new QLabel(this);
  status_->setObjectName("PreviewStatus");
  status_->setTextFormat(Qt::PlainText);
  // Its line is there from the start, so that the first words do not squeeze the picture.
  status_->setFixedHeight(status_->fontMetrics().height());
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(6, 6, 6, 6);
  column->addWidget(view_, 1);
  column->addWidget(status_);
  // Twice the small picture's size to begin with: large enough to see a tile's detail.
  adjustSize();
  worker_ = std::jthread([this](std::stop_token stop) { Work(stop); });
}

PreviewForm::~PreviewForm() {
  // The worker drops what it makes and ends before the window goes.
  newest_ = 0;
  worker_.request_stop();
  wake_.notify_all();
  worker_.join();
}

void PreviewForm::Request() {
  if (paused_) return;
  PreviewRequest request = MakePreviewRequest(desktop_.State(), square_, grid_);
  if (last_ && last_->SamePicture(request)) return;
  last_ = request;
  ++requests_;
  {
    std::lock_guard lock(mutex_);
    pending_ = std::move(request);
    pendingGeneration_ = ++generation_;
    newest_ = pendingGeneration_;
  }
  wake_.notify_one();
}

void PreviewForm::Stop() {
  std::lock_guard lock(mutex_);
  pending_.reset();
  // No request has this number: whatever is being made is dropped, and so is a picture
  // that was finished but not yet shown.
  droppedBefore_ = ++generation_;
  newest_ = droppedBefore_;
  last_.reset();
}

void PreviewForm::SetPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  if (paused) {
    Stop();
    status_->setText("Paused while the job runs.");
  } else {
    status_->clear();
  }
}

void PreviewForm::Work(std::stop_token stop) {
  PreviewRenderer renderer;
  for (;;) {
    PreviewRequest request;
    uint64_t generation = 0;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return pending_.has_value(); })) return;
      request = std::move(*pending_);
      pending_.reset();
      generation = pendingGeneration_;
    }
    const auto start = std::chrono::steady_clock::now();
    std::optional<PreviewResult> result;
    try {
      result = renderer.Render(request, [this, generation, &stop] {
        return stop.stop_requested() || newest_.load(std::memory_order_relaxed) != generation;
      });
    } catch (const std::exception& e) {
      // What the system refuses (memory, a thread) ends this picture, not the program.
      result = PreviewResult{{}, e.what(), false};
    }
    if (!result) continue;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    QMetaObject::invokeMethod(
        this, [this, generation, r = std::move(*result), ms]() mutable { Finished(generation, std::move(r), ms); },
        Qt::QueuedConnection);
  }
}

void PreviewForm::Finished(uint64_t generation, PreviewResult result, double milliseconds) {
  if (generation <= shownGeneration_ || generation <= droppedBefore_) return;
  shownGeneration_ = generation;
  if (!result.message.empty()) {
    status_->setText(QString::fromStdString(result.message));
    return;
  }
  shown_ = std::move(result.picture);
  view_->SetImage(ImageOfPicture(shown_));
  status_->setText(QString("%1 x %2 pixels, made in %3 ms%4")
                       .arg(shown_.Width())
                       .arg(shown_.Height())
                       .arg(static_cast<int>(milliseconds + 0.5))
                       .arg(result.gridBuilt ? " with a new tile grid" : ""));
  ++picturesShown_;
  emit PictureShown();
}

void PreviewForm::closeEvent(QCloseEvent* event) {
  event->accept();
  emit Closed();
}

}  // namespace marvane
