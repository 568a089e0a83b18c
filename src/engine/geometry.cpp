#include "engine/geometry.h"

#include <cmath>

#include "platform/picture.h"
#include "util/numbers.h"

namespace marvane {

void SetBoardConstants(const Picture& surface, BoardConstants& board) {
  // Reading the size gives what probing Point along the top row and the left column
  // until it answers -1 would give.
  SetBoardConstants(surface.Width(), surface.Height(), board);
}

void SetBoardConstants(int32_t width, int32_t height, BoardConstants& b) {
  b.BoardWidth = width;
  b.BoardHeight = height;
  b.BoardLeft = 0;
  b.BoardRight = width - 1;
  b.BoardTop = 0;
  b.BoardBottom = height - 1;
  b.CenterX = RoundToLong(width / 2.0);
  b.CenterY = RoundToLong(height / 2.0);
  b.OuterRadius = ToSingle(width * 400.0 / 640.0);
  const double w = width, h = height;
  b.BoardDiagonal = ToSingle(std::sqrt(h * h + w * w));
  b.HalfDiagonal = ToSingle(b.BoardDiagonal / 2.0);
}

double GrowthRatio(double n) {
  const double t = Divide(kFullTurn, n);
  const double s = (t + std::sqrt(t * t + 4.0)) / 2.0;
  return 1.0 / (s * s);
}

void SetSpiralGeometry(int32_t numPieces, int32_t smallestRadius, float outerRadius,
                       SpiralConstants& sp) {
  sp.PartsPerRadian = ToSingle(numPieces * kPartsPerTurn);
  const double q = GrowthRatio(numPieces);
  sp.RingRatio = q;
  const double inverseRatio = Divide(1.0, q);
  sp.InvLogRatio = Divide(1.0, NaturalLog(inverseRatio));
  sp.InnerRadiusReal = smallestRadius;
  sp.InvRadialSpan = Divide(1.0, static_cast<double>(outerRadius) - smallestRadius);
  sp.LogInnerRadius = NaturalLog(smallestRadius);
  sp.OuterPixelAngle = std::atan(Divide(1.0, outerRadius));
  sp.OuterPieceWidth = ToSingle(Divide(static_cast<double>(outerRadius) * kFullTurn, numPieces));
}

int32_t GridTileFloorOf(float outerPieceWidth) { return IntDownToLong(outerPieceWidth); }

}  // namespace marvane
