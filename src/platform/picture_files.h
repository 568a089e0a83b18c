#pragma once
// Picture files: loading BMP, JPG, TIF, GIF and PNG files into a Picture, and saving a
// Picture as BMP, PNG or TIFF. Every failure is a run-time error whose text names the
// file and says in plain words what is wrong; a failed load leaves nothing behind, and a
// failed save leaves the file that was there before exactly as it was.
#include <cstdint>
#include <string>

#include "platform/picture.h"

namespace marvane {

// The longest side of a picture file we read. A file that declares more is refused
// from its header, before any memory is set aside for its pixels.
inline constexpr int32_t kLargestPictureSide = 16384;
// The most pixels of a picture file we read, unless the caller asks for fewer.
inline constexpr int64_t kMostPicturePixels = int64_t{kLargestPictureSide} * kLargestPictureSide;

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

// Saves `picture` as a PNG file when the name ends in ".png", a TIFF file (LZW
// compressed) when it ends in ".tif" or ".tiff", and a 24-bit BMP file for every other
// name; the ending's letter case does not matter. The file is written beside the
// target under another name and takes the target's place only once it is complete.
// Raises RunTimeError when that cannot be done; the old file is then untouched.
void SavePictureFile(const Picture& picture, const std::string& path);

}  // namespace marvane
