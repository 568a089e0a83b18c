#include "colour/spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui.h"

namespace marvane {
namespace {

int Red(int32_t v) { return v & 0xFF; }
int Green(int32_t v) { return (v >> 8) & 0xFF; }
int Blue(int32_t v) { return (v >> 16) & 0xFF; }

class SpectrumTest : public ::testing::Test {
 protected:
  void SetUp() override { InitializeSpectrum(s); }
  SpectrumTables s;
  RecordingUi ui;
};

TEST_F(SpectrumTest, TableHasTheStatedProperties) {
  EXPECT_EQ(s.SpecLast, 426);
  for (int i = 0; i < kSpectrumSize; ++i) {
    const int32_t v = s.SpecColors[i];
    const int lo = std::min({Red(v), Green(v), Blue(v)});
    const int hi = std::max({Red(v), Green(v), Blue(v)});
    EXPECT_GE(lo, 75) << i;
    EXPECT_LE(lo, 78) << i;
    EXPECT_GE(hi, 161) << i;
    EXPECT_LE(hi, 255) << i;
    EXPECT_GE(hi - lo, 86) << i;
    EXPECT_LE(hi - lo, 180) << i;
    EXPECT_NE(lo, hi) << i;
    EXPECT_EQ(s.SpecMin[i], static_cast<float>(lo)) << i;
    EXPECT_EQ(s.SpecSpread[i], static_cast<float>(hi - lo)) << i;
    EXPECT_EQ(s.SpecRed[i], static_cast<float>(Red(v))) << i;
    EXPECT_EQ(s.SpecGreen[i], static_cast<float>(Green(v))) << i;
    EXPECT_EQ(s.SpecBlue[i], static_cast<float>(Blue(v))) << i;
  }
}

TEST_F(SpectrumTest, HueAnchors) {
  auto rgb = [&](int i) {
    const int32_t v = s.SpecColors[i];
    return std::array<int, 3>{Red(v), Green(v), Blue(v)};
  };
  EXPECT_EQ(rgb(0), (std::array<int, 3>{255, 75, 75}));
  EXPECT_EQ(rgb(103), (std::array<int, 3>{255, 255, 75}));
  EXPECT_EQ(rgb(183), (std::array<int, 3>{75, 230, 75}));
  EXPECT_EQ(rgb(237), (std::array<int, 3>{75, 161, 160}));
  EXPECT_EQ(rgb(238), (std::array<int, 3>{75, 159, 161}));
  EXPECT_EQ(rgb(287), (std::array<int, 3>{75, 75, 255}));
  EXPECT_EQ(rgb(359), (std::array<int, 3>{165, 75, 165}));
  EXPECT_EQ(rgb(426), (std::array<int, 3>{254, 75, 76}));
}

TEST_F(SpectrumTest, MiddleNormMovesSteadilyBetweenAnchors) {
  struct Stretch {
    int from, to;
    bool rising;
  };
  // From 183 the values rise only to 237; blue takes over as largest at 238.
  const Stretch stretches[] = {{0, 103, true},    {103, 183, false}, {183, 237, true},
                               {238, 287, false}, {287, 359, true},  {359, 426, false}};
  for (const auto& st : stretches)
    for (int i = st.from; i < st.to; ++i) {
      if (st.rising)
        EXPECT_LE(s.SpecMidNorm[i], s.SpecMidNorm[i + 1]) << i;
      else
        EXPECT_GE(s.SpecMidNorm[i], s.SpecMidNorm[i + 1]) << i;
    }
  EXPECT_NEAR(s.SpecMidNorm[237], 0.988f, 0.0005f);
  EXPECT_NEAR(s.SpecMidNorm[238], 0.977f, 0.0005f);
  EXPECT_NEAR(s.SpecMidNorm[239], 0.954f, 0.0005f);
  EXPECT_NEAR(s.SpecMidNorm[240], 0.933f, 0.0005f);
}

TEST_F(SpectrumTest, DerivedExampleRows) {
  struct Row {
    int i;
    float min, spread, nr, ng, nb;
    uint8_t mid;
    float midNorm;
  };
  const Row rows[] = {
      {0, 75, 180, 1, 0, 0, kBlueIdx, 0},
      {1, 75, 180, 1, 3.0f / 180, 0, kGreenIdx, 3.0f / 180},
      {103, 75, 180, 1, 1, 0, kRedIdx, 1},
      {183, 75, 155, 0, 1, 0, kBlueIdx, 0},
      {240, 75, 89, 0, 83.0f / 89, 1, kGreenIdx, 83.0f / 89},
      {287, 75, 180, 0, 0, 1, kGreenIdx, 0},
      {359, 75, 90, 1, 0, 1, kRedIdx, 1},
      {426, 75, 179, 1, 0, 1.0f / 179, kBlueIdx, 1.0f / 179},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(s.SpecMin[r.i], r.min) << r.i;
    EXPECT_EQ(s.SpecSpread[r.i], r.spread) << r.i;
    EXPECT_EQ(s.SpecNormRed[r.i], r.nr) << r.i;
    EXPECT_EQ(s.SpecNormGreen[r.i], r.ng) << r.i;
    EXPECT_EQ(s.SpecNormBlue[r.i], r.nb) << r.i;
    EXPECT_EQ(s.SpecMidNorm[r.i], r.midNorm) << r.i;
    ChromaExtended e = SpecColor(ui, s, r.i, 1, 1);
    ResetChromaExtended(e);
    SetExtended(e);
    EXPECT_EQ(e.MidIdx, r.mid) << r.i;
  }
}

TEST_F(SpectrumTest, SecondInitializationChangesNothing) {
  SpectrumTables before = s;
  s.SpecMidNorm[5] = 42.0f;  // a second start-up would overwrite this
  InitializeSpectrum(s);
  Startup(s);
  EXPECT_EQ(s.SpecMidNorm[5], 42.0f);
  s.SpecMidNorm[5] = before.SpecMidNorm[5];
  EXPECT_EQ(ReadySpectrum().SpecColors, before.SpecColors);
  EXPECT_EQ(ReadySpectrum().SpecMidNorm, before.SpecMidNorm);
}

int MatchOf(const SpectrumTables& s, float r, float g, float b) {
  ChromaExtended x;
  x.Red = r, x.Green = g, x.Blue = b;
  x.ColorsSet = true;
  x.Level = 1;
  return Match(s, x);
}

TEST_F(SpectrumTest, MatchFindsTheHue) {
  EXPECT_EQ(MatchOf(s, 255, 75, 75), 0);
  EXPECT_EQ(MatchOf(s, 200, 0, 0), 0);
  EXPECT_EQ(MatchOf(s, 128, 128, 128), 0);
  EXPECT_EQ(MatchOf(s, 0, 0, 0), 0);
  EXPECT_EQ(MatchOf(s, 0, 255, 0), 183);
  EXPECT_EQ(MatchOf(s, 0, 0, 255), 287);
  EXPECT_EQ(MatchOf(s, 255, 255, 0), 103);
  EXPECT_EQ(MatchOf(s, 255, 0, 255), 359);
  EXPECT_EQ(MatchOf(s, 255, 0, 1), 426);
  EXPECT_EQ(MatchOf(s, 255, 128, 0), 40);
  EXPECT_EQ(MatchOf(s, 0, 128, 255), 261);
  EXPECT_EQ(MatchOf(s, 128, 0, 255), 329);
  EXPECT_EQ(MatchOf(s, 0, 255, 250), 239);
  EXPECT_EQ(MatchOf(s, 0, 250, 255), 240);
}

TEST_F(SpectrumTest, EveryEntryMatchesItsOwnIndexOutsideTheTurnBack) {
  // From 237 the middle component's norm turns back down while the search still takes
  // the stretch 183..240 as rising, so those entries land one or two steps further on.
  for (int i = 0; i < kSpectrumSize; ++i) {
    const int k = MatchOf(s, s.SpecRed[i], s.SpecGreen[i], s.SpecBlue[i]);
    if (i >= 237 && i <= 239)
      EXPECT_TRUE(k > i && k <= 240) << i << " -> " << k;
    else
      EXPECT_EQ(k, i);
  }
}

TEST_F(SpectrumTest, MatchIgnoresWhiteLevelAndStrength) {
  for (int i = 0; i < kSpectrumSize; ++i) {
    if (i >= 236 && i <= 240) continue;
    const float r = s.SpecRed[i], g = s.SpecGreen[i], b = s.SpecBlue[i];
    // The same hue, half as strong on a higher white floor.
    const int k = MatchOf(s, (r - 75) * 0.5f + 100, (g - 75) * 0.5f + 100, (b - 75) * 0.5f + 100);
    const int apart = std::abs(k - i);
    EXPECT_LE(std::min(apart, kSpectrumSize - apart), 1) << i << " -> " << k;
  }
}

TEST_F(SpectrumTest, MatchRaisesLevelZeroAndDerives) {
  ChromaExtended x;
  x.Value = 255 + 128 * 256;  // (255, 128, 0) as a packed value
  x.ValueSet = true;
  EXPECT_EQ(Match(s, x), 40);
  EXPECT_EQ(x.Level, 1);
  EXPECT_TRUE(x.ExtendedSet);
  EXPECT_EQ(x.MinVal, 0.0f);
  EXPECT_EQ(x.Spread, 255.0f);
}

TEST_F(SpectrumTest, SpecColorPlainEntryHasNoFlags) {
  ChromaExtended e = SpecColor(ui, s, 0, 1, 1);
  EXPECT_EQ(e.Red, 255.0f);
  EXPECT_EQ(e.Green, 75.0f);
  EXPECT_EQ(e.Blue, 75.0f);
  EXPECT_EQ(e.Value, s.SpecColors[0]);
  EXPECT_FALSE(e.ValueSet);
  EXPECT_FALSE(e.ColorsSet);
  EXPECT_FALSE(e.ExtendedSet);
  EXPECT_EQ(e.Level, 1);
}

TEST_F(SpectrumTest, SpecColorScalesWhiteAndSpread) {
  ChromaExtended light = SpecColor(ui, s, 0, 2, 1);  // red 180 + 150 = 330, clamped
  EXPECT_EQ(light.Red, 255.0f);
  EXPECT_EQ(light.Green, 150.0f);
  EXPECT_EQ(light.Blue, 150.0f);
  EXPECT_TRUE(light.ExtendedSet && light.ValueSet && light.ColorsSet);

  ChromaExtended half = SpecColor(ui, s, 0, 0.5, 0.5);  // 127.5 and 37.5 go to even
  EXPECT_EQ(half.Red, 128.0f);
  EXPECT_EQ(half.Green, 38.0f);
  EXPECT_EQ(half.Blue, 38.0f);

  ChromaExtended black = SpecColor(ui, s, 103, 0, 0);
  EXPECT_EQ(black.Value, 0);
}

TEST_F(SpectrumTest, SpecColorWrapsTheIndex) {
  EXPECT_EQ(SpecColor(ui, s, -1, 1, 1).Value, s.SpecColors[426]);
  EXPECT_EQ(SpecColor(ui, s, -428, 1, 1).Value, s.SpecColors[426]);
  EXPECT_EQ(SpecColor(ui, s, 427, 1, 1).Value, s.SpecColors[0]);
  EXPECT_EQ(SpecColor(ui, s, 103.5, 1, 1).Value, s.SpecColors[104]);
  EXPECT_EQ(SpecColor(ui, s, 102.5, 1, 1).Value, s.SpecColors[102]);
  EXPECT_EQ(SpecColor(ui, s, -32768, 1, 1).Value, s.SpecColors[((-32768 % 427) + 427) % 427]);
  EXPECT_TRUE(ui.Events().empty());
}

TEST_F(SpectrumTest, SpecColorOverflowIsReportedAndGivesAnEmptyRecord) {
  ChromaExtended e = SpecColor(ui, s, 40000, 2, 1);
  EXPECT_EQ(e.Value, 0);
  EXPECT_EQ(e.Level, 0);
  EXPECT_EQ(e.Red, 0.0f);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "SpecColor");
  EXPECT_EQ(ui.Messages()[0].text, "Overflow");
}

}  // namespace
}  // namespace marvane
