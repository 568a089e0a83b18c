#include "platform/png_rows.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/run_time_error.h"

namespace marvane {

namespace {

// libpng reports errors by a jump back to setjmp; the reader turns each into a raise
// from a function that owns nothing to destroy.
[[noreturn]] void PngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarned(png_structp, png_const_charp) {}

// The header, read into `info`; false when libpng jumped back with an error.
bool ReadHeader(png_structp png, png_infop info, FILE* file) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_set_sig_bytes(png, 8);
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_read_info(png, info);
  return true;
}

}  // namespace

void PngRowReader::Fail(const std::string& why) const {
  throw RunTimeError("Cannot read the band \"" + path_ + "\": " + why);
}

PngRowReader::PngRowReader(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) Fail(std::strerror(errno));
  png_byte signature[8];
  if (std::fread(signature, 1, 8, file_) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    std::fclose(file_);
    Fail("it is not a PNG file");
  }
  png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngWarned);
  info_ = png_ == nullptr ? nullptr : png_create_info_struct(png_);
  const bool damaged = png_ == nullptr || info_ == nullptr || !ReadHeader(png_, info_, file_);
  png_uint_32 w = 0, h = 0, xRes = 0, yRes = 0;
  int depth = 0, colour = 0, interlace = 0, unit = 0;
  if (!damaged) {
    png_get_IHDR(png_, info_, &w, &h, &depth, &colour, &interlace, nullptr, nullptr);
    if (png_get_pHYs(png_, info_, &xRes, &yRes, &unit) != 0 && unit == PNG_RESOLUTION_METER)
      pixelsPerMetre_ = static_cast<int32_t>(std::min<png_uint_32>(xRes, 0x7fffffff));
  }
  if (damaged || depth != 8 || colour != PNG_COLOR_TYPE_RGB || interlace != PNG_INTERLACE_NONE) {
    png_destroy_read_struct(&png_, &info_, nullptr);
    std::fclose(file_);
    Fail(damaged ? "it is damaged" : "it is not an 8-bit RGB PNG as this program writes bands");
  }
  width_ = static_cast<int32_t>(w), height_ = static_cast<int32_t>(h);
  row_.resize(static_cast<size_t>(w) * 3);
}

PngRowReader::~PngRowReader() {
  png_destroy_read_struct(&png_, &info_, nullptr);
  std::fclose(file_);
}

void PngRowReader::ReadRows(int32_t* pixels, int32_t count) {
  if (setjmp(png_jmpbuf(png_)) != 0) Fail("it is damaged or cut short");
  for (int32_t r = 0; r < count; ++r) {
    png_read_row(png_, row_.data(), nullptr);
    int32_t* out = pixels + static_cast<size_t>(r) * static_cast<size_t>(width_);
    for (int32_t x = 0; x < width_; ++x) {
      const png_byte* p = &row_[3 * static_cast<size_t>(x)];
      out[x] = p[0] | (p[1] << 8) | (p[2] << 16);
    }
  }
}

}  // namespace marvane
