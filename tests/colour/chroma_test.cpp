#include "colour/chroma.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/run_time_error.h"

namespace marvane {
namespace {

Chroma Components(float r, float g, float b) {
  Chroma c;
  c.Red = r, c.Green = g, c.Blue = b;
  c.ColorsSet = true;
  return c;
}

ChromaExtended Derived(float r, float g, float b) {
  ChromaExtended x = ExtendedFrom(Components(r, g, b));
  SetExtended(x);
  return x;
}

TEST(ChromaPacking, ClampsEachComponentAndRoundsHalvesToEven) {
  Chroma c = Components(255.5f, -3.0f, 127.5f);
  SetValue(c);
  EXPECT_EQ(c.Value, 255 + 0 * 256 + 128 * 65536);
  EXPECT_EQ(c.Value, 8388863);
  EXPECT_TRUE(c.ValueSet);
  EXPECT_EQ(c.Red, 255.5f);  // the components themselves are left as they were
  EXPECT_EQ(ClampByte(254.5), 254);
  EXPECT_EQ(ClampByte(253.5), 254);
  EXPECT_EQ(ClampByte(1.5), 2);
  EXPECT_EQ(ClampByte(0.5), 0);
  EXPECT_EQ(ClampByte(NAN), 0);
  EXPECT_EQ(ClampByte(1e300), 255);
  EXPECT_EQ(ClampByte(-1e300), 0);
}

TEST(ChromaPacking, ClampByteRoundsThroughAFloatFirst) {
  // 127.49999999 is not a float; as a float it is 127.5, which rounds to 128.
  EXPECT_EQ(ClampByte(127.49999999), 128);
}

TEST(ChromaPacking, SplitColorTruncates) {
  float r, g, b;
  SplitColor(0x123456, r, g, b);
  EXPECT_EQ(r, 0x56);
  EXPECT_EQ(g, 0x34);
  EXPECT_EQ(b, 0x12);
  SplitColor(-1, r, g, b);
  EXPECT_EQ(r, -1.0f);
  EXPECT_EQ(g, 0.0f);
  EXPECT_EQ(b, 0.0f);
  SplitColor(300 * 65536 + 2, r, g, b);
  EXPECT_EQ(b, 300.0f);
  EXPECT_EQ(r, 2.0f);
}

TEST(ChromaFlags, SetColorsLeavesCurrentComponentsAlone) {
  Chroma c = Components(1, 2, 3);
  c.Value = 0xFFFFFF;
  SetColors(c);
  EXPECT_EQ(c.Red, 1.0f);
  EXPECT_EQ(c.Blue, 3.0f);
  ResetSetChroma(c);
  EXPECT_FALSE(c.ColorsSet);
  EXPECT_FALSE(c.ValueSet);
  SetColors(c);
  EXPECT_EQ(c.Red, 255.0f);
  EXPECT_TRUE(c.ColorsSet && c.ValueSet);
}

TEST(ChromaFlags, AssignChromaOfMinusOnePacksAsBlack) {
  Chroma c = AssignChroma(-1);
  EXPECT_EQ(c.Red, -1.0f);
  EXPECT_EQ(c.Green, 0.0f);
  EXPECT_EQ(c.Blue, 0.0f);
  EXPECT_TRUE(c.ColorsSet && c.ValueSet);
  SetValue(c);
  EXPECT_EQ(c.Value, 0);
  EXPECT_THROW(AssignChroma(4e9), RunTimeError);
}

TEST(ChromaFlags, SetExtendedOverwritesHandSetComponentsFromAStaleValue) {
  // A record whose components were set by hand but whose ColorsSet is false takes its
  // components from Value: the trap the flags are there to avoid.
  ChromaExtended x;
  x.Red = 10, x.Green = 20, x.Blue = 30;
  x.Value = 0x0000FF;
  x.Level = 1;
  SetExtended(x);
  EXPECT_EQ(x.Red, 255.0f);
  EXPECT_EQ(x.Green, 0.0f);
}

TEST(ChromaFlags, SetExtendedOnADerivedRecordRecomputesNothing) {
  ChromaExtended x = Derived(255, 75, 75);
  x.Red = 0;
  SetExtended(x);
  EXPECT_EQ(x.MaxVal, 255.0f);
  EXPECT_EQ(x.NormRed, 1.0f);
  ResetChromaExtended(x);
  x.ColorsSet = true;
  SetExtended(x);
  EXPECT_EQ(x.MaxVal, 75.0f);
}

TEST(ChromaFlags, LevelZeroDerivesNothingButMarksTheRecord) {
  ChromaExtended x;
  static_cast<Chroma&>(x) = Components(255, 75, 75);
  SetExtended(x);
  EXPECT_TRUE(x.ExtendedSet);
  EXPECT_EQ(x.Spread, 0.0f);
  EXPECT_EQ(x.Value, 255 + 75 * 256 + 75 * 65536);
}

TEST(ChromaDerivation, TiesFollowTheFixedOrderOfComparisons) {
  ChromaExtended red = Derived(255, 75, 75);
  EXPECT_EQ(red.MaxIdx, kRedIdx);
  EXPECT_EQ(red.MidIdx, kBlueIdx);
  EXPECT_EQ(red.MinIdx, kGreenIdx);
  EXPECT_EQ(red.NormRed, 1.0f);
  EXPECT_EQ(red.NormGreen, 0.0f);
  EXPECT_EQ(red.NormBlue, 0.0f);

  ChromaExtended yellow = Derived(255, 255, 75);
  EXPECT_EQ(yellow.MaxIdx, kGreenIdx);
  EXPECT_EQ(yellow.MidIdx, kRedIdx);
  EXPECT_EQ(yellow.MinIdx, kBlueIdx);

  ChromaExtended grey = Derived(100, 100, 100);
  EXPECT_EQ(grey.MaxIdx, kBlueIdx);
  EXPECT_EQ(grey.MidIdx, kGreenIdx);
  EXPECT_EQ(grey.MinIdx, kRedIdx);
  EXPECT_EQ(grey.MinVal, 100.0f);
  EXPECT_EQ(grey.MaxVal, 100.0f);
  EXPECT_EQ(grey.Spread, 0.0f);
  EXPECT_EQ(grey.NormRed, 1.0f);
  EXPECT_EQ(grey.NormGreen, 1.0f);
  EXPECT_EQ(grey.NormBlue, 1.0f);
}

TEST(ChromaDerivation, EveryOrderOfThreeDistinctComponentsIsAPermutation) {
  const float v[3] = {10, 20, 30};
  const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (const auto& o : orders) {
    ChromaExtended x = Derived(v[o[0]], v[o[1]], v[o[2]]);
    const float comps[3] = {x.Red, x.Green, x.Blue};
    EXPECT_EQ(comps[x.MinIdx], 10.0f);
    EXPECT_EQ(comps[x.MidIdx], 20.0f);
    EXPECT_EQ(comps[x.MaxIdx], 30.0f);
    const float norms[3] = {x.NormRed, x.NormGreen, x.NormBlue};
    EXPECT_EQ(norms[x.MinIdx], 0.0f);
    EXPECT_EQ(norms[x.MidIdx], 0.5f);
    EXPECT_EQ(norms[x.MaxIdx], 1.0f);
  }
}

TEST(ChromaBlend, HalfwayFromBlackToWhite) {
  Chroma black = Components(0, 0, 0);
  Chroma white = Components(255, 255, 255);
  Chroma mid = BlendChroma(black, white, 0.5f);
  EXPECT_EQ(mid.Red, 127.5f);
  EXPECT_EQ(mid.Value, 8421504);  // 128 in each byte
  EXPECT_TRUE(mid.ValueSet);
  EXPECT_FALSE(mid.ColorsSet);
}

TEST(ChromaBlend, EndsAndExtrapolation) {
  Chroma a = Components(10, 20, 30);
  Chroma b = Components(110, 0, 30);
  EXPECT_EQ(BlendChroma(a, b, 0.0f).Red, 10.0f);
  EXPECT_EQ(BlendChroma(a, b, 1.0f).Red, 110.0f);
  Chroma beyond = BlendChroma(a, b, 2.0f);
  EXPECT_EQ(beyond.Red, 210.0f);
  EXPECT_EQ(beyond.Green, -20.0f);
  EXPECT_EQ(beyond.Value, 210 + 0 * 256 + 30 * 65536);
}

}  // namespace
}  // namespace marvane
