#pragma once
// One writer for each format a picture is saved in. Each hands the file's bytes to a
// sink as it makes them and says whether every byte was taken; the sink (an
// OutputFile) decides where they go. Each records the resolution `pixelsPerMetre`, both
// across and down.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/picture.h"

namespace marvane {

using ByteSink = std::function<bool(const void*, size_t)>;

// BMP keeps its sizes in 32 bits: false for a picture of more than 4 GB.
bool FitsInBmp(const Picture& picture);
bool WriteBmp(const Picture& picture, const ByteSink& put, int32_t pixelsPerMetre);
bool WritePng(const Picture& picture, const ByteSink& put, int32_t pixelsPerMetre);
// `error` says why when the encoder itself failed. Qt's writer keeps whole dots an inch
// (or whole dots a centimetre, when the pixels a metre are a multiple of 100).
bool WriteTiff(const Picture& picture, const ByteSink& put, int32_t pixelsPerMetre, std::string& error);

}  // namespace marvane
