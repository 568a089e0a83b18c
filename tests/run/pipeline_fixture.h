#pragma once
// A pipeline on a real application state in a temporary start folder, driven by the
// headless host: LaunchAction runs its ticks back to back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/app_state.h"
#include "run/create_final.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "support/temp_folder.h"

namespace marvane::testing {

inline int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

// A tile with a colour ramp and a bright diagonal, so that squaring and sampling show.
inline Picture MakeTile(int w, int h) {
  Picture p(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p.PSet(x, y, Rgb(x * 255 / w, y * 255 / h, (x + y) % 17 == 0 ? 250 : 60));
  return p;
}

class PipelineTest : public ::testing::Test {
 protected:
  PipelineTest() : pipeline(s, host, ui) {
    host.Attach(pipeline);
    // A job that never ends would hang the test: none here needs this many ticks.
    host.beforeTick = [](int done) { return done < kTickLimit; };
  }
  static constexpr int kTickLimit = 2000;

  // A board of w x h with the default settings' values in the console and state.
  void SetUpBoard(int w, int h) {
    s.settings.StartFolder = folder.Path();
    s.settings.SaveFileName = folder / "Final.bmp";
    s.Workspace1 = Picture(w, h, 0);
    SetBoardConstants(s.Workspace1, s.engine.board);
    s.Workspace3 = Picture(w, h);
    s.FinalImage = Picture(w, h);
    s.Thumbnail = Picture(ThumbnailSide(w), ThumbnailSide(h));
    s.console.NumPieces = "12";
    s.console.SmallestRadius = "15";
    s.console.FadeWidth = "60";
    s.console.Turn45ListIndex = 0;
    s.console.Cline = -54;
    s.console.SpecStart = 104;
    s.console.Lighten = -29;
    s.console.LightStart = 95;
    s.console.SaveFile = s.settings.SaveFileName;
    s.RandomSeed = 7;
    // What start-up takes from the console.
    s.engine.EngineSmallestRadius = 15;
    s.engine.EngineFadeWidth = 60;
    s.engine.EngineNumPieces = 12;
  }

  // Writes a tile file and lays it on the first work surface as the tile loader would.
  std::string PutTile(const Picture& tile, const std::string& name = "Tile.bmp") {
    const std::string path = folder / name;
    SavePictureFile(tile, path);
    return path;
  }

  // Records, before every tick, the stage and scan position the last tick left.
  struct Snapshot {
    int32_t job;
    int32_t scanX, scanY;
    float slice;
  };
  void RecordTicks() {
    host.beforeTick = [this](int done) {
      snaps.push_back({s.JobState, s.ScanX, s.ScanY, s.SliceCount});
      return done < kTickLimit;
    };
  }
  void CancelBeforeTick(int n) {
    host.beforeTick = [this, n](int done) {
      snaps.push_back({s.JobState, s.ScanX, s.ScanY, s.SliceCount});
      return done < n;
    };
  }

  TempFolder folder;
  AppState s;
  HeadlessHost host;
  RecordingUi ui;
  Pipeline pipeline;
  std::vector<Snapshot> snaps;
};

}  // namespace marvane::testing
