#include "colour/chroma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace marvane;

static std::tuple<float, float, float> Components(const Chroma& c) { return {c.Red, c.Green, c.Blue}; }

TEST(Chroma, PackedClampedWithHalvesToEvenSplitWithTruncatingDivisionAndBlended) {
  const double clamps[][2] = {{254.5, 254}, {253.5, 254}, {1.5, 2}, {0.5, 0}, {255.5, 255}, {-0.6, 0}, {NAN, 0},
                              {1e300, 255}, {-1e300, 0}, {127.49999999, 128}};  // the last is the float 127.5
  for (const auto& r : clamps) EXPECT_EQ(ClampByte(r[0]), r[1]) << r[0];
  const double splits[][4] = {{0x123456, 0x56, 0x34, 0x12}, {-1, -1, 0, 0}, {300 * 65536 + 2, 2, 0, 300}};
  for (const auto& r : splits) EXPECT_EQ(Components(AssignChroma(r[0])), std::tuple(r[1], r[2], r[3])) << r[0];
  const Chroma a{10, 20, 30}, b{110, 0, 30}, beyond = BlendChroma(a, b, 2.0f);
  EXPECT_EQ(std::tuple(beyond.Red, beyond.Green, beyond.Value, beyond.ValueSet, beyond.ColorsSet),
            std::tuple(210.0f, -20.0f, 210 + 30 * 65536, true, false));
  EXPECT_EQ(Components(BlendChroma(a, b, 0.25)), std::tuple(35.0f, 15.0f, 30.0f));  // t as a double
}

TEST(Chroma, ASideIsDerivedFromTheOtherOnlyWhenStale) {
  Chroma c{1, 2, 3, 0xFFFFFF, false, true};
  SetColors(c);  // the components are current: Value is not read
  EXPECT_EQ(c.Red, 1.0f);
  ResetSetChroma(c), SetColors(c);
  EXPECT_EQ(std::tuple(c.Red, c.ColorsSet, c.ValueSet), std::tuple(255.0f, true, true));
  ChromaExtended x = ExtendedFrom(Chroma{10, 20, 30, 0x0000FF});  // set by hand, but ColorsSet is false
  SetExtended(x);
  x.Red = 10, SetExtended(x);  // a derived record recomputes nothing until it is reset
  EXPECT_EQ(std::tuple(x.Red, x.Green, x.MaxVal), std::tuple(10.0f, 0.0f, 255.0f));
  ResetChromaExtended(x), x.ColorsSet = true, SetExtended(x);
  EXPECT_EQ(std::tuple(x.MaxVal, x.Value, x.Level), std::tuple(10.0f, 10, 1));
}

TEST(Chroma, OrderAndNormsWithTiesSettledByTheFixedComparisons) {
  constexpr uint8_t R = kRedIdx, G = kGreenIdx, B = kBlueIdx;
  const struct { float r, g, b; uint8_t max, mid, min; float nr, ng, nb; } rows[] = {
      {255, 75, 75, R, B, G, 1, 0, 0}, {255, 255, 75, G, R, B, 1, 1, 0}, {100, 100, 100, B, G, R, 1, 1, 1},
      {75, 255, 75, G, B, R, 0, 1, 0}, {255, 75, 255, B, R, G, 1, 0, 1}, {75, 255, 255, B, G, R, 0, 1, 1},
      {30, 20, 10, R, G, B, 1, 0.5f, 0}, {20, 10, 30, B, R, G, 0.5f, 0, 1}, {10, 30, 20, G, B, R, 0, 1, 0.5f}};
  for (const auto& r : rows) {
    ChromaExtended x = ExtendedFrom(Chroma{r.r, r.g, r.b, 0, false, true});
    SetExtended(x);
    EXPECT_EQ(std::tuple(x.MaxIdx, x.MidIdx, x.MinIdx, x.NormRed, x.NormGreen, x.NormBlue),
              std::tuple(r.max, r.mid, r.min, r.nr, r.ng, r.nb)) << r.r << ", " << r.g << ", " << r.b;
  }
}
