#include "engine/load_size_image.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace marvane;

TEST(LoadSizeImage, LaysThePictureTopLeftOnTheErasedSurfaceAndMeasuresIt) {
  // tile.png is 6 x 3: red 40 x, green 80 y, blue 200, (5, 2) transparent. An empty surface takes its size.
  RecordingUi ui;
  for (const int w : {8, 4, 0}) {
    Picture surface(w, w / 2, 0x203040);
    surface.FillBox(0, 0, 9, 9, 0x777777);  // an old drawing
    int32_t lastX = 0, lastY = 0;
    ASSERT_TRUE(LoadSizeImage(ui, surface, MARVANE_TEST_DATA "/engine/tile.png", lastX, lastY));
    EXPECT_EQ(std::tuple(lastX, lastY, surface.Width(), surface.Height()), std::tuple(5, 2, w ? w : 6, w ? w / 2 : 3));
    for (int y = 0; y < surface.Height(); ++y)
      for (int x = 0; x < surface.Width(); ++x)
        EXPECT_EQ(surface.Point(x, y), x < 6 && y < 3 && x + y < 7 ? 40 * x + 20480 * y + 13107200 : 0x203040)
            << x << ", " << y;
  }
}
