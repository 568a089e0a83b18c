#include "platform/picture_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRgba64>
#include <QSize>
#include <QString>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <memory>
#include <cstddef>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/picture_file_structure.h"
#include "platform/run_time_error.h"

namespace marvane {
namespace {

constexpr const char* kDamaged = "the picture in it is damaged or incomplete.";
constexpr const char* kNoMemory = "there is not enough memory for the picture.";

[[noreturn]] void CannotRead(const std::string& path, const std::string& why) {
  throw RunTimeError("Cannot read the picture file \"" + path + "\": " + why);
}

// Qt's allocation limit is one setting for the whole process. While a picture decodes
// it is lowered to what the picture's declared size can need, so that a decoder that
// meets more pixels than the header promised stops before it allocates them; the lock
// keeps two loads from trading limits.
class AllocationLimitForDeclaredSize {
 public:
  explicit AllocationLimitForDeclaredSize(QSize declared)
      : lock_(Mutex()), previous_(QImageReader::allocationLimit()) {
    // Qt's widest pixel is 16 bytes (four floats). Qt compares whole megabytes rounded
    // down, and reads 0 as "no limit", hence the one added.
    const uint64_t bytes = static_cast<uint64_t>(declared.width()) * static_cast<uint64_t>(declared.height()) * 16u;
    QImageReader::setAllocationLimit(static_cast<int>((bytes >> 20) + 1));
  }
  ~AllocationLimitForDeclaredSize() { QImageReader::setAllocationLimit(previous_); }
  AllocationLimitForDeclaredSize(const AllocationLimitForDeclaredSize&) = delete;
  AllocationLimitForDeclaredSize& operator=(const AllocationLimitForDeclaredSize&) = delete;

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  std::lock_guard<std::mutex> lock_;
  int previous_;
};

// One 16-bit channel with 16-bit alpha laid over an 8-bit background channel, rounded
// once to the nearest 8-bit value. The divisor is odd, so there are no ties. For a
// file with 8 bits per channel (c and a scaled by 257) this is exactly
// round((a * c + (255 - a) * back) / 255).
uint32_t OverBackground(uint32_t channel, uint32_t alpha, uint32_t back) {
  constexpr uint64_t kScale = 65535u * 257u;
  const uint64_t sum = uint64_t{alpha} * channel + uint64_t{65535u - alpha} * back * 257u;
  return static_cast<uint32_t>((2 * sum + kScale) / (2 * kScale));
}

// Every format Qt decodes to (indexed, grey, 8 or 16 bits, premultiplied or not) goes
// through 16-bit straight RGBA, a band of rows at a time so that a large picture never
// needs a second full-size copy.
Picture PictureFromImage(const QImage& image, int32_t backColor, const std::string& path) {
  const int width = image.width();
  const int height = image.height();
  Picture picture(width, height, backColor);
  const uint32_t backRed = static_cast<uint32_t>(backColor) & 0xFFu;
  const uint32_t backGreen = (static_cast<uint32_t>(backColor) >> 8) & 0xFFu;
  const uint32_t backBlue = (static_cast<uint32_t>(backColor) >> 16) & 0xFFu;
  constexpr int kBandRows = 64;
  for (int top = 0; top < height; top += kBandRows) {
    const int rows = std::min(kBandRows, height - top);
    const QImage band = image.copy(0, top, width, rows).convertToFormat(QImage::Format_RGBA64);
    if (band.isNull()) CannotRead(path, kNoMemory);
    for (int y = 0; y < rows; ++y) {
      const auto* line = reinterpret_cast<const QRgba64*>(band.constScanLine(y));
      int32_t* out = picture.Pixels().data() + static_cast<size_t>(top + y) * static_cast<size_t>(width);
      for (int x = 0; x < width; ++x) {
        const QRgba64 c = line[x];
        const uint32_t alpha = c.alpha();
        out[x] = static_cast<int32_t>(OverBackground(c.red(), alpha, backRed) |
                                      OverBackground(c.green(), alpha, backGreen) << 8 |
                                      OverBackground(c.blue(), alpha, backBlue) << 16);
      }
    }
  }
  return picture;
}

// The first block of a file, judged before the rest is read: every header we size a
// picture from is near the start, unless blocks of other data come first.
constexpr qint64 kFirstBlockBytes = 64 * 1024;
// Room in a file beside its pixels, for colour profiles, thumbnails, comments and the
// like.
constexpr int64_t kRoomBesidePixels = int64_t{64} << 20;

// The most bytes a file of a w x h picture can need: eight a pixel cover every layout
// we read stored uncompressed (16-bit red, green, blue and alpha is the widest).
int64_t LargestFileFor(int64_t w, int64_t h) { return kRoomBesidePixels + w * h * 8; }

std::span<const uint8_t> BytesOf(const QByteArray& data) {
  return {reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size())};
}

void RefuseTooLarge(const std::string& path, const DeclaredSize& declared, int64_t mostPixels) {
  const std::string size = std::to_string(declared.width) + " x " + std::to_string(declared.height);
  if (declared.width > kLargestPictureSide || declared.height > kLargestPictureSide)
    CannotRead(path, "the picture is " + size + " pixels, and this program reads pictures of at most " +
                         std::to_string(kLargestPictureSide) + " pixels on a side.");
  if (declared.width * declared.height > mostPixels)
    CannotRead(path, "the picture is " + size + " pixels, and this program reads at most " + std::to_string(mostPixels) +
                         " pixels for a picture of this kind.");
}

// Reads the file from where the first block ended up to the size it had when it was
// opened. A file that has become shorter since is refused; one that has grown is read
// as it was.
void ReadTheRest(QFile& file, QByteArray& data, qint64 size, const std::string& path) {
  qint64 have = data.size();
  data.resize(size);
  while (have < size) {
    const qint64 n = file.read(data.data() + have, size - have);
    if (n <= 0) break;
    have += n;
  }
  if (have == size) return;
  if (file.error() != QFileDevice::NoError)
    CannotRead(path, "it could not be read to its end (" + file.errorString().toStdString() + ").");
  CannotRead(path, "it became shorter while it was being read.");
}

const char* UserFormatName(PictureFileFormat format) {
  switch (format) {
    case PictureFileFormat::Bmp: return "BMP";
    case PictureFileFormat::Jpeg: return "JPG";
    case PictureFileFormat::Tiff: return "TIF";
    case PictureFileFormat::Gif: return "GIF";
    case PictureFileFormat::Png: return "PNG";
    case PictureFileFormat::Unknown: break;
  }
  return "unknown";
}

// What the first block of a file says: one of our formats, of a size we read, and so
// the most bytes the whole file may hold.
struct FirstBlock {
  qint64 largest = 0;
  std::string needs;  // "a picture of the size it declares" or "a picture this program reads"
};
FirstBlock JudgeFirstBlock(const QByteArray& data, const std::string& path, int64_t mostPixels) {
  const PictureFileFormat format = SniffPictureFileFormat(BytesOf(data));
  if (format == PictureFileFormat::Unknown) CannotRead(path, "it is not a BMP, JPG, TIF, GIF or PNG picture.");
  const std::optional<DeclaredSize> early = DeclaredPictureSize(format, BytesOf(data));
  if (early) RefuseTooLarge(path, *early, mostPixels);
  if (!early) return {LargestFileFor(kLargestPictureSide, kLargestPictureSide), "a picture this program reads"};
  return {LargestFileFor(early->width, early->height), "a picture of the size it declares"};
}

// A pipe or a character device (standard input, a named pipe): read as one stream to
// its end, judged as a file is, but by what has come so far since it has no size.
bool IsStream(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode));
}

