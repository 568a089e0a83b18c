// marvane-make-art: draws the pictures the program ships, at build time.
//   marvane-make-art tile OUT            the default tile (BMP, or PNG by its name)
//   marvane-make-art splash SAMPLE OUT   the splash picture, from a picture the renderer made
//   marvane-make-art icon SAMPLE OUT     the desktop icon (PNG with a transparent ground)
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "platform/picture_files.h"
#include "tools/default_tile.h"
#include "tools/title_pictures.h"

namespace {

constexpr int kIconSide = 256;

void SaveIcon(const QImage& icon, const std::string& path) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly) || !icon.save(&file, "PNG") || !file.commit())
    throw std::runtime_error("cannot write the icon " + path);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace marvane;
  // Fonts need a GUI application; no window is ever shown.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string what = argc > 1 ? argv[1] : "";
  try {
    if (what == "tile" && argc == 3) {
      SavePictureFile(DrawDefaultTile(), argv[2]);
      return 0;
    }
    if (what == "splash" && argc == 4) {
      SavePictureFile(MakeSplashPicture(LoadPictureFile(argv[2], 0)), argv[3]);
      return 0;
    }
    if (what == "icon" && argc == 4) {
      SaveIcon(MakeIconImage(LoadPictureFile(argv[2], 0), kIconSide), argv[3]);
      return 0;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marvane-make-art: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: marvane-make-art tile OUT | splash SAMPLE OUT | icon SAMPLE OUT\n");
  return 2;
}
