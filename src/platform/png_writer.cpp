#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "platform/picture_writers.h"

namespace marvane {

// PNG, written with libpng: each row filtered by its left neighbour's difference and
// compressed by zlib's run-length strategy at its fastest level. For the smooth
// pictures this program makes that is many times quicker than Qt's writer (which
// tries every filter on every row) for files about as small. libpng reports errors by
// a jump back to setjmp, so nothing between the two owns anything to destroy.
namespace {

class PngRowWriter : public CountedRowWriter {
 public:
  PngRowWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre)
      : CountedRowWriter(out, width, height), row_(static_cast<size_t>(width) * 3) {
    png_.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, Failed, Warned);
    if (png_.png != nullptr) png_.info = png_create_info_struct(png_.png);
    if (png_.info == nullptr) Fail("there is not enough memory for the picture.");
    if (setjmp(png_jmpbuf(png_.png))) Failure();
    png_set_write_fn(png_.png, &out_, Put, Flush);
    // libpng refuses sides past a million unless told otherwise; PNG itself takes 2^31 - 1.
    png_set_user_limits(png_.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png_.png, png_.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const auto resolution = static_cast<png_uint_32>(pixelsPerMetre);
    png_set_pHYs(png_.png, png_.info, resolution, resolution, PNG_RESOLUTION_METER);
    png_set_filter(png_.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png_.png, 1);
    png_set_compression_strategy(png_.png, Z_RLE);
    png_write_info(png_.png, png_.info);
  }
  void WriteRows(const int32_t* pixels, int32_t count) override {
    TakeRows(count);
    if (setjmp(png_jmpbuf(png_.png))) Failure();
    const auto width = static_cast<size_t>(width_);
    for (int32_t r = 0; r < count; ++r) {
      const int32_t* in = pixels + static_cast<size_t>(r) * width;
      for (size_t x = 0; x < width; ++x) {
        const auto v = static_cast<uint32_t>(in[x]);
        row_[3 * x] = static_cast<png_byte>(v);
        row_[3 * x + 1] = static_cast<png_byte>(v >> 8);
        row_[3 * x + 2] = static_cast<png_byte>(v >> 16);
      }
      png_write_row(png_.png, row_.data());
    }
  }

  void Finish() override {
    CheckAllRows();
    if (setjmp(png_jmpbuf(png_.png))) Failure();
    png_write_end(png_.png, png_.info);
    out_.Finish();
  }

 private:
  static void Put(png_structp png, png_bytep data, size_t length) {
    if (!static_cast<OutputFile*>(png_get_io_ptr(png))->Write(data, length)) png_error(png, "write");
  }
  static void Flush(png_structp) {}
  // Kept for the message; the jump lands in the call that was running.
  [[noreturn]] static void Failed(png_structp png, png_const_charp message) {
    static_cast<PngRowWriter*>(png_get_error_ptr(png))->error_ = message;
    png_longjmp(png, 1);
  }
  static void Warned(png_structp, png_const_charp) {}

  // After libpng's jump: a write the system refused, or libpng's own complaint.
  [[noreturn]] void Failure() {
    if (!out_.WriteError().empty()) FailOutput();
    Fail("the picture could not be encoded (" + error_ + ").");
  }

  // Destroyed as a member, so that a constructor that raised leaves nothing behind too.
  struct Handles {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Handles() { png_destroy_write_struct(&png, &info); }
  } png_;
  std::vector<png_byte> row_;
  std::string error_;
};

}  // namespace

std::unique_ptr<RowWriter> OpenPngWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre) {
  return std::make_unique<PngRowWriter>(out, width, height, pixelsPerMetre);
}

}  // namespace marvane
