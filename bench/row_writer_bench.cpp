// Writing a 4096 x 4096 render band by band, 256 rows at a time, as a poster is written:
// BMP, PNG and TIFF, each into a real file (made durable and put in place), with the
// file's size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "cli/render_driver.h"
#include "cli/render_options.h"
#include "platform/output_file.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "platform/row_writers.h"

namespace marvane {
namespace {

// The renderer's picture of a colourful 248 x 200 tile on a 4096 x 4096 board.
const Picture& Render4096() {
  static const Picture picture = [] {
    const std::string folder = (std::filesystem::temp_directory_path() / "marvane-bench-rows").string();
    std::filesystem::create_directories(folder);
    Picture tile(248, 200, 0);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 248; ++x)
        tile.PSet(x, y, (x * 255 / 248) + 256 * (y * 255 / 200) + 65536 * (((x / 9 + y / 7) % 2) ? 220 : 40));
    RenderOptions o;
    o.tile = folder + "/tile.bmp";
    SavePictureFile(tile, o.tile);
    o.output = folder + "/render.bmp";
    o.seed = "1";
    o.quiet = true;
    o.boardWidth = o.boardHeight = 4096;
    std::ostringstream err;
    RunRender(o, err, false);
    return LoadPictureFile(o.output, 0);
  }();
  return picture;
}

void BM_WriteBands4096(benchmark::State& state) {
  const char* format = state.range(0) == 0 ? "bmp" : state.range(0) == 1 ? "png" : "tiff";
  const Picture& picture = Render4096();
  const int32_t width = picture.Width(), height = picture.Height(), band = 256;
  const std::string path = (std::filesystem::temp_directory_path() / "marvane-bench-rows/out.").string() + format;
  for (auto _ : state) {
    OutputFile out(path, [](const std::string& why) { return why; });
    const auto writer = OpenRowWriter(out, format, width, height, kScreenPixelsPerMetre);
    for (int32_t done = 0; done < height; done += band) {
      const int32_t rows = std::min(band, height - done);
      const int32_t top = writer->Order() == RowOrder::BottomUp ? height - done - rows : done;
      writer->WriteRows(picture.Pixels().data() + static_cast<size_t>(top) * width, rows);
    }
    writer->Finish();
    out.Commit();
  }
  state.SetLabel(format);
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  state.SetBytesProcessed(state.iterations() * int64_t{width} * height * 3);
}
BENCHMARK(BM_WriteBands4096)->Unit(benchmark::kMillisecond)->UseRealTime()->DenseRange(0, 2)->Iterations(3);

}  // namespace
}  // namespace marvane
