#pragma once
// Loading the tile picture onto the work surface.
#include <cstdint>
#include <string>

#include "platform/picture.h"
#include "platform/ui.h"

namespace marvane {

// Loads the picture file `fileName` onto `surface` and sets lastX and lastY to the
// picture's last pixel column and row (its width - 1 and height - 1).
//
// The surface keeps its size: it is erased to its background colour and the picture is
// laid at its top-left corner, clipped. A surface with no pixels yet takes the picture's
// size. Transparent parts of the picture show the surface's background colour.
//
// Has the error trap "Load Size Image": when the file cannot be loaded the message is
// shown and false returned, and the surface, lastX and lastY are as they were.
bool LoadSizeImage(Ui& ui, Picture& surface, const std::string& fileName, int32_t& lastX, int32_t& lastY);

}  // namespace marvane
