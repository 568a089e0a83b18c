#pragma once
// Checking the numbers typed into the console's three numeric fields when the user
// leaves one: the text is read as its leading number, held to the field's range, and
// written back as the whole number that the program will use.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "console/console_model.h"

namespace marvane {

class Ui;

// The fields that are checked, by control name.
inline constexpr const char* kNumPiecesName = "NumPieces";
inline constexpr const char* kSmallestRadiusName = "SmallestRadius";
inline constexpr const char* kFadeWidthName = "FadeWidth";

// The lower and upper bound of the number of radial parts, and the lower bound of the
// smallest radius and the fade width (their upper bound is half the board's diagonal).
inline constexpr int32_t kFewestPieces = 6;
inline constexpr int32_t kMostPieces = 99;
inline constexpr int32_t kSmallestRadiusFloor = 3;

// A bound as the program holds it: a whole number, or a 32-bit float such as half the
// board's diagonal. Each kind reads as text in its own way in the range message.
using Bound = std::variant<int32_t, float>;

std::string BoundText(const Bound& bound);

// "Value must be between " low " and " high "!".
std::string RangeMessage(const Bound& low, const Bound& high);

// Holds x to [low, high]. Inside, x is left alone and the result is true. Outside, x
// becomes the nearer bound, the beep sounds, the range message is shown titled
// `displayName`, and the result is false. An error is shown titled "Constrain" and
// gives false.
bool Constrain(Ui& ui, double& x, const Bound& low, const Bound& high, const std::string& displayName);

// Checks the field `controlName` of the console: its text's leading number is held to
// the field's range (6 to 99 for "NumPieces", 3 to `halfDiagonal` for "SmallestRadius"
// and "FadeWidth"), rounded to a whole number (halves to even), written back into the
// field as digits and handed out in `value`. The result says whether the typed number
// was in range; a clamped one still leaves the bound in the field and in `value`.
// Any other name is answered with false and no value, silently. An error is shown
// titled "CheckValue" and gives false.
bool CheckValue(Ui& ui, ConsoleModel& console, float halfDiagonal, const std::string& controlName,
                const std::string& displayName, std::optional<int32_t>& value);

}  // namespace marvane
