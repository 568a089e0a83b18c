// The leading-number reader under the console's check: any text typed as the number of parts.
#include "console/validation.h"
#include "fuzz_support.h"
#include "platform/ui.h"

void marvane::fuzz::FuzzOne(std::string_view text) {
  RecordingUi ui;
  ConsoleModel console;
  console.NumPieces = std::string(text);
  std::optional<int32_t> value;
  const bool inRange = CheckValue(ui, console, 489.1753f, kNumPiecesName, "Pieces", value);
  Require(value && *value >= 6 && *value <= 99 && console.NumPieces == std::to_string(*value), "6 to 99, shown");
  Require(inRange == ui.Messages().empty(), "a message exactly when the typed number was out of range");
}
