#pragma once
// What a picture file's own bytes say before any decoder sees them: which of the formats
// we read it holds, the size its header declares, and whether the file runs to the end
// of its first picture.
//
// The format is decided by the bytes, never by the file name: a PNG named "tile.bmp"
// loads as the PNG it is. A name is only a hint a user typed or a program guessed; the
// signature at the start of the file is what the decoders themselves go by.
//
// The completeness check exists because Qt's BMP, JPEG and PNG readers hand back the
// part of a picture they could decode from a file that ends early (the rest grey or
// black) and call it a success. A tile that lost its last rows would be squared and
// spread over the whole spiral, so a file that ends before its picture does is refused.
// TIFF needs no check of our own: libtiff refuses a strip that runs past the end of the
// file.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace marvane {

enum class PictureFileFormat { Unknown, Bmp, Jpeg, Tiff, Gif, Png };

// The format whose signature the bytes start with; Unknown for anything else,
// including formats that Qt could read but we do not (icons, WebP, TGA and the like).
PictureFileFormat SniffPictureFileFormat(std::span<const uint8_t> bytes);

// The name QImageReader and QImageWriter know the format by ("bmp", "jpeg", ...).
// Empty for Unknown.
std::string_view QtFormatName(PictureFileFormat format);

struct DeclaredSize {
  int64_t width = 0;
  int64_t height = 0;
};

// The size in pixels that the header of the file's first picture declares: a BMP's
// information header (a negative height means rows stored top first), a JPEG's frame
// header, a PNG's IHDR, a GIF's logical screen, the first TIFF directory's width and
// length tags. Nothing when the header is cut short or declares no size (a side of 0).
// Read by us rather than asked of Qt, whose answer for some of these headers is not
// the size it then decodes (a top-down BMP's height comes back negative, and a GIF
// screen it finds too tall is reported as the frame's size).
std::optional<DeclaredSize> DeclaredPictureSize(PictureFileFormat format, std::span<const uint8_t> bytes);

// False when the file ends before the data of its first picture does, as far as the
// format's own structure tells: a BMP shorter than its rows (or whose run-length data
// has no end-of-picture mark), a JPEG without the end-of-image marker after its scans,
// a PNG whose chunks stop before IEND, a GIF whose first frame's data stops before its
// terminator. A header too damaged to tell anything is left to the decoder to refuse,
// and TIFF is always left to libtiff.
bool PictureRunsToItsEnd(PictureFileFormat format, std::span<const uint8_t> bytes);

}  // namespace marvane
