#pragma once
// A drawing surface on screen: shows one of the program's Pictures, pixel for pixel,
// inside an optional sunken border. The Picture belongs to the application state; the
// view only looks at it, converting it afresh whenever it repaints.
#include <QFrame>
#include <QImage>

namespace marvane {

class Picture;

class PictureView : public QFrame {
  Q_OBJECT
 public:
  // `border` is the width of the sunken frame on each side; 0 for none.
  PictureView(const Picture& picture, int border, QWidget* parent = nullptr);

  // Takes the picture's present size (the view is exactly as large as the picture and
  // its border) and repaints.
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Picture& picture_;
  int border_;
};

}  // namespace marvane