// Reads until `data` holds `most` bytes or the stream ends; false on a read error.
bool ReadStream(int fd, QByteArray& data, qint64 most) {
  qint64 have = data.size();
  data.resize(most);
  while (have < most) {
    const ssize_t n = ::read(fd, data.data() + have, static_cast<size_t>(most - have));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    have += n;
  }
  data.resize(have);
  return true;
}

// The bytes of a stream, refused as soon as there are more than a picture of the size
// it declares (or the largest we read) can need.
QByteArray ReadPictureStream(const std::string& path, int64_t mostPixels) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) CannotRead(path, "it cannot be opened (" + std::string(std::strerror(errno)) + ").");
  const std::unique_ptr<int, void (*)(int*)> closing(new int(fd), [](int* f) { ::close(*f); delete f; });
  QByteArray data;
  if (!ReadStream(fd, data, kFirstBlockBytes))
    CannotRead(path, "it could not be read (" + std::string(std::strerror(errno)) + ").");
  if (data.isEmpty()) CannotRead(path, "nothing came from it.");
  const FirstBlock first = JudgeFirstBlock(data, path, mostPixels);
  if (!ReadStream(fd, data, first.largest + 1))
    CannotRead(path, "it could not be read to its end (" + std::string(std::strerror(errno)) + ").");
  if (data.size() > first.largest) CannotRead(path, "more bytes came from it than " + first.needs + " can need.");
  return data;
}

