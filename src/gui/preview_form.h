#pragma once
// The live preview window "Marvane -- Preview": the small picture for the values now on
// the console, redrawn as they change. The pictures are made on a worker thread of its
// own from a snapshot of the console (run/preview.h); the console hands over a request
// and goes on at once. Requests are numbered: a newer one cancels the one being made,
// and the window shows the newest picture that was finished.
#include <QImage>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/picture.h"
#include "run/preview.h"

class QCloseEvent;
class QLabel;

namespace marvane {

class Desktop;
class PreviewPicture;

inline constexpr const char* kPreviewCaption = "Marvane -- Preview";

class PreviewForm : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewForm(Desktop& desktop);
  ~PreviewForm() override;

  // Asks for the preview of the values on the console now, unless it would be the
  // picture last asked for. Nothing is asked while the preview is paused.
  void Request();
  // While a job runs the preview pauses: the picture being made is dropped, and none
  // is asked for until the job has ended, when the newest values are taken.
  void SetPaused(bool paused);
  // Stops the work: the picture being made is dropped and the last request forgotten.
  void Stop();

  // The picture on screen (empty before the first), and counts for those who watch:
  // requests handed to the worker, and pictures shown.
  const Picture& Shown() const { return shown_; }
  int Requests() const { return requests_; }
  int PicturesShown() const { return picturesShown_; }
  // Whether the outcome of the newest request is on screen.
  bool ShowsNewest() const { return generation_ > droppedBefore_ && shownGeneration_ == generation_; }

 signals:
  // The window was closed by its user.
  void Closed();
  // A newer picture is on screen.
  void PictureShown();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Work(std::stop_token stop);
  void Finished(uint64_t generation, PreviewResult result, double milliseconds);

  Desktop& desktop_;
  PreviewPicture* view_;
  QLabel* status_;
  Picture shown_;
  int requests_ = 0;
  int picturesShown_ = 0;
  bool paused_ = false;
  uint64_t generation_ = 0;      // the last number given out
  uint64_t shownGeneration_ = 0; // the request whose outcome is on screen
  uint64_t droppedBefore_ = 0;   // outcomes of requests up to this one are dropped

  // What the console last asked for, and the shared copies of its pictures.
  std::optional<PreviewRequest> last_;
  std::shared_ptr<const Picture> square_, grid_;

  // Between the console and the worker.
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::optional<PreviewRequest> pending_;
  uint64_t pendingGeneration_ = 0;
  std::atomic<uint64_t> newest_{0};  // the number the worker's picture must have to be kept
  std::jthread worker_;
};

}  // namespace marvane
