#pragma once
// Start-up: the steps the program takes before it waits for the user. It reads the
// settings, fills the console, measures the board, makes the "Tiles" and "Output"
// folders, loads the tile and the tile grid of the last run, and computes the spiral,
// the grid layout and the tile colour. The windows' part goes through StartUpHost.
#include <string>

#include "run/app_state.h"
#include "run/job_host.h"

namespace marvane {

class Ui;

class StartUpHost {
 public:
  virtual ~StartUpHost() = default;
  virtual void ShowSplash() {}
  // Window state: minimised or normal.
  virtual void SetFormMinimised(Form form, bool minimised) { (void)form, (void)minimised; }
  virtual void ShowForm(Form form) { (void)form; }
  virtual void HideForm(Form form) { (void)form; }
  // The console model now holds the values to show.
  virtual void ConsoleFilled() {}
  virtual void CenterConsole() {}
};

inline constexpr const char* kInvalidPropertyValueText = "Invalid property value";

// Runs start-up in `startFolder` with the settings file at `iniPath`. The work surfaces
// take the desktop's board size unless the caller sized the tile grid already. Its error
// trap is titled "Main": a missing "TileGrid.bmp" or a setting outside its control's
// range ends start-up there with one message; a tile file that cannot be loaded and
// folders that cannot be made are passed over silently. Returns whether start-up ran
// to its end.
bool Main(AppState& s, Ui& ui, StartUpHost& host, const std::string& startFolder,
          const std::string& iniPath);

// The file the tile grid is kept in between runs.
std::string TileGridPath(const std::string& startFolder);

}  // namespace marvane
