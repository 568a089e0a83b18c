#pragma once
// Animations as WebP files: every frame is encoded on its own, on whichever thread made
// it, and the frames are then laid one after another into one animated WebP that plays
// in a loop for ever. Failures are run-time errors naming the file, as for pictures.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/picture.h"

namespace marvane {

// The bitstream of one frame: lossless without a quality, else lossy at `quality` (0 to
// 100). Lossless frames keep every pixel exactly. Safe to call from several threads at
// once. Raises RunTimeError when the encoder fails.
std::string EncodeWebPFrame(const Picture& picture, std::optional<double> quality);

// Saves the frames (bitstreams of EncodeWebPFrame, all of one size) as an animated WebP
// that loops for ever, frame i shown for durationsMs[i] milliseconds. The file is
// written beside the target under another name and takes its place only once complete.
// Raises RunTimeError when that cannot be done; a file that was there is then untouched.
void SaveWebPAnimation(const std::vector<std::string>& frames, const std::vector<int32_t>& durationsMs,
                       const std::string& path);

}  // namespace marvane
