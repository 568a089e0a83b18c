// The picture loader: any bytes as a tile file, loaded within the tile loader's limit.
#include "engine/load_size_image.h"
#include "fuzz_support.h"
#include "platform/picture_files.h"

void marvane::fuzz::FuzzOne(std::string_view text) {
  try {
    const Picture p = LoadPictureFile(Scratch("tile.bmp", text), 0, kMostTileFilePixels);
    Require(p.Width() >= 1 && p.Height() >= 1 && int64_t{p.Width()} * p.Height() <= kMostTileFilePixels, "pixels");
  } catch (const RunTimeError& e) {
    Require(std::string_view(e.what()).starts_with("Cannot read the picture file"), "a refusal names the file");
  }
}
