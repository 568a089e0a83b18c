#pragma once
// The values of the console's controls, named as the controls are: what the user has
// typed, chosen and ticked. The desktop console binds its widgets to one of these;
// the headless renderer fills one from its flags; the settings file and the pipeline
// read it. Texts are UTF-8 and kept exactly as typed: turning them into numbers is the
// reader's business (LeadingNumber), because a half-typed value still counts.
#include <array>
#include <cstdint>
#include <string>

namespace marvane {

// The sliders' ranges.
inline constexpr int32_t kClineMin = -150;
inline constexpr int32_t kClineMax = 150;
inline constexpr int32_t kSpecStartMin = 0;
inline constexpr int32_t kSpecStartMax = 426;
inline constexpr int32_t kLightenMin = -100;
inline constexpr int32_t kLightenMax = 100;
inline constexpr int32_t kLightStartMin = -100;
inline constexpr int32_t kLightStartMax = 100;

// The rotation list, in the order its items are added.
inline constexpr std::array<const char*, 3> kTurn45Items = {"Rotate -45°", "No Rotation",
                                                            "Rotate 45°"};
// A list index of -1 selects no item.
inline constexpr int32_t kNoListIndex = -1;

// The quadrant check boxes, by index.
enum Quadrant : int { kUpperRight = 0, kUpperLeft = 1, kLowerLeft = 2, kLowerRight = 3 };
inline constexpr std::array<const char*, 4> kFillInQuadrantCaptions = {
    "Upper Right", "Upper Left", "Lower Left", "Lower Right"};
// The order in which the final-image scan draws the quadrants at each of its positions.
inline constexpr std::array<Quadrant, 4> kQuadrantScanOrder = {kLowerRight, kUpperRight, kLowerLeft, kUpperLeft};
inline constexpr bool IsRightQuadrant(Quadrant q) { return q == kUpperRight || q == kLowerRight; }
inline constexpr bool IsLowerQuadrant(Quadrant q) { return q == kLowerLeft || q == kLowerRight; }

// The output option buttons, by index.
inline constexpr int kSmallImageOnlyOption = 0;
inline constexpr int kBothLargeAndSmallOption = 1;
inline constexpr std::array<const char*, 2> kOutputOptionCaptions = {"Small image only",
                                                                     "Both large and small"};

// The members start as the controls are when the window opens, before start-up fills
// them from the settings: the sliders at their design-time values, no rotation item
// listed yet, only "Upper Left" ticked and "Small image only" chosen.
struct ConsoleModel {
  std::string TileFile;
  std::string SaveFile;
  std::string NumPieces = "12";
  std::string SmallestRadius = "15";
  std::string FadeWidth = "60";
  int32_t Turn45ListIndex = kNoListIndex;
  int32_t Cline = -55;
  int32_t SpecStart = 103;
  int32_t Lighten = -30;
  int32_t LightStart = 95;
  std::array<bool, 4> FillInQuadrant = {false, true, false, false};
  // Option buttons: exactly one is selected; SelectOutputOption keeps it so.
  std::array<bool, 2> OutputOption = {true, false};
  // The "Live preview" box.
  bool LivePreview = false;

  void SelectOutputOption(int index) {
    OutputOption = {index == kSmallImageOnlyOption, index == kBothLargeAndSmallOption};
  }

  bool operator==(const ConsoleModel&) const = default;
};

}  // namespace marvane
