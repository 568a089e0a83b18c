#pragma once
// The final picture, pixel by pixel: SpiralColorAt finds where a board pixel falls in
// the log-polar tiling and samples the tile grid there; PaintFinalPixel re-colours that
// sample along the spectrum and in brightness, blends it into the centre colour inside
// the fade band, and draws it on the full-size picture and the thumbnail.
#include <cstdint>

#include "colour/chroma.h"

namespace marvane {

class Picture;
class Ui;
struct EngineState;
struct SpectrumTables;

// The tile-grid colour seen by board pixel (x, y): its ring coordinate becomes the
// tile's y, its place along the ring the tile's x, both in units of the outer piece
// width and shifted by `offset`; the grid repeats with period width x height. The
// sampled area is one board pixel's footprint in tile pixels.
Chroma SpiralColorAt(Ui& ui, const Picture& surface, const EngineState& state, int32_t x, int32_t y,
                     double offset, int32_t width, int32_t height);

// Colours and draws board pixel (x, y) from the sample `baseColor`. `specStart` is the
// "Color tone at center" slider's value at this moment. `fraction` is 1 for a full pass,
// which also draws on `finalImage`; the thumbnail is always drawn, at (x / 4, y / 4)
// rounded down: the quarter-size picture then takes one pixel per visit of a "Small
// image only" pass whose stride of 4 starts at the centre, without gaps or collisions
// even when the centre is odd. Pixels inside the smallest radius are left alone and
// `outColor` is not written.
void PaintFinalPixel(Ui& ui, const EngineState& state, const SpectrumTables& spectrum,
                     int32_t specStart, float fraction, int32_t x, int32_t y, const Chroma& baseColor,
                     Chroma& outColor, Picture& finalImage, Picture& thumbnail);

// One visit of the final-image scan at board pixel (x, y): pixels beyond the smallest
// radius plus one are sampled from the tile grid on `surface` (cell side GridTileSize,
// offset by half a cell) and painted; those at or inside it keep the background.
void DrawFinalPixel(Ui& ui, const Picture& surface, const EngineState& state,
                    const SpectrumTables& spectrum, int32_t specStart, float fraction, int32_t x,
                    int32_t y, Picture& finalImage, Picture& thumbnail);

// The colour that one visit of the final-image scan gives board pixel (x, y), as
// DrawFinalPixel paints it: false for a pixel at or inside the smallest radius plus
// one, which keeps the background. It reads only its arguments, so threads may share
// them (the renderer's parallel final stage does).
bool FinalPixelColour(Ui& ui, const Picture& surface, const EngineState& state,
                      const SpectrumTables& spectrum, int32_t specStart, int32_t x, int32_t y,
                      int32_t& value);

// The thumbnail pixel that board coordinate c lands on.
inline int32_t ThumbnailCoordinate(int32_t c) { return c >> 2; }

// b x (e^(0.013 a) - 0.27253), the brightness factor of the "Brightness at center"
// slider (0.72747 at 0, 0.99999994 at 18.539, 3.39677 at 100).
float LightFactor(double a, double b);

}  // namespace marvane
