#pragma once
// A temporary folder to run marvane-render in, with tiles the tests write themselves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/render_process.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "support/temp_folder.h"

namespace marvane::testing {

// A tile whose every pixel differs, with hard edges, so that a shift in sampling shows.
inline Picture ColourfulTile(int w, int h, int seed = 0) {
  Picture p(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r = (x * 255 / w + seed * 40) % 256, g = y * 255 / h;
      const int b = ((x / 5 + y / 3 + seed) % 2) ? 230 : 25;
      p.PSet(x, y, r + 256 * g + 65536 * b);
    }
  return p;
}

// Bytes that no picture file starts with, to see that a file was left alone.
inline const std::string kKnownBytes = "not touched by marvane-render\n";

class RenderTest : public ::testing::Test {
 protected:
  // Writes a w x h tile into the folder (or a sub-folder named in `name`).
  std::string Tile(int w, int h, const std::string& name = "tile.bmp", int seed = 0) {
    const std::string path = dir / name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    SavePictureFile(ColourfulTile(w, h, seed), path);
    return name;
  }
  RenderRun Run(const std::vector<std::string>& args) { return RunRender(dir.Path(), args); }
  std::string Bytes(const std::string& name) { return ReadFileBytes(dir / name); }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir / name); }
  Picture Load(const std::string& name) { return LoadPictureFile(dir / name, 0xFFFFFF); }

  TempFolder dir;
};

}  // namespace marvane::testing
