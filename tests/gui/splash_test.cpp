// The splash window: up in front while the program starts, the hourglass over it, and
// gone by itself two seconds later without a click.
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include "gui/picture_view.h"
#include "gui/splash.h"
#include "gui/support/gui_run.h"
#include "platform/picture_files.h"
#include "platform/share_files.h"

namespace marvane::guitest {

class SplashTest : public QObject {
  Q_OBJECT

 private slots:
  void TheSplashShowsItsPictureAndGoesAfterTwoSeconds();
};

void SplashTest::TheSplashShowsItsPictureAndGoesAfterTwoSeconds() {
  GuiRun run;
  run.WriteTileGrid();
  QElapsedTimer clock;
  clock.start();
  QVERIFY(run.Start());
  QPointer<Splash> splash = run.desktop().SplashWindow();
  QVERIFY(splash);
  QVERIFY(splash->isVisible());
  QCOMPARE(splash->size(), QSize(475, 355));
  QCOMPARE(splash->cursor().shape(), Qt::WaitCursor);
  const QImage picture = splash->findChild<QLabel*>("SplashImage")->pixmap().toImage();
  QCOMPARE(picture.size(), QSize(475, 355));
  const std::string shipped = FindShareFile("splash.bmp");
  if (!shipped.empty())
    QCOMPARE(picture.convertToFormat(QImage::Format_RGB32), PictureImage(LoadPictureFile(shipped, 0)));
  else
    QVERIFY(picture.pixel(10, 10) != picture.pixel(237, 177));  // a title drawn on a ground

  // Still there well before two seconds, with the console ready behind it.
  QTest::qWait(1500 - static_cast<int>(clock.elapsed()));
  QVERIFY(splash);
  QVERIFY(splash->isVisible());
  QVERIFY(run.console().isVisible());
  // Gone by itself, without a click or a key; the program goes on.
  QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 2500);
  QVERIFY(clock.elapsed() >= 2000);
  QVERIFY(!run.desktop().SplashWindow());
  QCOMPARE(run.programEnds, 0);
  QVERIFY(run.console().isVisible());
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::SplashTest)
#include "splash_test.moc"
