// Any bytes split at NULs into arguments, read and checked as marvane-render does (no settings, small boards).
#include <sstream>

#include "cli/render_driver.h"
#include "cli/render_failure.h"
#include "cli/render_values.h"
#include "fuzz_support.h"

void marvane::fuzz::FuzzOne(std::string_view text) {
  std::vector<std::string> args{kRenderProgramName};
  std::istringstream in{std::string(text)};
  for (std::string arg; args.size() < 64 && std::getline(in, arg, '\0');) args.push_back(arg);
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const ParsedCommandLine p = ParseRenderCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  Require(p.options || (p.status == kExitBadUsage) == !err.str().empty(), "bad usage, and only that, is explained");
  if (!p.options || p.options->settings) return;
  if (const auto [width, height] = AskedBoard(*p.options); width * height > 1e6) return;
  try {
    CheckedRenderJob(*p.options);
  } catch (const RenderFailure& f) {
    Require(f.Status() == kExitBadInput, "a refusal is bad input");
  }
}
