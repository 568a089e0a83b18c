#include "run/create_final.h"

#include <algorithm>

#include "colour/spectrum.h"
#include "engine/final_colour.h"
#include "engine/geometry.h"
#include "run/pipeline.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

void EngineValuesFromConsole(AppState& s) {
  const ConsoleModel& c = s.console;
  EngineState& e = s.engine;
  e.EngineTurn45 = RoundToInteger(c.Turn45ListIndex);
  e.SpectrumShift = ToSingle(c.Cline * 0.01);
  e.BrightnessShift = ToSingle(c.Lighten * 0.01);
  e.EngineSmallestRadius = RoundToLong(LeadingNumber(c.SmallestRadius));
  e.EngineFadeWidth = ToSingleChecked(LeadingNumber(c.FadeWidth));
}

ChromaExtended CenterColorAt(Ui& ui, const AppState& s, double index) {
  const float f = LightFactor(s.console.LightStart, 1);
  const float light = std::min(f, 1.0f);
  return SpecColor(ui, s.spectrum, index, f, light);
}

int32_t PrepareFinalImage(AppState& s, Ui& ui) {
  const ConsoleModel& c = s.console;
  EngineState& e = s.engine;
  // Read again from the text boxes, whatever the last validation stored.
  EngineValuesFromConsole(s);
  s.settings.SaveFileName = c.SaveFile;
  s.SmallImageOnly = c.OutputOption[kSmallImageOnlyOption];
  InitializeSpectrum(s.spectrum);
  e.CenterColor = CenterColorAt(ui, s, c.SpecStart);
  e.TileHueOffset = ToSingle(-static_cast<double>(Match(s.spectrum, e.TileColor)));
  SetSpiralGeometry(e);
  s.FinalImage.SetBackColor(e.CenterColor.Value);
  s.Thumbnail.SetBackColor(e.CenterColor.Value);
  s.ScaleDivisor = s.SmallImageOnly ? 4 : 1;
  s.ScaleFactor = ToSingle(1.0 / s.ScaleDivisor);
  s.FinalRunActive = true;
  s.ScanX = e.board.CenterX;
  s.ScanY = e.board.CenterY;
  return s.settings.NeedToRedrawGrid ? kTileGridStage : kFinalImageStage;
}

void CreateFinalClick(Pipeline& pipeline, AppState& s, Ui& ui) {
  WithErrorTrap(ui, "CreateFinal_Click", [&] {
    const int32_t action = PrepareFinalImage(s, ui);
    pipeline.LaunchAction(action, s.engine.board.BoardRight, s.engine.board.BoardBottom);
  });
}

int32_t ThumbnailSide(int32_t boardSide) { return boardSide <= 0 ? 0 : (boardSide + 3) / 4; }

}  // namespace marvane
