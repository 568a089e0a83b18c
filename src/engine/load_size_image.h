#pragma once
// Loading the tile picture onto the work surface.
#include <cstdint>
#include <string>

#include "platform/picture.h"
#include "platform/ui.h"

namespace marvane {

// The most pixels of a tile file we load (as many as 2048 x 2048). A tile is 10 to 300
// pixels a side, and a larger picture is still loaded so that it stands on the work
// surface under the size message. Far beyond that a picture only costs memory: a
// 39-byte GIF can declare a 10000 x 10000 screen that Qt fills in full, close to 400 MB
// twice over. Such a file is refused from its header by the loader instead.
inline constexpr int64_t kMostTileFilePixels = int64_t{2048} * 2048;

// Loads the picture file `fileName` onto `surface` and sets lastX and lastY to the
// picture's last pixel column and row (its width - 1 and height - 1).
//
// The surface keeps its size: it is erased to its background colour and the picture is
// laid at its top-left corner, clipped. A surface with no pixels yet takes the picture's
// size. Transparent parts of the picture show the surface's background colour.
//
// Has the error trap "Load Size Image": when the file cannot be loaded (a picture of
// more than kMostTileFilePixels pixels included) the message is shown and false
// returned, and the surface, lastX and lastY are as they were.
bool LoadSizeImage(Ui& ui, Picture& surface, const std::string& fileName, int32_t& lastX, int32_t& lastY);

}  // namespace marvane
