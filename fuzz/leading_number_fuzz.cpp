// The leading-number reader, and the field check that sits on it: any text as typed
// into the console's numeric fields.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/console_model.h"
#include "console/validation.h"
#include "fuzz_support.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "util/numbers.h"

using namespace marvane;
using marvane::fuzz::Require;

namespace {

// Half the diagonal of the desktop's design board, 793 x 573.
constexpr float kHalfDiagonal = 489.1753f;

void CheckField(const std::string& controlName, std::string_view typed, double low, double high) {
  RecordingUi ui;
  ConsoleModel console;
  std::string& field = controlName == kNumPiecesName ? console.NumPieces
                       : controlName == kSmallestRadiusName ? console.SmallestRadius
                                                            : console.FadeWidth;
  field = std::string(typed);
  std::optional<int32_t> value;
  const bool inRange = CheckValue(ui, console, kHalfDiagonal, controlName, "Field", value);
  Require(value.has_value(), "a checked field always hands out a number");
  Require(*value >= std::nearbyint(low) && *value <= std::nearbyint(high), "the number lies in the field's range");
  Require(field == WholeNumberText(*value), "the field shows the number handed out");
  Require(inRange == ui.Messages().empty(), "a message exactly when the typed number was out of range");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double v = LeadingNumber(text);
  Require(std::isfinite(v), "a leading number is always finite");

  try {
    const int32_t n = RoundToLong(v);
    Require(std::fabs(static_cast<double>(n) - v) <= 0.5, "rounding goes to a nearest whole number");
  } catch (const RunTimeError&) {
    Require(std::fabs(v) >= 2147483647.0, "only a number beyond 32 bits overflows");
  }
  try {
    const int16_t n = RoundToInteger(v);
    Require(std::fabs(static_cast<double>(n) - v) <= 0.5, "rounding goes to a nearest whole number");
  } catch (const RunTimeError&) {
    Require(std::fabs(v) >= 32767.0, "only a number beyond 16 bits overflows");
  }
  try {
    const int32_t n = IntDownToLong(v);
    Require(static_cast<double>(n) <= v && v < static_cast<double>(n) + 1.0, "Int rounds down");
  } catch (const RunTimeError&) {
    Require(v < -2147483648.0 || v >= 2147483648.0, "only a number beyond 32 bits overflows");
  }

  CheckField(kNumPiecesName, text, kFewestPieces, kMostPieces);
  CheckField(kSmallestRadiusName, text, kSmallestRadiusFloor, kHalfDiagonal);
  CheckField(kFadeWidthName, text, kSmallestRadiusFloor, kHalfDiagonal);
  return 0;
}
