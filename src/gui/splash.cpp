#include "gui/splash.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include "gui/picture_view.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/share_files.h"
#include "platform/picture_image.h"

namespace marvane {

namespace {

constexpr const char* kSplashFileName = "splash.bmp";

QImage PlainTitle() {
  QImage image(kSplashPictureWidth, kSplashPictureHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient ground(0, 0, 0, kSplashPictureHeight);
  ground.setColorAt(0, QColor(24, 28, 48));
  ground.setColorAt(1, QColor(70, 30, 80));
  painter.fillRect(image.rect(), ground);
  painter.setPen(QColor(250, 240, 200));
  QFont title("Serif", 40, QFont::Bold);
  painter.setFont(title);
  painter.drawText(image.rect().adjusted(0, 0, 0, -40), Qt::AlignCenter, "Marvane");
  QFont line("Sans", 11);
  painter.setFont(line);
  painter.drawText(image.rect().adjusted(0, 90, 0, 0), Qt::AlignCenter, "spiral pictures from a single tile");
  return image;
}

}  // namespace

QImage SplashPicture() {
  const std::string file = FindShareFile(kSplashFileName);
  if (!file.empty()) {
    try {
      const QImage picture = ImageOfPicture(LoadPictureFile(file, 0));
      if (picture.size() == QSize(kSplashPictureWidth, kSplashPictureHeight)) return picture;
      return picture.scaled(kSplashPictureWidth, kSplashPictureHeight, Qt::IgnoreAspectRatio,
                            Qt::SmoothTransformation);
    } catch (const RunTimeError&) {
      // A damaged picture is no reason to hold up the start: the title stands in.
    }
  }
  return PlainTitle();
}

Splash::Splash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("Splash");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kSplashPictureWidth, kSplashPictureHeight);
  SplashImage = new QLabel(this);
  SplashImage->setObjectName("SplashImage");
  SplashImage->setGeometry(0, 0, kSplashPictureWidth, kSplashPictureHeight);
  SplashImage->setPixmap(QPixmap::fromImage(SplashPicture()));
  // The window's own pointer: over the splash the user sees that the program is busy.
  setCursor(Qt::WaitCursor);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
  SplashTimer = new QTimer(this);
  SplashTimer->setObjectName("SplashTimer");
  SplashTimer->setSingleShot(true);
  SplashTimer->setTimerType(Qt::PreciseTimer);
  connect(SplashTimer, &QTimer::timeout, this, &Splash::SplashTimer_Timer);
  SplashTimer->start(kSplashMilliseconds);
}

void Splash::SplashTimer_Timer() {
  emit Unloaded();
  close();
}

}  // namespace marvane
