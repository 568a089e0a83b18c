#include <png.h>
#include <zlib.h>

#include <vector>

#include "platform/picture_writers.h"

namespace marvane {

// PNG, written with libpng: each row filtered by its left neighbour's difference and
// compressed by zlib's run-length strategy at its fastest level. For the smooth
// pictures this program makes that is many times quicker than Qt's writer (which
// tries every filter on every row) for files about as small. libpng reports errors by
// a jump back to setjmp, so nothing between the two owns anything to destroy.
namespace {

void PngWrite(png_structp png, png_bytep data, size_t length) {
  if (!(*static_cast<const ByteSink*>(png_get_io_ptr(png)))(data, length)) png_error(png, "write");
}
void PngFlush(png_structp) {}
// Quiet: the caller reports a failure in its own words.
[[noreturn]] void PngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarned(png_structp, png_const_charp) {}

}  // namespace

bool WritePng(const Picture& picture, const ByteSink& put, int32_t pixelsPerMetre) {
  const auto width = static_cast<png_uint_32>(picture.Width()), height = static_cast<png_uint_32>(picture.Height());
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  const int32_t* pixels = picture.Pixels().data();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngWarned);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, const_cast<ByteSink*>(&put), PngWrite, PngFlush);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const auto resolution = static_cast<png_uint_32>(pixelsPerMetre);
  png_set_pHYs(png, info, resolution, resolution, PNG_RESOLUTION_METER);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  for (png_uint_32 y = 0; y < height; ++y) {
    const int32_t* in = pixels + static_cast<size_t>(y) * width;
    for (png_uint_32 x = 0; x < width; ++x) {
      const auto v = static_cast<uint32_t>(in[x]);
      row[3 * x] = static_cast<png_byte>(v);
      row[3 * x + 1] = static_cast<png_byte>(v >> 8);
      row[3 * x + 2] = static_cast<png_byte>(v >> 16);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace marvane
