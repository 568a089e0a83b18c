// The renderer's command line: any bytes, split at NUL bytes into arguments, read as
// marvane-render reads its argv, then every value checked as a render checks it before
// it touches a file.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/render_failure.h"
#include "cli/render_options.h"
#include "cli/render_values.h"
#include "console/console_model.h"
#include "console/settings.h"
#include "engine/geometry.h"
#include "fuzz_support.h"

using namespace marvane;
using marvane::fuzz::Require;

namespace {

constexpr size_t kMostArguments = 64;

std::vector<std::string> Arguments(std::string_view bytes) {
  std::vector<std::string> args{kRenderProgramName};
  size_t start = 0;
  while (start <= bytes.size() && args.size() < kMostArguments) {
    const size_t nul = bytes.find('\0', start);
    const size_t end = nul == std::string_view::npos ? bytes.size() : nul;
    args.emplace_back(bytes.substr(start, end - start));
    if (nul == std::string_view::npos) break;
    start = nul + 1;
  }
  return args;
}

// Every check a render makes of its values before it reads the tile.
void CheckValues(RenderOptions options) {
  int32_t width = 0, height = 0;
  CheckBoard(options, width, height);
  Require(width >= 1 && width <= kLargestBoardSide && height >= 1 && height <= kLargestBoardSide,
          "an accepted board keeps to its sides");
  const int32_t threads = CheckedThreads(options);
  Require(threads >= 0 && threads <= kMostThreads, "an accepted thread count keeps to its range");
  if (options.seed) CheckedSeed(*options.seed);
  if (options.tileColor) CheckedTileColor(options);
  // A settings file named on the command line would be read from anywhere on the
  // machine; the settings reader has a fuzz program of its own.
  options.settings.reset();
  BoardConstants board;
  SetBoardConstants(width, height, board);
  SettingsMirror mirror;
  ConsoleModel console;
  FillConsole(options, board, mirror, console);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> args = Arguments(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  std::ostringstream out, err;
  const ParsedCommandLine parsed = ParseRenderCommandLine(static_cast<int>(args.size()), argv.data(), out, err);
  if (!parsed.options) {
    Require(parsed.status == kExitSuccess || parsed.status == kExitBadUsage, "a command line ends in help or bad usage");
    Require((parsed.status == kExitBadUsage) == !err.str().empty(), "bad usage is explained");
    return 0;
  }
  try {
    CheckValues(*parsed.options);
  } catch (const RenderFailure& failure) {
    Require(failure.Status() == kExitBadInput || failure.Status() == kExitBadUsage, "a refusal has a usage or input status");
    Require(std::string_view(failure.what()).size() > 0, "a refusal says why");
  }
  return 0;
}
