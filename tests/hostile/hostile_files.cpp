#include "hostile/hostile_files.h"

#include <sys/stat.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

// Most are copies of the committed files made by tests/data/pictures/make.py.
const std::string kPictures = MARVANE_TEST_DATA "/pictures/";
std::function<void(const std::string&)> Copy(const std::string& name) {
  return [=](const std::string& path) { std::filesystem::copy_file(kPictures + name, path); };
}

}  // namespace

std::string GoodPngBytes() { return ReadFileBytes(kPictures + "png-rgb.png"); }

std::vector<HostileFile> HostileFiles() {
  const std::string damaged = "the picture in it is damaged or incomplete.";
  const std::string notOurs = "it is not a BMP, JPG, TIF, GIF or PNG picture.";
  const std::string side = " pixels, and this program reads pictures of at most 16384 pixels on a side.";
  return {
      {"ZeroBytesAsBmp", "empty.bmp", Copy("empty.bin"), "the file is empty."},
      {"TextAsJpg", "notes.jpg", Copy("notes.txt"), notOurs},
      {"TruncatedJpeg", "cut.jpg", Copy("jpeg-cut.jpg"), damaged},
      {"TruncatedBmp", "cut.bmp", Copy("bmp-cut.bmp"), damaged},
      {"BmpDeclaring30000Square", "huge.bmp", Copy("bmp-30000-square.bmp"), "the picture is 30000 x 30000" + side},
      {"JpegDeclaring60000Square", "huge.jpg", Copy("jpeg-60000-square.jpg"), "the picture is 60000 x 60000" + side},
      {"GifDeclaringAHugeScreen", "screen.gif", Copy("gif-huge-screen.gif"),
       "the picture is 9994 x 9482 pixels, and this program reads at most 4194304 pixels for a picture of this kind."},
      {"GifWithBrokenLzw", "broken.gif", Copy("gif-broken-codes.gif"), damaged},
      {"TiffWithBadIfdOffset", "bad.tif", Copy("tiff-bad-directory.tif"), damaged},
      {"RandomBytes", "noise.bmp", Copy("noise.bin"), notOurs},
      {"FolderNamedTileBmp", "tile.bmp", [](const std::string& p) { std::filesystem::create_directory(p); },
       "it is a folder, not a picture file."},
      {"UnreadableFile", "locked.bmp", [](const std::string& p) { Copy("bmp-24.bmp")(p); ::chmod(p.c_str(), 0); },
       "this program is not allowed to read it.", true},
  };
}

}  // namespace marvane::testing
