#pragma once
// One writer for each format a picture is saved in. Each hands the file's bytes to a
// sink as it makes them and says whether every byte was taken; the sink (an
// OutputFile) decides where they go.
#include <cstddef>
#include <functional>
#include <string>

#include "platform/picture.h"

namespace marvane {

using ByteSink = std::function<bool(const void*, size_t)>;

// BMP keeps its sizes in 32 bits: false for a picture of more than 4 GB.
bool FitsInBmp(const Picture& picture);
bool WriteBmp(const Picture& picture, const ByteSink& put);
bool WritePng(const Picture& picture, const ByteSink& put);
// `error` says why when the encoder itself failed.
bool WriteTiff(const Picture& picture, const ByteSink& put, std::string& error);

}  // namespace marvane
