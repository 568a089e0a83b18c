#include "colour/spectrum.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/ui.h"

using namespace marvane;

TEST(Spectrum, TablesAreBuiltOnceFromThe427Colours) {
  SpectrumTables s;
  InitializeSpectrum(s);
  int64_t sum = 0;  // a checksum of the colours, (i + 1) x colour i, worked out apart from this program
  for (int i = 0; i < kSpectrumSize; ++i) sum += (i + 1) * int64_t{s.SpecColors[i]};
  EXPECT_EQ(std::tuple(sum, s.SpecLast), std::tuple(886714789482, 426));
  const struct { int i; float r, g, b, min, spread, nr, ng, nb, midNorm; } rows[] = {
      {0, 255, 75, 75, 75, 180, 1, 0, 0, 0}, {1, 255, 78, 75, 75, 180, 1, 3.0f / 180, 0, 3.0f / 180},
      {103, 255, 255, 75, 75, 180, 1, 1, 0, 1}, {183, 75, 230, 75, 75, 155, 0, 1, 0, 0},
      {240, 75, 158, 164, 75, 89, 0, 83.0f / 89, 1, 83.0f / 89}, {287, 75, 75, 255, 75, 180, 0, 0, 1, 0},
      {359, 165, 75, 165, 75, 90, 1, 0, 1, 1}, {426, 254, 75, 76, 75, 179, 1, 0, 1.0f / 179, 1.0f / 179}};
  for (const auto& r : rows)
    EXPECT_EQ(std::tuple(s.SpecRed[r.i], s.SpecGreen[r.i], s.SpecBlue[r.i], s.SpecMin[r.i], s.SpecSpread[r.i],
                         s.SpecNormRed[r.i], s.SpecNormGreen[r.i], s.SpecNormBlue[r.i], s.SpecMidNorm[r.i]),
              std::tuple(r.r, r.g, r.b, r.min, r.spread, r.nr, r.ng, r.nb, r.midNorm)) << r.i;
  s.SpecMidNorm[5] = 42;  // a second start-up would overwrite this
  InitializeSpectrum(s), Startup(s);
  EXPECT_EQ(s.SpecMidNorm[5], 42.0f);
}

static int MatchOf(float r, float g, float b) {
  ChromaExtended x = ExtendedFrom(Chroma{r, g, b, 0, false, true});
  return Match(ReadySpectrum(), x);
}

TEST(Spectrum, MatchFindsTheHueWhateverTheWhiteLevelAndStrength) {
  const struct { float r, g, b; int index; } rows[] = {
      {255, 75, 75, 0}, {200, 0, 0, 0}, {128, 128, 128, 0}, {0, 255, 0, 183}, {0, 0, 255, 287}, {255, 255, 0, 103},
      {255, 0, 255, 359}, {255, 0, 1, 426}, {255, 128, 0, 40}, {0, 128, 255, 261}, {128, 0, 255, 329},
      {0, 255, 250, 239}, {0, 250, 255, 240}, {255, 1, 0, 0}};
  for (const auto& r : rows) EXPECT_EQ(MatchOf(r.r, r.g, r.b), r.index) << r.r << ", " << r.g << ", " << r.b;
  const SpectrumTables& s = ReadySpectrum();
  for (int i = 0; i < kSpectrumSize; ++i)  // but 237 to 239, where the middle norms turn back in a rising stretch
    EXPECT_TRUE((i > 236 && i < 240) || MatchOf(s.SpecRed[i], s.SpecGreen[i], s.SpecBlue[i]) == i) << i;
  ChromaExtended packed;  // level 0, known by its packed value (255, 128, 0) only
  packed.Value = 255 + 128 * 256, packed.ValueSet = true;
  EXPECT_EQ(std::tuple(Match(s, packed), packed.Level, packed.Spread), std::tuple(40, 1, 255.0f));
}

TEST(Spectrum, SpecColorScalesTheWhiteFloorAndTheSpreadAndWrapsTheIndex) {
  const struct { double index, white, spread; float r, g, b; } rows[] = {
      {0, 1, 1, 255, 75, 75}, {0, 2, 1, 255, 150, 150}, {0, 0.5, 0.5, 128, 38, 38}, {103, 0, 0, 0, 0, 0},
      {-1, 1, 1, 254, 75, 76}, {-428, 1, 1, 254, 75, 76}, {427, 1, 1, 255, 75, 75}, {103.5, 1, 1, 254, 255, 75},
      {102.5, 1, 1, 255, 254, 75}, {-32768, 1, 1, 245, 254, 75}, {-1, 2, 1, 255, 150, 151}};
  RecordingUi ui;
  for (const auto& r : rows) {
    const ChromaExtended c = SpecColor(ui, ReadySpectrum(), r.index, r.white, r.spread);
    const bool derived = r.white != 1 || r.spread != 1;  // the plain entry is copied with no flag set
    EXPECT_EQ(std::tuple(c.Red, c.Green, c.Blue, c.Value, c.ValueSet, c.ColorsSet, c.ExtendedSet, c.Level),
              std::tuple(r.r, r.g, r.b, int(r.r + 256 * r.g + 65536 * r.b), derived, derived, derived, 1)) << r.index;
  }
}