// The whole file, read into memory, never mapped: a mapped file that another program
// cuts short while we decode it ends the whole program (SIGBUS) at the first page past
// its new end, where a read only comes back short. Its first block is read and judged
// on its own, so that a large file that is none of our pictures, or whose header
// declares too many pixels, is refused for the cost of that block.
QByteArray ReadPictureFile(const std::string& path, int64_t mostPixels) {
  const QString name = QString::fromStdString(path);
  const QFileInfo info(name);
  if (!info.exists()) CannotRead(path, "the file does not exist.");
  if (info.isDir()) CannotRead(path, "it is a folder, not a picture file.");
  if (!info.isFile() && !IsStream(path)) CannotRead(path, "it is not an ordinary file.");
  if (!info.isReadable()) CannotRead(path, "this program is not allowed to read it.");
  if (!info.isFile()) return ReadPictureStream(path, mostPixels);

  QFile file(name);
  if (!file.open(QIODevice::ReadOnly))
    CannotRead(path, "it cannot be opened (" + file.errorString().toStdString() + ").");
  const qint64 size = file.size();
  if (size == 0) CannotRead(path, "the file is empty.");
  QByteArray data = file.read(std::min(size, kFirstBlockBytes));
  const FirstBlock first = JudgeFirstBlock(data, path, mostPixels);
  if (size > first.largest)
    CannotRead(path, "the file holds " + std::to_string(size) + " bytes, more than " + first.needs + " can need.");
  ReadTheRest(file, data, size, path);
  return data;
}

Picture DecodePictureFile(const std::string& path, int32_t backColor, int64_t mostPixels) {
  if (path.empty()) CannotRead(path, "no file name was given.");
  QByteArray data = ReadPictureFile(path, mostPixels);
  const PictureFileFormat format = SniffPictureFileFormat(BytesOf(data));
  const std::span<const uint8_t> bytes = BytesOf(data);

  const std::optional<DeclaredSize> declared = DeclaredPictureSize(format, bytes);
  if (!declared) CannotRead(path, kDamaged);
  RefuseTooLarge(path, *declared, mostPixels);
  if (!PictureRunsToItsEnd(format, bytes)) CannotRead(path, kDamaged);
  const QSize pictureSize(static_cast<int>(declared->width), static_cast<int>(declared->height));

  const std::string_view formatName = QtFormatName(format);
  const QByteArray qtFormat(formatName.data(), static_cast<qsizetype>(formatName.size()));
  // TIFF comes in a separate package of Qt plugins; without it a good file would
  // otherwise read as a damaged one. BMP and PNG are read by Qt itself: asking for the
  // list of formats would load every plugin, a good part of a small render's time.
  const bool builtIn = format == PictureFileFormat::Bmp || format == PictureFileFormat::Png;
  if (!builtIn && !QImageReader::supportedImageFormats().contains(qtFormat))
    CannotRead(path, std::string("it is a ") + UserFormatName(format) + " picture, and the reader for " +
                         UserFormatName(format) + " pictures is not installed.");
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, qtFormat);
  // Only the decoder for the format the bytes announce may try them, and pixels stay
  // where the file stores them, so the picture has the size its header declares.
  reader.setAutoDetectImageFormat(false);
  reader.setAutoTransform(false);
  QImage image;
  {
    const AllocationLimitForDeclaredSize limit(pictureSize);
    image = reader.read();
  }
  if (image.isNull() || image.size() != pictureSize) CannotRead(path, kDamaged);
  return PictureFromImage(image, backColor, path);
}

}  // namespace

Picture LoadPictureFile(const std::string& path, int32_t backColor, int64_t mostPixels) {
  try {
    return DecodePictureFile(path, backColor, mostPixels);
  } catch (const std::bad_alloc&) {
    CannotRead(path, kNoMemory);
  }
}

}  // namespace marvane
