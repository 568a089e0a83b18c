#include "engine/load_size_image.h"

#include "platform/picture_files.h"
#include "util/error_trap.h"

namespace marvane {

bool LoadSizeImage(Ui& ui, Picture& surface, const std::string& fileName, int32_t& lastX, int32_t& lastY) {
  return WithErrorTrap(ui, "Load Size Image", [&] {
    // The file is read in full before the surface is touched, so a file that cannot
    // be loaded leaves the old tile in place.
    const Picture picture = LoadPictureFile(fileName, surface.BackColor(), kMostTileFilePixels);
    if (surface.Empty()) surface.Resize(picture.Width(), picture.Height());
    surface.SetPicture(picture);
    // Our pictures know their size in pixels. Measuring them in hundredths of a
    // millimetre and converting back with 0.0377992440151197 pixels each gives the
    // same answer only up to about 4600 pixels: that factor is about 1/10000 larger
    // than 96 pixels to 2540, so beyond that the round trip lands a pixel or more too
    // far (the tests show where). The pixel count is the true answer at every size.
    lastX = picture.Width() - 1;
    lastY = picture.Height() - 1;
  });
}

}  // namespace marvane
