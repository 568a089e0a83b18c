// marvane-make-art: draws the pictures the program ships, at build time.
//   marvane-make-art tile OUT            the default tile (BMP, or PNG by its name)
//   marvane-make-art splash SAMPLE OUT   the splash picture, from a picture the renderer made
//   marvane-make-art icon SAMPLE OUT [SIDE]
//                                        the desktop icon (PNG with a transparent ground),
//                                        SIDE pixels a side (default 256)
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

#include "platform/picture_files.h"
#include "tools/default_tile.h"
#include "tools/title_pictures.h"

namespace {

constexpr int kIconSide = 256;
constexpr int kIconSideLimit = 1024;

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
    if (what == "icon" && (argc == 4 || argc == 5)) {
      // Each size is drawn from the sample itself, not scaled from another size, so the
      // rim stays sharp at 16 pixels.
      const int side = argc == 5 ? std::atoi(argv[4]) : kIconSide;
      if (side < 16 || side > kIconSideLimit) throw std::runtime_error("the icon side must be 16 to 1024");
      SaveIcon(MakeIconImage(LoadPictureFile(argv[2], 0), side), argv[3]);
      return 0;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marvane-make-art: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: marvane-make-art tile OUT | splash SAMPLE OUT | icon SAMPLE OUT [SIDE]\n");
  return 2;
}
