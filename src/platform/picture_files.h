#pragma once
// Picture files: loading BMP, JPG, TIF, GIF and PNG files into a Picture, and saving a
// Picture as BMP, PNG or TIFF. Every failure is a run-time error whose text names the
// file and says in plain words what is wrong; a failed load leaves nothing behind, and a
// failed save leaves the file that was there before exactly as it was.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/output_file.h"
#include "platform/picture.h"

namespace marvane {

// The longest side of a picture file we read. A file that declares more is refused
// from its header, before any memory is set aside for its pixels.
inline constexpr int32_t kLargestPictureSide = 16384;
// The most pixels of a picture file we read, unless the caller asks for fewer.
inline constexpr int64_t kMostPicturePixels = int64_t{kLargestPictureSide} * kLargestPictureSide;
// The resolution files are written with unless another is asked for: 96 dots an inch,
// 96 / 0.0254 = 3779.5 pixels a metre, as the screen shows them.
inline constexpr int32_t kScreenPixelsPerMetre = 3780;

// Loads the first picture of a file (the first page of a TIFF, the first frame of a
// GIF). The format is decided by the file's bytes, not by its name. Pixels are taken as
// they are stored: no colour profile and no rotation tag is applied.
//
// Transparent and partly transparent pixels are laid over `backColor` (a packed
// colour), as a picture with holes shows the surface it is drawn on. Callers pass the
// background of the surface that will hold the picture.
//
// Raises RunTimeError when the file is missing, a folder, unreadable, empty, not one of
// our formats, in a format whose Qt reader is not installed (TIFF comes as a separate
// plugin), larger than kLargestPictureSide on a side or of more than `mostPixels`
// pixels (both judged from its header, before any pixel is decoded), damaged or
// incomplete.
Picture LoadPictureFile(const std::string& path, int32_t backColor, int64_t mostPixels = kMostPicturePixels);

// The format a name asks for: "png" when it ends in ".png", "tiff" (deflate compressed)
// when it ends in ".tif" or ".tiff", and "bmp" (24 bits a pixel) for every other name;
// the ending's letter case does not matter.
std::string_view PictureFormatForName(const std::string& path);

// Writes `picture` under `path` in `format` ("bmp", "png" or "tiff"), or the format its
// name asks for when none is given, recording `pixelsPerMetre` as its resolution, and
// finishes the file without putting it in place (OutputFile::Commit does). Raises
// RunTimeError when that cannot be done; nothing is left behind then.
std::unique_ptr<OutputFile> WritePictureFile(const Picture& picture, const std::string& path,
                                             std::string_view format = {},
                                             int32_t pixelsPerMetre = kScreenPixelsPerMetre);

// Saves `picture` under `path` in `format`, or the format its name asks for when none is
// given, as OutputFile writes: a file complete or absent (the old file untouched on a
// failure), a pipe or device as one stream. Raises RunTimeError when that cannot be done.
void SavePictureFile(const Picture& picture, const std::string& path, std::string_view format = {});

}  // namespace marvane
