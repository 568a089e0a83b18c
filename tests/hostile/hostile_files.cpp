#include "hostile/hostile_files.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <filesystem>
#include <random>

#include "platform/picture_file_makers.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

std::string Bytes(const QByteArray& b) { return std::string(b.constData(), static_cast<size_t>(b.size())); }

void Put(const std::string& path, const std::string& bytes) { WriteFileBytes(path, bytes); }

void PutLe32(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFFu);
}

std::string GoodBmp(int w, int h) {
  test::BmpSpec spec;
  spec.width = w;
  spec.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) spec.pixels.push_back(test::PatternColour(x, y));
  return Bytes(test::MakeBmp(spec));
}

std::string GoodJpeg() {
  return Bytes(test::MakeFlatBlockJpeg(48, 40, 3, [](int bx, int by) {
    return std::array<uint8_t, 4>{static_cast<uint8_t>(bx * 40), static_cast<uint8_t>(by * 50), 90, 0};
  }));
}

// A GIF whose image data keeps its sub-block framing but whose codes are nonsense: a
// code far beyond any the table holds comes first, where only a clear code or a
// colour may stand.
std::string BrokenLzwGif() {
  std::vector<uint8_t> indices(20 * 20);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % 4);
  const QByteArray good = test::MakeGif(20, 20, {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)},
                                        {test::GifFrame{0, 0, 20, 20, indices, -1}});
  std::string bytes = Bytes(good);
  // Header (13) and a 4-entry colour table (12), the image descriptor (10), then the
  // code-size byte and the first sub-block's length.
  const size_t codeSize = 13 + 12 + 10;
  const size_t blockLength = codeSize + 1;
  const auto length = static_cast<uint8_t>(bytes[blockLength]);
  for (size_t i = 0; i < length; ++i) bytes[blockLength + 1 + i] = static_cast<char>(0xFF);
  return bytes;
}

std::string HugeScreenGif() {
  static constexpr unsigned char kBytes[] = {
      0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x0a, 0x27, 0x0a, 0x25, 0x81, 0x00, 0x00, 0x5b, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00,
      0xff, 0x00, 0x00, 0x00, 0xff, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01};
  return std::string(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
}

std::string BadIfdTiff() {
  test::TiffPage page;
  page.width = 20;
  page.height = 20;
  page.samples.assign(20 * 20 * 3, 128);
  std::string bytes = Bytes(test::MakeTiff({page}));
  // The first directory's offset, right after the byte order and the 42.
  PutLe32(bytes, 4, 0x7FFFFFF0u);
  return bytes;
}

std::string RandomBytes() {
  std::mt19937 random(20261206);
  std::string bytes(8192, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFFu);
  bytes[0] = 'R';  // never the start of a signature
  return bytes;
}

}  // namespace

std::string GoodPngBytes() {
  const QImage image = test::PatternImage(40, 30);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "png");
  return Bytes(bytes);
}

std::vector<HostileFile> HostileFiles() {
  const std::string damaged = "the picture in it is damaged or incomplete.";
  const std::string notOurs = "it is not a BMP, JPG, TIF, GIF or PNG picture.";
  return {
      {"ZeroBytesAsBmp", "empty.bmp", [](const std::string& p) { Put(p, ""); }, "the file is empty.", false},
      {"TextAsJpg", "notes.jpg", [](const std::string& p) { Put(p, "These are my notes, not a picture.\n"); }, notOurs, false},
      {"TruncatedJpeg", "cut.jpg",
       [](const std::string& p) {
         const std::string jpeg = GoodJpeg();
         Put(p, jpeg.substr(0, jpeg.size() * 2 / 3));
       },
       damaged, false},
      {"TruncatedBmp", "cut.bmp", [](const std::string& p) { Put(p, GoodBmp(40, 40).substr(0, 2000)); }, damaged, false},
      {"BmpDeclaring30000Square", "huge.bmp",
       [](const std::string& p) {
         std::string bmp = GoodBmp(10, 10);
         PutLe32(bmp, 18, 30000);
         PutLe32(bmp, 22, 30000);
         Put(p, bmp);
       },
       "the picture is 30000 x 30000 pixels, and this program reads pictures of at most 16384 pixels on a side.", false},
      {"JpegDeclaring60000Square", "huge.jpg",
       [](const std::string& p) {
         Put(p, Bytes(test::WithJpegFrameSize(QByteArray::fromStdString(GoodJpeg()), 60000, 60000)));
       },
       "the picture is 60000 x 60000 pixels, and this program reads pictures of at most 16384 pixels on a side.", false},
      // Found by fuzzing: 39 bytes whose logical screen is 9994 x 9482, which Qt fills
      // in full (close to 400 MB) although the only frame is empty.
      {"GifDeclaringAHugeScreen", "screen.gif", [](const std::string& p) { Put(p, HugeScreenGif()); },
       "the picture is 9994 x 9482 pixels, and this program reads at most 4194304 pixels for a picture of this kind.", false},
      {"GifWithBrokenLzw", "broken.gif", [](const std::string& p) { Put(p, BrokenLzwGif()); }, damaged, false},
      {"TiffWithBadIfdOffset", "bad.tif", [](const std::string& p) { Put(p, BadIfdTiff()); }, damaged, false},
      {"RandomBytes", "noise.bmp", [](const std::string& p) { Put(p, RandomBytes()); }, notOurs, false},
      {"FolderNamedTileBmp", "tile.bmp", [](const std::string& p) { std::filesystem::create_directory(p); },
       "it is a folder, not a picture file.", false},
      {"UnreadableFile", "locked.bmp",
       [](const std::string& p) {
         Put(p, GoodBmp(20, 20));
         ::chmod(p.c_str(), 0);
       },
       "this program is not allowed to read it.", true},
  };
}

}  // namespace marvane::testing
