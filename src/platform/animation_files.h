#pragma once
// Animations as WebP files: every frame is encoded on its own, on whichever thread made
// it, and the frames are then laid one after another into one animated WebP that plays
// in a loop for ever. Failures are run-time errors naming the file, as for pictures.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/output_file.h"
#include "platform/picture.h"

namespace marvane {

// The largest side libwebp encodes.
inline constexpr int32_t kLargestWebPSide = 16383;

// The bitstream of one frame: lossless without a quality, else lossy at `quality` (0 to
// 100). Lossless frames keep every pixel exactly. Safe to call from several threads at
// once. Raises RunTimeError when the encoder fails.
std::string EncodeWebPFrame(const Picture& picture, std::optional<double> quality);

// Writes the frames (bitstreams of EncodeWebPFrame, all of one size) as an animated WebP
// that loops for ever, frame i shown for durationsMs[i] milliseconds, and finishes the
// file without putting it in place (OutputFile::Commit does). Raises RunTimeError when
// that cannot be done; nothing is left behind then.
std::unique_ptr<OutputFile> WriteWebPAnimationFile(const std::vector<std::string>& frames,
                                                   const std::vector<int32_t>& durationsMs, const std::string& path);

}  // namespace marvane
