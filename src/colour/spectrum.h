#pragma once
// The fixed spectrum of 427 colours and the tables derived from it once per run, and
// the two ways colours meet it: Match (the spectrum index of a colour's hue) and
// SpecColor (a spectrum colour with its white level and strength scaled).
#include <array>
#include <cstdint>

#include "colour/chroma.h"
#include "colour/spectrum_data.h"
#include "util/numbers.h"
#include "util/per_pixel.h"

namespace marvane {

class Ui;

struct SpectrumTables {
  std::array<int32_t, kSpectrumSize> SpecColors{};
  std::array<float, kSpectrumSize> SpecRed{};
  std::array<float, kSpectrumSize> SpecGreen{};
  std::array<float, kSpectrumSize> SpecBlue{};
  std::array<float, kSpectrumSize> SpecMin{};
  std::array<float, kSpectrumSize> SpecSpread{};
  std::array<float, kSpectrumSize> SpecNormRed{};
  std::array<float, kSpectrumSize> SpecNormGreen{};
  std::array<float, kSpectrumSize> SpecNormBlue{};
  std::array<float, kSpectrumSize> SpecMidNorm{};
  int16_t SpecLast = 0;
  bool SpectrumReady = false;
};

// Stores the packed spectrum colours; they are part of the program, no file is read.
void LoadValues(std::array<int32_t, kSpectrumSize>& specColors);
// Fills the colours and derives the other tables, once: a ready spectrum is left alone.
void Startup(SpectrumTables& spectrum);
void InitializeSpectrum(SpectrumTables& spectrum);
// A spectrum that is ready, built once for the whole process. The tables never change
// after they are built, so every thread may read them.
const SpectrumTables& ReadySpectrum();

// The spectrum index (0..426) whose hue is that of x, whatever its white level and
// strength. x is brought to level 1 and left fully derived.
int16_t Match(const SpectrumTables& spectrum, ChromaExtended& x);
// Match for a colour of whole components (those of a packed colour): the same index,
// found without deriving the whole record, and for bytes remembered once found.
int16_t MatchWhole(const SpectrumTables& spectrum, int32_t red, int32_t green, int32_t blue);

// The spectrum colour at `index` (rounded to a 16-bit integer, halves to even, and
// wrapped into 0..426) with its white floor scaled by `whiteScale` and its spread by
// `spreadScale`. With both scales 1 it is the plain entry, nothing derived and no flag
// set; otherwise a fully derived record with whole components. An index beyond the
// 16-bit range is "Overflow", reported under the title "SpecColor"; the result is then
// an empty record.
ChromaExtended SpecColor(Ui& ui, const SpectrumTables& spectrum, double index, double whiteScale,
                         double spreadScale);

// The spectrum entry that a whole index names: wrapped into 0..426.
inline int SpectrumEntryOf(int index) {
  while (index < 0) index += kSpectrumSize;
  return index % kSpectrumSize;
}

// The components of entry i with its white floor and spread scaled, before any
// derived field is worked out: packed first, so they become the packed colour's whole,
// clamped values.
MARVANE_INLINE Chroma ScaledSpectrumEntry(const SpectrumTables& s, int i, double whiteScale, double spreadScale) {
  const float w = ToSingle(whiteScale * s.SpecMin[i]);
  const float spread = ToSingle(spreadScale * s.SpecSpread[i]);
  Chroma n;
  n.Red = ToSingle(static_cast<double>(spread) * s.SpecNormRed[i] + w);
  n.Green = ToSingle(static_cast<double>(spread) * s.SpecNormGreen[i] + w);
  n.Blue = ToSingle(static_cast<double>(spread) * s.SpecNormBlue[i] + w);
  SetValueAndColors(n);
  return n;
}

// SpecColorPart at a whole index of 16 bits, where no error can arise.
MARVANE_INLINE Chroma SpecColorPartAt(const SpectrumTables& s, int16_t index, double whiteScale, double spreadScale) {
  const int i = SpectrumEntryOf(index);
  if (whiteScale == 1.0 && spreadScale == 1.0) {
    Chroma c;
    c.Value = s.SpecColors[i];
    c.Red = s.SpecRed[i];
    c.Green = s.SpecGreen[i];
    c.Blue = s.SpecBlue[i];
    return c;
  }
  return ScaledSpectrumEntry(s, i, whiteScale, spreadScale);
}

// The colour part of SpecColor's result (components and Value, the same numbers), for
// callers that use nothing else: the derived fields are not worked out. Errors are
// reported under "SpecColor" as there, and give black.
Chroma SpecColorPart(Ui& ui, const SpectrumTables& spectrum, double index, double whiteScale,
                     double spreadScale);

}  // namespace marvane
