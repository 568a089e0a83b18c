#pragma once
// The splash window: the title picture shown while the program starts. It takes the
// hourglass pointer when it loads and removes itself two seconds later, without
// waiting for a click or a key.
#include <QWidget>

class QLabel;
class QTimer;

namespace marvane {

inline constexpr int kSplashPictureWidth = 475;
inline constexpr int kSplashPictureHeight = 355;
inline constexpr int kSplashMilliseconds = 2000;

// The shipped splash picture, or, when it is missing or cannot be read, a plain title
// drawn on a dark ground. Always kSplashPictureWidth x kSplashPictureHeight.
QImage SplashPicture();

class Splash : public QWidget {
  Q_OBJECT
 public:
  Splash();

 signals:
  // The window has removed itself; it is deleted once control returns to the loop.
  void Unloaded();

 private:
  void SplashTimer_Timer();

  QLabel* SplashImage;
  QTimer* SplashTimer;
};

}  // namespace marvane
