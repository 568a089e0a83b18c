#include "engine/load_size_image.h"

#include <gtest/gtest.h>

#include <tuple>

#include "engine/tile_colour.h"

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

// The tile's colour is the mean of points sampled over it: a tile of one colour has that
// colour exactly.
TEST(GetTileColor, OfATileOfOneColourIsThatColour) {
  RecordingUi ui;
  ChromaExtended colour;
  GetTileColor(ui, Picture(7, 5, 10 + 256 * 20 + 65536 * 30), 6, 4, 3, colour);
  EXPECT_EQ(std::tuple(colour.Red, colour.Green, colour.Blue, colour.Value, colour.Level, ui.Messages().size()),
            std::tuple(10.0f, 20.0f, 30.0f, 10 + 256 * 20 + 65536 * 30, 1, 0u));
}
