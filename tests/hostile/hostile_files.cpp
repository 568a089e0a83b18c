#include "hostile/hostile_files.h"

#include "support/temp_folder.h"  // and with it <filesystem> and chmod

namespace marvane::testing {

// Most are copies of the committed files that tests/data/pictures/make.py makes.
static const std::string kPictures = MARVANE_TEST_DATA "/pictures/";
static std::function<void(const std::string&)> Copy(const std::string& name) {
  return [=](const std::string& path) { std::filesystem::copy_file(kPictures + name, path); };
}

std::string GoodPngBytes() { return ReadFileBytes(kPictures + "PngRgb.png"); }

std::vector<HostileFile> HostileFiles() {
  const std::string damaged = "the picture in it is damaged or incomplete.";
  const std::string notOurs = "it is not a BMP, JPG, TIF, GIF or PNG picture.";
  const std::string side = " pixels, and this program reads pictures of at most 16384 pixels on a side.";
  return {
      {"ZeroBytesAsBmp", "empty.bmp", Copy("Empty.bin"), "the file is empty."},
      {"TextAsJpg", "notes.jpg", Copy("Notes.txt"), notOurs},
      {"TruncatedJpeg", "cut.jpg", Copy("JpegCut.jpg"), damaged},
      {"TruncatedBmp", "cut.bmp", Copy("BmpCut.bmp"), damaged},
      {"BmpOfNoColumns", "narrow.bmp",
       [](const std::string& p) { WriteFileBytes(p, ReadFileBytes(kPictures + "Bmp24.bmp").replace(18, 4, 4, '\0')); },
       damaged},
      {"BmpDeclaring30000Square", "huge.bmp", Copy("Bmp30000Square.bmp"), "the picture is 30000 x 30000" + side},
      {"JpegDeclaring60000Square", "huge.jpg", Copy("Jpeg60000Square.jpg"), "the picture is 60000 x 60000" + side},
      {"GifDeclaringAHugeScreen", "screen.gif", Copy("GifHugeScreen.gif"),
       "the picture is 9994 x 9482 pixels, and this program reads at most 4194304 pixels for a picture of this kind."},
      {"GifWithBrokenLzw", "broken.gif", Copy("GifBrokenCodes.gif"), damaged},
      {"TiffWithBadIfdOffset", "bad.tif", Copy("TiffBadDirectory.tif"), damaged},
      {"RandomBytes", "noise.bmp", Copy("Noise.bin"), notOurs},
      {"FolderNamedTileBmp", "tile.bmp", [](const std::string& p) { std::filesystem::create_directory(p); },
       "it is a folder, not a picture file."},
      {"UnreadableFile", "locked.bmp", [](const std::string& p) { Copy("Bmp24.bmp")(p); ::chmod(p.c_str(), 0); },
       "this program is not allowed to read it.", true},
  };
}

}  // namespace marvane::testing
