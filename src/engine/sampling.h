#pragma once
// Reading the colour of a repeating picture at a real point or over a small area. The
// tile and the tile grid are sampled as endless patterns: a coordinate is folded into
// one period before a pixel is read.
#include <cstdint>

#include "colour/chroma.h"

namespace marvane {

class Picture;
class Ui;
struct BoardConstants;

// x folded into [0, m), keeping its fraction; 0 and every whole multiple of m give 0.
// x is taken as a float first. m must be at least 1: a smaller period is "Invalid
// procedure call or argument" (folding could never end). So is an x at or below -2^24,
// where adding one period may no longer change a float; and an x of 2^31 or more (or
// NaN) is "Overflow".
float WrapCoord(double x, int32_t m);

// v rounded to thousandths, halves up: Int((v + 0.0005) x 1000) x 0.001, in double.
// A result that overflows (or NaN) gives 0.
double Round3(double v);

// The bilinear colour of the surface at the real point (x, y), the picture repeating
// with period width x height. Coordinates are rounded to thousandths first, and only
// pixels with a positive weight are read, so a point within 0.0005 of a whole number
// reads one column or row. Errors are shown under the title "Spot" and give black.
Chroma Spot(Ui& ui, const Picture& surface, double x, double y, int32_t width, int32_t height);

// The colour of the area sizeX x sizeY centred on (x, y): one Spot at the centre when
// both sizes are under 2.5, otherwise a weighted grid of Spots spaced Int(sqrt(m)) + 1
// apart (m the smaller size), each weighing by its distance to the nearer edge of the
// area, capped at the spacing. Samples that wrap outside the board's extent are
// skipped; an area with none is black. Errors are shown under "AreaColorMod".
Chroma AreaColorMod(Ui& ui, const Picture& surface, const BoardConstants& board, double x, double y,
                    double sizeX, double sizeY, int32_t width, int32_t height);

}  // namespace marvane
