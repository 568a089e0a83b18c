#include "platform/picture_file_structure.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace marvane {
namespace {

using Bytes = std::span<const uint8_t>;

bool StartsWith(Bytes b, std::initializer_list<uint8_t> signature) {
  return b.size() >= signature.size() && std::equal(signature.begin(), signature.end(), b.begin());
}

uint32_t Le16(Bytes b, size_t at) { return b[at] | (uint32_t{b[at + 1]} << 8); }
uint32_t Le32(Bytes b, size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }
uint32_t Be16(Bytes b, size_t at) { return (uint32_t{b[at]} << 8) | b[at + 1]; }
uint32_t Be32(Bytes b, size_t at) { return (Be16(b, at) << 16) | Be16(b, at + 2); }

// Run-length BMP data: pairs of (count, colour); a zero count starts an escape: 0 ends
// a row, 1 ends the picture, 2 jumps ahead, and 3 or more announces that many literal
// pixels, padded to a whole 16-bit word.
bool BmpRunLengthRunsToItsEnd(Bytes d, bool fourBitPixels) {
  size_t pos = 0;
  while (pos + 2 <= d.size()) {
    const uint8_t count = d[pos];
    const uint8_t code = d[pos + 1];
    pos += 2;
    if (count != 0 || code == 0) continue;
    if (code == 1) return true;
    if (code == 2) {
      pos += 2;
      continue;
    }
    const size_t literalBytes = fourBitPixels ? (code + 1u) / 2u : code;
    pos += literalBytes + (literalBytes & 1u);
  }
  return false;
}

bool BmpRunsToItsEnd(Bytes b) {
  if (b.size() < 18) return false;
  const uint64_t dataOffset = Le32(b, 10);
  const uint32_t headerSize = Le32(b, 14);
  if (b.size() < 14 + uint64_t{headerSize}) return false;
  int64_t width = 0;
  int64_t height = 0;
  uint32_t bitsPerPixel = 0;
  uint32_t compression = 0;
  if (headerSize == 12) {  // the oldest header, with 16-bit sizes
    width = Le16(b, 18);
    height = Le16(b, 20);
    bitsPerPixel = Le16(b, 24);
  } else if (headerSize >= 16) {
    width = static_cast<int32_t>(Le32(b, 18));
    height = static_cast<int32_t>(Le32(b, 22));
    bitsPerPixel = Le16(b, 28);
    if (headerSize >= 20) compression = Le32(b, 30);
  } else {
    return true;  // no header we know: the decoder will say what is wrong
  }
  if (dataOffset > b.size()) return false;
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
  switch (compression) {
    case 0:    // plain rows
    case 3:    // plain rows with colour masks
    case 6: {  // the same with an alpha mask
      if (width <= 0 || bitsPerPixel == 0 || bitsPerPixel > 32) return true;
      const uint64_t stride = (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
      return rows <= (b.size() - dataOffset) / stride;
    }
    case 1:
      return BmpRunLengthRunsToItsEnd(b.subspan(dataOffset), false);
    case 2:
      return BmpRunLengthRunsToItsEnd(b.subspan(dataOffset), true);
    default:
      return true;  // embedded JPEG or PNG and the like: we do not read them anyway
  }
}

bool IsJpegRestartMarker(uint8_t m) { return m >= 0xD0 && m <= 0xD7; }

// Walks the markers from the start of the image to its end. Every marker but the
// restarts carries its own length, so the walk never mistakes data for a marker;
// inside a scan's coded data a 0xFF is always followed by a stuffed 0 or a restart.
bool JpegRunsToItsEnd(Bytes b) {
  size_t pos = 2;
  bool sawScan = false;
  for (;;) {
    if (pos >= b.size() || b[pos] != 0xFF) return false;
    while (pos < b.size() && b[pos] == 0xFF) ++pos;  // fill bytes before a marker
    if (pos >= b.size()) return false;
    const uint8_t marker = b[pos++];
    if (marker == 0xD9) return sawScan;  // end of image; a picture needs a scan
    if (marker == 0x01 || IsJpegRestartMarker(marker)) continue;
    if (pos + 2 > b.size()) return false;
    const size_t length = Be16(b, pos);
    if (length < 2) return false;
    pos += length;
    if (pos > b.size()) return false;
    if (marker != 0xDA) continue;
    sawScan = true;
    for (;;) {
      if (pos + 1 >= b.size()) return false;
      if (b[pos] == 0xFF && b[pos + 1] != 0 && !IsJpegRestartMarker(b[pos + 1])) break;
      ++pos;
    }
  }
}

bool PngRunsToItsEnd(Bytes b) {
  uint64_t pos = 8;
  while (pos + 8 <= b.size()) {
    const uint64_t length = Be32(b, pos);
    const bool isEnd = b[pos + 4] == 'I' && b[pos + 5] == 'E' && b[pos + 6] == 'N' && b[pos + 7] == 'D';
    pos += 12 + length;  // length, type, data, check sum
    if (pos > b.size()) return false;
    if (isEnd) return true;
  }
  return false;
}

// Skips a chain of GIF data sub-blocks (a length byte, that many bytes, ..., a zero).
bool SkipGifSubBlocks(Bytes b, uint64_t& pos) {
  for (;;) {
    if (pos >= b.size()) return false;
    const uint8_t length = b[pos++];
    if (length == 0) return true;
    pos += length;
  }
}

uint64_t GifColourTableBytes(uint8_t flags) {
  return (flags & 0x80) ? uint64_t{3} << ((flags & 0x07) + 1) : 0;
}

// Only the first frame is shown, so only it needs to be whole.
bool GifRunsToItsEnd(Bytes b) {
  if (b.size() < 13) return false;
  uint64_t pos = 13 + GifColourTableBytes(b[10]);
  for (;;) {
    if (pos >= b.size()) return false;
    switch (b[pos]) {
      case 0x21:  // an extension: its label, then sub-blocks
        pos += 2;
        if (!SkipGifSubBlocks(b, pos)) return false;
        break;
      case 0x2C:  // an image: descriptor, colour table, code size, coded sub-blocks
        if (pos + 10 > b.size()) return false;
        pos += 10 + GifColourTableBytes(b[pos + 9]) + 1;
        return SkipGifSubBlocks(b, pos);
      default:  // the trailer before any image, or no block at all
        return false;
    }
  }
}

std::optional<DeclaredSize> Sized(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  return DeclaredSize{width, height};
}

std::optional<DeclaredSize> BmpDeclaredSize(Bytes b) {
  if (b.size() < 18) return std::nullopt;
  const uint32_t headerSize = Le32(b, 14);
  if (headerSize == 12) {
    if (b.size() < 22) return std::nullopt;
    return Sized(Le16(b, 18), Le16(b, 20));
  }
  if (headerSize < 16 || b.size() < 26) return std::nullopt;
  const int64_t height = static_cast<int32_t>(Le32(b, 22));
  return Sized(static_cast<int32_t>(Le32(b, 18)), height < 0 ? -height : height);
}

bool IsJpegFrameMarker(uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }

std::optional<DeclaredSize> JpegDeclaredSize(Bytes b) {
  size_t pos = 2;
  for (;;) {
    if (pos >= b.size() || b[pos] != 0xFF) return std::nullopt;
    while (pos < b.size() && b[pos] == 0xFF) ++pos;
    if (pos >= b.size()) return std::nullopt;
    const uint8_t marker = b[pos++];
    if (marker == 0x01 || IsJpegRestartMarker(marker)) continue;
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame header before the image data
    if (pos + 2 > b.size()) return std::nullopt;
    const size_t length = Be16(b, pos);
    if (IsJpegFrameMarker(marker)) {
      if (length < 7 || pos + 7 > b.size()) return std::nullopt;
      return Sized(Be16(b, pos + 5), Be16(b, pos + 3));
    }
    if (length < 2) return std::nullopt;
    pos += length;
  }
}

std::optional<DeclaredSize> PngDeclaredSize(Bytes b) {
  if (b.size() < 24 || b[12] != 'I' || b[13] != 'H' || b[14] != 'D' || b[15] != 'R') return std::nullopt;
  return Sized(Be32(b, 16), Be32(b, 20));
}

std::optional<DeclaredSize> GifDeclaredSize(Bytes b) {
  if (b.size() < 10) return std::nullopt;
  return Sized(Le16(b, 6), Le16(b, 8));
}

std::optional<DeclaredSize> TiffDeclaredSize(Bytes b) {
  if (b.size() < 8) return std::nullopt;
  const bool bigEndian = b[0] == 'M';
  auto u16 = [&](uint64_t at) { return bigEndian ? Be16(b, at) : Le16(b, at); };
  auto u32 = [&](uint64_t at) { return bigEndian ? Be32(b, at) : Le32(b, at); };
  const uint64_t directory = u32(4);
  if (directory + 2 > b.size()) return std::nullopt;
  const uint32_t entries = u16(directory);
  int64_t width = 0;
  int64_t height = 0;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t entry = directory + 2 + 12 * uint64_t{i};
    if (entry + 12 > b.size()) return std::nullopt;
    const uint32_t tag = u16(entry);
    const uint32_t type = u16(entry + 2);
    if (tag != 256 && tag != 257) continue;
    const int64_t value = type == 3 ? u16(entry + 8) : type == 4 ? u32(entry + 8) : 0;  // short or long
    (tag == 256 ? width : height) = value;
  }
  return Sized(width, height);
}

}  // namespace

