#pragma once
// The board (the drawing area of the first work surface) and the log-polar geometry of
// the spiral: every ring is cut into N equal radial parts and the rings shrink inward by
// a constant ratio chosen so that every piece is as deep as it is wide.
#include <cmath>
#include <cstdint>

namespace marvane {

class Picture;

// The engine's turns. Results depend on these exact values, so they stand in for 2 pi,
// pi and pi / 2 everywhere.
inline constexpr double kFullTurn = 6.283186;
inline constexpr double kHalfTurn = 3.141593;
inline constexpr double kQuarterTurn = 1.5707965;
// The reciprocal of kFullTurn, as the engine writes it.
inline constexpr double kPartsPerTurn = 0.1591549255425512;

struct BoardConstants {
  int32_t BoardWidth = 0;
  int32_t BoardHeight = 0;
  int32_t BoardLeft = 0;
  int32_t BoardRight = 0;
  int32_t BoardTop = 0;
  int32_t BoardBottom = 0;
  int32_t CenterX = 0;
  int32_t CenterY = 0;
  float OuterRadius = 0.0f;    // 0.625 W: pieces there are OuterPieceWidth wide
  float BoardDiagonal = 0.0f;
  float HalfDiagonal = 0.0f;   // the upper bound of the smallest radius and the fade width
};

struct SpiralConstants {
  float PartsPerRadian = 0.0f;
  double RingRatio = 0.0;       // inner over outer radius of a ring, 0 < q < 1
  double InvLogRatio = 0.0;     // rings per unit of natural log of the radius
  double InnerRadiusReal = 0.0;
  double InvRadialSpan = 0.0;
  double LogInnerRadius = 0.0;
  double OuterPixelAngle = 0.0; // the angle one pixel spans at the outer radius
  float OuterPieceWidth = 0.0f; // the arc width of one radial part at the outer radius
};

// Measures the surface and derives the board constants from its size.
void SetBoardConstants(const Picture& surface, BoardConstants& board);
// The same from a width and height, for surfaces not yet made.
void SetBoardConstants(int32_t width, int32_t height, BoardConstants& board);

// q, the ratio of a ring's inner radius to its outer radius for n radial parts.
double GrowthRatio(double n);

// The spiral constants for N radial parts, the smallest radius R0 and the board's outer
// radius. Faults (N = 0, R0 = 0, R0 equal to the outer radius) are run-time errors for
// the caller's trap: there is no trap here.
void SetSpiralGeometry(int32_t numPieces, int32_t smallestRadius, float outerRadius,
                       SpiralConstants& spiral);

// The angle of the vector (x, y), from -kQuarterTurn up to three quarter turns. The
// board's y axis points down, so increasing angles turn clockwise on the screen.
inline double AngleOf(double x, double y) {
  if (x < 0) return std::atan(y / x) + kHalfTurn;
  if (x == 0) return y < 0 ? -kQuarterTurn : kQuarterTurn;
  return std::atan(y / x);
}

// The four points (+-x, +-y) share one library call. Their quotients y / x are +-(|y| /
// |x|) to the bit (a quotient's magnitude does not depend on the signs), and atan is odd
// to the bit (atan(-z) is -atan(z): the library works on |z| and gives the sign back),
// so atan(|y| / |x|) with the quotient's sign is atan(y / x) exactly. The tests check
// both over every pixel of several boards.
inline double MirrorAtan(double x, double y) { return x == 0 ? 0.0 : std::atan(std::fabs(y) / std::fabs(x)); }
// AngleOf(x, y) from MirrorAtan(x, y), with no library call.
inline double AngleOf(double x, double y, double mirrorAtan) {
  if (x == 0) return y < 0 ? -kQuarterTurn : kQuarterTurn;
  const double a = (x < 0) != std::signbit(y) ? -mirrorAtan : mirrorAtan;  // the sign of y / x
  return x < 0 ? a + kHalfTurn : a;
}

// The side of a tile-grid cell: OuterPieceWidth rounded down.
int32_t GridTileFloorOf(float outerPieceWidth);

}  // namespace marvane
