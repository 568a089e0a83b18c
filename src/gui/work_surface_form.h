#pragma once
// A window that shows one of the program's large pictures: the two work surfaces (whose
// drawing area is the board) and the full-size final image.
#include <QSize>
#include <QWidget>

namespace marvane {

class Picture;
class PictureView;

class WorkSurfaceForm : public QWidget {
  Q_OBJECT
 public:
  WorkSurfaceForm(const QString& name, const QString& caption, const Picture& picture);

  PictureView& Surface() { return *surface_; }
  // Follows the picture's size and repaints it if the window is on screen.
  void Refresh();

 protected:
  // Closing the window only puts it away: the picture it holds (the tile grid on the
  // first work surface) is still needed, and the pipeline shows the window again.
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FitToPicture();

  PictureView* surface_;
  QSize fittedTo_;  // the picture size the window was last fitted to on screen
};

}  // namespace marvane