PictureFileFormat SniffPictureFileFormat(std::span<const uint8_t> bytes) {
  if (StartsWith(bytes, {'B', 'M'})) return PictureFileFormat::Bmp;
  if (StartsWith(bytes, {0xFF, 0xD8, 0xFF})) return PictureFileFormat::Jpeg;
  if (StartsWith(bytes, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return PictureFileFormat::Png;
  if (StartsWith(bytes, {'G', 'I', 'F', '8', '7', 'a'}) || StartsWith(bytes, {'G', 'I', 'F', '8', '9', 'a'}))
    return PictureFileFormat::Gif;
  if (StartsWith(bytes, {'I', 'I', 42, 0}) || StartsWith(bytes, {'M', 'M', 0, 42})) return PictureFileFormat::Tiff;
  return PictureFileFormat::Unknown;
}

std::string_view QtFormatName(PictureFileFormat format) {
  switch (format) {
    case PictureFileFormat::Bmp: return "bmp";
    case PictureFileFormat::Jpeg: return "jpeg";
    case PictureFileFormat::Tiff: return "tiff";
    case PictureFileFormat::Gif: return "gif";
    case PictureFileFormat::Png: return "png";
    case PictureFileFormat::Unknown: break;
  }
  return {};
}

std::optional<DeclaredSize> DeclaredPictureSize(PictureFileFormat format, std::span<const uint8_t> bytes) {
  switch (format) {
    case PictureFileFormat::Bmp: return BmpDeclaredSize(bytes);
    case PictureFileFormat::Jpeg: return JpegDeclaredSize(bytes);
    case PictureFileFormat::Png: return PngDeclaredSize(bytes);
    case PictureFileFormat::Gif: return GifDeclaredSize(bytes);
    case PictureFileFormat::Tiff: return TiffDeclaredSize(bytes);
    case PictureFileFormat::Unknown: break;
  }
  return std::nullopt;
}

bool PictureRunsToItsEnd(PictureFileFormat format, std::span<const uint8_t> bytes) {
  switch (format) {
    case PictureFileFormat::Bmp: return BmpRunsToItsEnd(bytes);
    case PictureFileFormat::Jpeg: return JpegRunsToItsEnd(bytes);
    case PictureFileFormat::Png: return PngRunsToItsEnd(bytes);
    case PictureFileFormat::Gif: return GifRunsToItsEnd(bytes);
    case PictureFileFormat::Tiff: return true;
    case PictureFileFormat::Unknown: break;
  }
  return false;
}

}  // namespace marvane
