#pragma once
// marvane-render run in process as its main() runs it, in a temporary current folder.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/render_driver.h"
#include "platform/picture_files.h"
#include "support/picture_checks.h"
#include "support/temp_folder.h"

namespace marvane::testing {

inline Picture ColourfulTile(int w, int h) {  // every pixel differs, and hard edges show a shift in sampling
  Picture p(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.PSet(x, y, x * 255 / w + 256 * (y * 255 / h) + ((x / 5 + y / 3) % 2 ? 0xE60000 : 0));
  return p;
}

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() { std::filesystem::current_path(dir.Path()); }
  void Tile(int w, int h, const std::string& name = "tile.bmp") { SavePictureFile(ColourfulTile(w, h), name); }
  // `args` separated by blanks ('' is an empty one).
  ParsedCommandLine Parse(const std::string& args, std::ostream& err) {
    std::vector<std::string> words = {"marvane-render"};
    std::istringstream in(args);
    for (std::string word; in >> word;) words.push_back(word == "''" ? "" : word);
    std::vector<const char*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    return ParseRenderCommandLine(static_cast<int>(argv.size()), argv.data(), err, err);  // --help on err too
  }
  // `terminal`: as when standard error is a terminal.
  std::pair<int, std::string> Render(const std::string& args, bool terminal = false) {
    std::ostringstream err;
    const ParsedCommandLine p = Parse(args, err);
    return {p.options ? RunRender(*p.options, err, terminal) : p.status, err.str()};
  }
  ScopedCurrentFolder back;
  TempFolder dir;
};

}  // namespace marvane::testing
