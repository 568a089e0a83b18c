#include "run/create_final.h"

#include <algorithm>

#include "colour/spectrum.h"
#include "engine/final_colour.h"
#include "engine/geometry.h"
#include "run/pipeline.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

int32_t PrepareFinalImage(AppState& s, Ui& ui) {
  const ConsoleModel& c = s.console;
  EngineState& e = s.engine;
  // Read again from the text boxes, whatever the last validation stored.
  EngineValuesFromConsole(c, e);
  s.settings.SaveFileName = c.SaveFile;
  s.SmallImageOnly = c.OutputOption[kSmallImageOnlyOption];
  InitializeSpectrum(s.spectrum);
  PrepareColours(ui, s.spectrum, c, e);
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

}  // namespace marvane
