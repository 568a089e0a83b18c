#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <QByteArray>
#include <QColorSpace>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/picture_writers.h"

namespace marvane {

// TIFF, written with libtiff: 8-bit RGB in strips of rows, each strip deflated after the
// horizontal predictor has turned its bytes into differences from their left neighbour,
// with the sRGB profile embedded. Deflate at its fastest level, handed whole strips (which
// lets libtiff use libdeflate), makes the program's renders smaller than LZW does, and in
// half the time.
//
// libtiff seeks back to fill in its directory, so it writes a file it can seek in, through
// our own procedures: for a file, OutputFile's private file, whose Finish() then makes it
// durable and Commit() puts it in place; for a stream, an unnamed temporary file, copied
// into the stream once complete. Our procedures keep the system's reason for a write that
// fails, which libtiff's messages leave out.
namespace {

// About a megabyte of pixels a strip, and at least one row: enough for deflate to find
// its repeats, little enough to hold in memory.
constexpr uint64_t kStripBytes = uint64_t{1} << 20;

// The sRGB profile, as Qt makes it.
const QByteArray& SrgbProfile() {
  static const QByteArray profile = QColorSpace(QColorSpace::SRgb).iccProfile();
  return profile;
}

// A classic TIFF holds offsets of 32 bits. Deflate makes a strip at most a few bytes a
// kilobyte larger than its pixels, so the pixels with a 1/128 margin, the strips' tables
// and a megabyte for the directory and the profile stay below 4 GB, or the file is a
// BigTIFF (which fewer programs read).
bool NeedsBigTiff(uint64_t pixelBytes, uint64_t strips) {
  return pixelBytes + pixelBytes / 128 + strips * 16 + (uint64_t{1} << 20) > UINT32_MAX;
}

// An unnamed file in $TMPDIR (or /tmp), gone once closed; -1 with errno set when none
// can be made.
int OpenUnnamedTemporary(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  // A file system without O_TMPFILE: a named file, unlinked at once.
  std::string name = folder + "/.marvane-tiff-XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}

class TiffRowWriter : public CountedRowWriter {
 public:
  TiffRowWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre)
      : CountedRowWriter(out, width, height), rowBytes_(static_cast<uint64_t>(width) * 3) {
    rowsPerStrip_ = static_cast<uint32_t>(std::clamp<uint64_t>(kStripBytes / rowBytes_, 1, height));
    if (out_.Kind() == OutputKind::File) {
      fd_ = out_.Descriptor();
    } else {
      const char* tmp = std::getenv("TMPDIR");
      temporaryFolder_ = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
      fd_ = held_.fd = OpenUnnamedTemporary(temporaryFolder_);
      if (fd_ < 0)
        Fail("a temporary file for it cannot be made in \"" + temporaryFolder_ + "\" (" + std::strerror(errno) + ").");
    }
    strip_.resize(static_cast<size_t>(rowsPerStrip_ * rowBytes_));

    const uint64_t strips = (static_cast<uint64_t>(height) + rowsPerStrip_ - 1) / rowsPerStrip_;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Complained, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Warned, this);
    const bool big = NeedsBigTiff(rowBytes_ * static_cast<uint64_t>(height), strips);
    held_.tiff = tiff_ =
        TIFFClientOpenExt("picture", big ? "w8" : "w", this, Read, Write, Seek, Close, Size, Map, Unmap, options);
    TIFFOpenOptionsFree(options);
    if (tiff_ == nullptr) Failure();

    // Whole dots an inch where they give back the same pixels a metre (96 dpi is 3780),
    // for the programs that show only inches; else dots a centimetre, exact.
    const double dpi = std::round(pixelsPerMetre * 0.0254);
    const bool inches = dpi >= 1 && std::lround(dpi / 0.0254) == pixelsPerMetre;
    const double resolution = inches ? dpi : pixelsPerMetre / 100.0;
    const QByteArray& profile = SrgbProfile();
    const bool set =
        TIFFSetField(tiff_, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)) &&
        TIFFSetField(tiff_, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)) &&
        TIFFSetField(tiff_, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tiff_, TIFFTAG_SAMPLESPERPIXEL, 3) &&
        TIFFSetField(tiff_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
        TIFFSetField(tiff_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
        TIFFSetField(tiff_, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
        TIFFSetField(tiff_, TIFFTAG_ROWSPERSTRIP, rowsPerStrip_) &&
        TIFFSetField(tiff_, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
        TIFFSetField(tiff_, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
        TIFFSetField(tiff_, TIFFTAG_ZIPQUALITY, 1) &&
        TIFFSetField(tiff_, TIFFTAG_RESOLUTIONUNIT, inches ? RESUNIT_INCH : RESUNIT_CENTIMETER) &&
        TIFFSetField(tiff_, TIFFTAG_XRESOLUTION, resolution) && TIFFSetField(tiff_, TIFFTAG_YRESOLUTION, resolution) &&
        (profile.isEmpty() ||
         TIFFSetField(tiff_, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()), profile.constData()));
    if (!set) Failure();
  }

  // A writer given up: libtiff's cleaning up would write its directory, which nothing
  // wants any more, into a descriptor that may be closed by now.
  ~TiffRowWriter() override { givenUp_ = true; }

  void WriteRows(const int32_t* pixels, int32_t count) override {
    TakeRows(count);
    const auto width = static_cast<size_t>(width_);
    const int32_t first = rowsDone_ - count;
    for (int32_t r = 0; r < count; ++r) {
      const int32_t* in = pixels + static_cast<size_t>(r) * width;
      unsigned char* out = strip_.data() + rowsInStrip_ * rowBytes_;
      for (size_t x = 0; x < width; ++x) {
        const auto v = static_cast<uint32_t>(in[x]);
        *out++ = static_cast<unsigned char>(v);
        *out++ = static_cast<unsigned char>(v >> 8);
        *out++ = static_cast<unsigned char>(v >> 16);
      }
      if (++rowsInStrip_ == rowsPerStrip_ || first + r + 1 == height_) WriteStrip();
    }
  }

  void Finish() override {
    CheckAllRows();
    if (!TIFFFlush(tiff_)) Failure();
    TIFFClose(tiff_);
    tiff_ = held_.tiff = nullptr;
    if (held_.fd >= 0) CopyIntoStream();
    out_.Finish();
  }

 private:
  void WriteStrip() {
    if (TIFFWriteEncodedStrip(tiff_, stripIndex_, strip_.data(), static_cast<tmsize_t>(rowsInStrip_ * rowBytes_)) < 0)
      Failure();
    ++stripIndex_;
    rowsInStrip_ = 0;
  }

  // The temporary file, whole, into the stream.
  void CopyIntoStream() {
    std::vector<char> block(size_t{1} << 20);
    for (uint64_t at = 0; at < end_;) {
      const ssize_t n = ::pread(held_.fd, block.data(), std::min<uint64_t>(block.size(), end_ - at),
                                static_cast<off_t>(at));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) FailWriting(std::string(n < 0 ? std::strerror(errno) : "the temporary file ended early") +
                              " in the temporary file in \"" + temporaryFolder_ + "\"");
      if (!out_.Write(block.data(), static_cast<size_t>(n))) FailOutput();
      at += static_cast<uint64_t>(n);
    }
  }

  // After libtiff said no: the system's reason for a write it refused, else libtiff's.
  [[noreturn]] void Failure() {
    givenUp_ = true;
    if (systemError_ != 0)
      FailWriting(std::strerror(systemError_) +
                  (temporaryFolder_.empty() ? "" : " in the temporary file in \"" + temporaryFolder_ + "\""));
    Fail("the picture could not be encoded (" + (error_.empty() ? std::string("libtiff gave no reason") : error_) +
         ").");
  }

  static TiffRowWriter& Of(thandle_t handle) { return *static_cast<TiffRowWriter*>(handle); }

  static tmsize_t Write(thandle_t handle, void* bytes, tmsize_t count) {
    TiffRowWriter& w = Of(handle);
    if (w.givenUp_) return -1;
    const auto* at = static_cast<const char*>(bytes);
    for (tmsize_t done = 0; done < count;) {
      const ssize_t n = ::pwrite(w.fd_, at + done, static_cast<size_t>(count - done), static_cast<off_t>(w.at_));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (w.systemError_ == 0) w.systemError_ = n < 0 ? errno : ENOSPC;
        return done > 0 ? done : -1;
      }
      done += n;
      w.at_ += static_cast<uint64_t>(n);
      w.end_ = std::max(w.end_, w.at_);
    }
    return count;
  }
  static tmsize_t Read(thandle_t handle, void* bytes, tmsize_t count) {
    TiffRowWriter& w = Of(handle);
    const ssize_t n = ::pread(w.fd_, bytes, static_cast<size_t>(count), static_cast<off_t>(w.at_));
    if (n > 0) w.at_ += static_cast<uint64_t>(n);
    return n;
  }
  static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    TiffRowWriter& w = Of(handle);
    w.at_ = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? w.at_ : w.end_) + offset;
    return w.at_;
  }
  static int Close(thandle_t) { return 0; }  // the descriptor is closed by its owner
  static toff_t Size(thandle_t handle) { return Of(handle).end_; }
  static int Map(thandle_t, void**, toff_t*) { return 0; }
  static void Unmap(thandle_t, void*, toff_t) {}

  // libtiff's first complaint is the one that says what went wrong.
  static int Complained(TIFF*, void* self, const char* module, const char* format, va_list args) {
    TiffRowWriter& w = *static_cast<TiffRowWriter*>(self);
    if (w.error_.empty() && !w.givenUp_) {
      char text[512];
      std::vsnprintf(text, sizeof text, format, args);
      w.error_ = module != nullptr && *module != '\0' ? std::string(module) + ": " + text : text;
    }
    return 1;  // handled: nothing on the standard error
  }
  static int Warned(TIFF*, void*, const char*, const char*, va_list) { return 1; }

  const uint64_t rowBytes_;
  uint32_t rowsPerStrip_ = 1;
  std::vector<unsigned char> strip_;
  uint32_t rowsInStrip_ = 0, stripIndex_ = 0;
  TIFF* tiff_ = nullptr;
  int fd_ = -1;  // the file libtiff writes
  std::string temporaryFolder_;
  uint64_t at_ = 0, end_ = 0;  // libtiff's position in the file, and the file's length
  int systemError_ = 0;        // the first write the system refused
  std::string error_;          // libtiff's first complaint
  bool givenUp_ = false;
  // What is ours to free, last so as to go first: a constructor that raised frees it too,
  // while the procedures libtiff calls on its way out still find the members above.
  struct Held {
    TIFF* tiff = nullptr;
    int fd = -1;  // the temporary file of a stream
    ~Held() {
      if (tiff != nullptr) TIFFCleanup(tiff);
      if (fd >= 0) ::close(fd);
    }
  } held_;
};

}  // namespace

std::unique_ptr<RowWriter> OpenTiffWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre) {
  return std::make_unique<TiffRowWriter>(out, width, height, pixelsPerMetre);
}

}  // namespace marvane
