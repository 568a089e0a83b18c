#include "console/validation.h"

#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

namespace {

double BoundValue(const Bound& bound) {
  return std::visit([](auto v) { return static_cast<double>(v); }, bound);
}

// The text box that holds a checked field.
std::string* FieldText(ConsoleModel& console, const std::string& controlName) {
  if (controlName == kNumPiecesName) return &console.NumPieces;
  if (controlName == kSmallestRadiusName) return &console.SmallestRadius;
  if (controlName == kFadeWidthName) return &console.FadeWidth;
  return nullptr;
}

}  // namespace

std::string BoundText(const Bound& bound) {
  if (const auto* whole = std::get_if<int32_t>(&bound)) return WholeNumberText(*whole);
  return SingleText(std::get<float>(bound));
}

std::string RangeMessage(const Bound& low, const Bound& high) {
  return "Value must be between " + BoundText(low) + " and " + BoundText(high) + "!";
}

bool Constrain(Ui& ui, double& x, const Bound& low, const Bound& high, const std::string& displayName) {
  bool inRange = false;
  WithErrorTrap(ui, "Constrain", [&] {
    const double lo = BoundValue(low), hi = BoundValue(high);
    if (x > hi) {
      x = hi;
    } else if (x < lo) {
      x = lo;
    } else {
      inRange = true;
      return;
    }
    ui.Beep();
    ui.ShowMessage(RangeMessage(low, high), displayName);
  });
  return inRange;
}

bool CheckValue(Ui& ui, ConsoleModel& console, float halfDiagonal, const std::string& controlName,
                const std::string& displayName, std::optional<int32_t>& value) {
  value.reset();
  Bound low, high;
  if (controlName == kSmallestRadiusName || controlName == kFadeWidthName) {
    low = kSmallestRadiusFloor;
    high = halfDiagonal;
  } else if (controlName == kNumPiecesName) {
    low = kFewestPieces;
    high = kMostPieces;
  } else {
    return false;
  }
  bool inRange = false;
  WithErrorTrap(ui, "CheckValue", [&] {
    std::string* text = FieldText(console, controlName);
    if (!text) throw RunTimeError("The console has no field named " + controlName + ".");
    double x = LeadingNumber(*text);
    const bool accepted = Constrain(ui, x, low, high, displayName);
    const int32_t whole = RoundToLong(x);
    *text = WholeNumberText(whole);
    value = whole;
    inRange = accepted;
  });
  return inRange;
}

}  // namespace marvane
