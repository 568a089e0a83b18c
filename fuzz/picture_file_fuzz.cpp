// The picture loader with its size limits: any bytes as a tile file, loaded as the tile
// loader loads one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/load_size_image.h"
#include "fuzz_support.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"

using namespace marvane;
using marvane::fuzz::Require;
using marvane::fuzz::Scratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = Scratch() / "tile.bmp";
  fuzz::WriteBytes(path, std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    const Picture picture = LoadPictureFile(path, 0xC0C0C0, kMostTileFilePixels);
    Require(picture.Width() >= 1 && picture.Height() >= 1, "a loaded picture has pixels");
    Require(picture.Width() <= kLargestPictureSide && picture.Height() <= kLargestPictureSide,
            "a loaded picture keeps to the largest side");
    Require(int64_t{picture.Width()} * picture.Height() <= kMostTileFilePixels, "a loaded tile keeps to its pixels");
    Require(picture.Pixels().size() == static_cast<size_t>(picture.Width()) * static_cast<size_t>(picture.Height()),
            "a picture holds one value a pixel");
    for (const int32_t pixel : picture.Pixels()) Require(pixel >= 0 && pixel <= 0xFFFFFF, "a pixel is a packed colour");
  } catch (const RunTimeError& e) {
    Require(std::string_view(e.what()).starts_with("Cannot read the picture file"), "a refusal names the file");
  }
  return 0;
}
