#include "tools/title_pictures.h"
#include "platform/picture_image.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <stdexcept>

namespace marvane {

namespace {

// DejaVu comes with the font configuration every Qt program on Debian pulls in; when it
// is missing Qt picks another sans-serif and the title still prints.
QFont TitleFont(double pixelSize, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setBold(bold);
  font.setPixelSize(static_cast<int>(pixelSize));
  return font;
}

// The part of `image` that covers `width` x `height` when scaled to fill it, cut
// around the middle so the spiral's centre stays in the middle.
QImage CoverCut(const QImage& image, int width, int height) {
  if (image.isNull()) throw std::invalid_argument("the sample picture is empty");
  const QImage scaled =
      image.scaled(width, height, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
  return scaled.copy((scaled.width() - width) / 2, (scaled.height() - height) / 2, width, height);
}

// Text as an outline path, horizontally centred on `centreX` with its baseline at `baseline`.
QPainterPath CentredText(const QString& text, const QFont& font, double centreX, double baseline) {
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF box = path.boundingRect();
  path.translate(centreX - box.center().x(), baseline);
  return path;
}

}  // namespace

Picture FromQImage(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  Picture picture(rgb.width(), rgb.height(), 0);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x)
      picture.PSet(x, y, qRed(line[x]) + 256 * qGreen(line[x]) + 65536 * qBlue(line[x]));
  }
  return picture;
}

Picture MakeSplashPicture(const Picture& sample) {
  QImage splash = CoverCut(ImageOfPicture(sample), kSplashWidth, kSplashHeight);
  QPainter painter(&splash);
  painter.setRenderHint(QPainter::Antialiasing);

  // A dark band that fades in from the spiral, so the title reads on any colours.
  const QRectF band(0, kSplashHeight - 112, kSplashWidth, 112);
  QLinearGradient shade(band.topLeft(), band.bottomLeft());
  shade.setColorAt(0.0, QColor(8, 4, 20, 0));
  shade.setColorAt(0.35, QColor(8, 4, 20, 190));
  shade.setColorAt(1.0, QColor(8, 4, 20, 225));
  painter.fillRect(band, shade);

  const QPainterPath title =
      CentredText(QStringLiteral("Marvane"), TitleFont(64, true), kSplashWidth / 2.0, kSplashHeight - 40);
  painter.setPen(QPen(QColor(10, 6, 24), 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(title);
  QLinearGradient gold(0, kSplashHeight - 100, 0, kSplashHeight - 40);
  gold.setColorAt(0.0, QColor(255, 252, 235));
  gold.setColorAt(1.0, QColor(255, 196, 64));
  painter.setPen(Qt::NoPen);
  painter.setBrush(gold);
  painter.drawPath(title);

  const QPainterPath line = CentredText(QStringLiteral("spiral pictures from one small tile"),
                                        TitleFont(15, false), kSplashWidth / 2.0, kSplashHeight - 16);
  painter.setBrush(QColor(235, 230, 255));
  painter.drawPath(line);
  painter.end();
  return FromQImage(splash);
}

QImage MakeIconImage(const Picture& sample, int32_t side) {
  const QImage square = CoverCut(ImageOfPicture(sample), side, side);
  QImage icon(side, side, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  const double rim = std::max(2.0, side / 48.0);
  const QRectF disc(rim / 2, rim / 2, side - rim, side - rim);
  QPainterPath round;
  round.addEllipse(disc);
  painter.setClipPath(round);
  painter.drawImage(0, 0, square);
  painter.setClipping(false);
  painter.setPen(QPen(QColor(10, 6, 24), rim));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(disc);
  painter.end();
  return icon;
}

}  // namespace marvane
