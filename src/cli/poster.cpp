#include "cli/poster.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "cli/render_failure.h"
#include "cli/render_values.h"
#include "platform/deep_zoom.h"
#include "platform/output_file.h"
#include "platform/png_rows.h"
#include "platform/row_writers.h"
#include "platform/run_time_error.h"
#include "platform/share_files.h"
#include "platform/staged_files.h"
#include "platform/ui.h"
#include "run/poster.h"
#include "run/tile_grid.h"
#include "util/general.h"
#include "util/numbers.h"

namespace marvane {

namespace {

namespace fs = std::filesystem;

std::string Text(int64_t n) { return WholeNumberText(n); }

std::string Ending(const std::string& name) {
  const std::string file = fs::path(name).filename().string();
  const size_t dot = file.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : AsciiLower(file.substr(dot + 1));
}

// BMP keeps the file's size in 32 bits, rows padded to four bytes.
bool BmpHolds(int64_t width, int64_t height) { return 54 + (width * 3 + 3) / 4 * 4 * height <= 0xFFFFFFFFLL; }

// Reads "digits" in full, or nothing.
std::optional<int64_t> Digits(std::string_view text) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || text[0] == '-' || text[0] == '+')
    return std::nullopt;
  return value;
}

// A band's name read back: rows-FIRST-END-of-WxH.png.
struct BandName {
  std::string path;
  int64_t first = 0, end = 0, width = 0, height = 0;
};
std::optional<BandName> ReadBandName(const fs::path& path) {
  const std::string name = path.filename().string();
  constexpr std::string_view kStart = "rows-", kEnd = ".png";
  if (!name.starts_with(kStart) || !name.ends_with(kEnd)) return std::nullopt;
  // FIRST-END-of-WxH
  const std::string middle = name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size());
  const std::vector<std::string> parts = SplitAt(middle, '-');
  if (parts.size() != 4 || parts[2] != "of") return std::nullopt;
  const size_t x = parts[3].find('x');
  if (x == std::string::npos) return std::nullopt;
  const auto first = Digits(parts[0]), end = Digits(parts[1]);
  const auto width = Digits(std::string_view(parts[3]).substr(0, x)), height = Digits(std::string_view(parts[3]).substr(x + 1));
  if (!first || !end || !width || !height) return std::nullopt;
  return BandName{path.string(), *first, *end, *width, *height};
}

std::string ViewerFolder() {
  const std::string folder = FindDeepZoomViewer();
  if (folder.empty()) throw BadInput("-o: the Deep Zoom viewer's files (viewer/openseadragon) are not installed");
  return folder;
}

// Where a poster's rows go, a band at a time: a picture file or a Deep Zoom view.
class PosterTarget {
 public:
  PosterTarget(const std::string& path, const std::string& format, int32_t width, int32_t height,
               int32_t pixelsPerMetre, bool inNewFolder) {
    if (format == "dzi") {
      zoom_ = OpenDeepZoom(path, width, height, ViewerFolder());
      writer_ = zoom_.get();
      return;
    }
    if (inNewFolder) files_.MakeFolder(fs::path(path).parent_path().string());
    file_ = std::make_unique<OutputFile>(
        path, [path](const std::string& why) { return "Cannot save the picture file \"" + path + "\": " + why; });
    own_ = OpenRowWriter(*file_, format, width, height, pixelsPerMetre);
    writer_ = own_.get();
  }
  RowOrder Order() const { return writer_->Order(); }
  void Write(const int32_t* rows, int32_t count) { writer_->WriteRows(rows, count); }
  void Commit() {
    writer_->Finish();
    if (zoom_) return zoom_->Commit();
    own_.reset();
    files_.Add(std::move(file_));
    files_.Commit();
  }

 private:
  StagedFiles files_;
  std::unique_ptr<OutputFile> file_;
  std::unique_ptr<RowWriter> own_;
  std::unique_ptr<DeepZoomWriter> zoom_;
  RowWriter* writer_ = nullptr;
};

// The writer's failures are the user's to mend (a full disk), the engine's are not: a
// failure inside a write is raised as the user's at once.
template <class Work>
void AsUsersFailure(Work work) {
  try {
    work();
  } catch (const RunTimeError& e) {
    throw BadInput(e.what());
  }
}

std::string OutputFormat(const RenderOptions& o) {
  if (o.output != kStandardStream && Ending(o.output) == "dzi") return "dzi";
  return std::string(OutputFormatOf(o));
}

}  // namespace

bool DrawnAsPoster(const RenderOptions& o) { return !o.small && !o.keep && !o.sequential && !o.animate; }

std::string BandFileName(int32_t first, int32_t end, int32_t width, int32_t height) {
  char name[80];
  std::snprintf(name, sizeof name, "rows-%06d-%06d-of-%dx%d.png", first, end, width, height);
  return name;
}

PosterPlan CheckedPosterPlan(const RenderOptions& o, int32_t width, int32_t height) {
  PosterPlan plan;
  plan.end = height;
  if (o.rows) {
    const auto [first, end] = *o.rows;
    if (!(first >= 0 && first < end && end <= height))
      throw BadInput("--rows: the board's rows run from 0 to " + Text(height - 1) +
                     ", so FIRST:END must have 0 <= FIRST < END <= " + Text(height));
    plan.first = static_cast<int32_t>(first), plan.end = static_cast<int32_t>(end);
  }
  if (o.shard) {
    // Shard k of n: rows k * height / n to (k + 1) * height / n - 1, the shares differing
    // by one row at most; every shard has a row.
    const auto [k, n] = *o.shard;
    if (!(n >= 1 && n <= height)) throw BadInput("--shard N: " + Text(static_cast<int64_t>(n)) + ": between 1 and the board's " + Text(height) + " rows");
    if (!(k >= 0 && k < n)) throw BadInput("--shard K: " + Text(static_cast<int64_t>(k)) + ": between 0 and N - 1");
    plan.first = static_cast<int32_t>(static_cast<int64_t>(k) * height / static_cast<int64_t>(n));
    plan.end = static_cast<int32_t>((static_cast<int64_t>(k) + 1) * height / static_cast<int64_t>(n));
  }
  plan.band = o.rows || o.shard;
  if (plan.band) {
    const fs::path folder(o.output);
    std::error_code ec;
    const fs::path parent = folder.parent_path().parent_path();
    if (fs::exists(folder, ec) ? !fs::is_directory(folder, ec) : !fs::is_directory(parent.empty() ? "." : parent, ec))
      throw BadInput("--output " + o.output + ": not a folder, nor a new one in a folder that exists");
    plan.path = o.output + BandFileName(plan.first, plan.end, width, height);
    plan.format = "png";
    return plan;
  }
  plan.format = OutputFormat(o);
  plan.path = OutputPathOf(o);
  if (plan.format == "dzi" && o.output == kStandardStream)
    throw RenderFailure(kExitBadUsage, "--output -: a Deep Zoom view is a folder of tiles beside its .dzi and .html files");
  CheckOutputFile(o.output);
  if (plan.format == "bmp" && !BmpHolds(width, height))
    throw BadInput("--output " + o.output + ": a BMP holds at most 4 GB, and " + Text(width) + " x " + Text(height) +
                   " pixels need more; write a .png or .tif instead");
  return plan;
}

void RenderPoster(const RenderOptions& o, const PosterPlan& plan, const RenderInput& input, const RenderTile& tile,
                  RecordingUi& ui, int32_t threads, ProgressLine& progress, StageTimes& times,
                  int32_t pixelsPerMetre) {
  const BoardConstants& b = input.engine.board;
  const RenderClock::time_point gridStart = RenderClock::now();
  // The grid: --grid's, or the corner the final stage reads when it fits in memory, or
  // worked out where it is read.
  Picture corner, square;
  std::unique_ptr<TileGridReader> reader;
  const int64_t side = input.engine.GridTileSize;
  const int64_t cornerW = std::max<int64_t>(1, std::min<int64_t>(side, b.BoardWidth));
  const int64_t cornerH = std::max<int64_t>(1, std::min<int64_t>(side, b.BoardHeight));
  if (!o.grid && cornerW * cornerH * 4 <= kMostGridBytes) {
    try {
      corner = MakeTileGridPicture(ui, input, tile.square, tile.squareLast, threads, {}, GridExtent::FinalStageCorner);
    } catch (const std::bad_alloc&) {
      corner = Picture();  // too little memory for it: the reader needs none
    }
  }
  if (!o.grid && corner.Empty()) {
    square = GridSquareSurface(tile.square);
    reader = std::make_unique<TileGridReader>(ui, TileGridInputFor(input.engine, square, tile.squareLast),
                                              static_cast<int32_t>(cornerW), static_cast<int32_t>(cornerH),
                                              input.engine.TileColor.Value);
  }
  if (!ui.Messages().empty()) throw BadInput(ui.FirstMessage());
  times.grid = MillisecondsSince(gridStart);

  const RenderClock::time_point drawStart = RenderClock::now();
  FinalStageInput stage = FinalStageInputFor(input, o.grid ? tile.grid : corner);
  stage.gridSource = reader.get();
  std::optional<PosterTarget> target;
  AsUsersFailure([&] {
    target.emplace(plan.path, plan.format, b.BoardWidth, plan.end - plan.first, pixelsPerMetre,
                   plan.band && !fs::exists(fs::path(plan.path).parent_path()));
  });
  PosterOptions options;
  options.firstRow = plan.first, options.endRow = plan.end;
  options.bottomUp = target->Order() == RowOrder::BottomUp;
  options.threads = threads;
  const int64_t rows = plan.end - plan.first;
  progress.Start();
  options.progress = [&](int64_t done) { progress.ShowRows(done, rows); };
  try {
    DrawPoster(stage, ui, options, [&](const int32_t* pixels, int32_t, int32_t count) {
      AsUsersFailure([&] { target->Write(pixels, count); });
    });
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("Kick_Timer: ") + e.what());
  }
  if (!ui.Messages().empty()) throw BadInput(ui.FirstMessage());
  times.final = MillisecondsSince(drawStart);
  progress.Clear();
  const RenderClock::time_point saveStart = RenderClock::now();
  AsUsersFailure([&] { target->Commit(); });
  times.save = MillisecondsSince(saveStart);
}

void JoinBands(const RenderOptions& o, std::ostream& err, bool showProgress) {
  const std::string& folder = *o.join;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw BadInput("--join " + folder + ": not a folder");
  std::vector<BandName> bands;
  bool frames = false;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (auto band = ReadBandName(entry.path())) bands.push_back(*band);
    frames = frames || entry.path().filename().string().starts_with("frame-");
  }
  if (ec) throw BadInput("--join " + folder + ": " + ec.message());
  if (bands.empty())
    throw BadInput("--join " + folder + ": no bands of a poster (rows-FIRST-END-of-WxH.png) in it" +
                   (frames ? "; it holds a loop's frames: name the loop with -o NAME.webp, .mp4, .webm or .gif" : ""));
  std::sort(bands.begin(), bands.end(), [](const BandName& a, const BandName& b) { return a.first < b.first; });
  const int64_t width = bands[0].width, height = bands[0].height;
  const auto name = [](const BandName& b) { return fs::path(b.path).filename().string(); };
  int64_t next = 0;
  for (size_t i = 0; i < bands.size(); ++i) {
    const BandName& band = bands[i];
    if (band.width != width || band.height != height)
      throw BadInput("--join " + folder + ": " + name(band) + " is a band of another board than " + name(bands[0]));
    if (band.first >= band.end || band.end > height) throw BadInput("--join " + folder + ": " + name(band) + ": no such band");
    if (band.first > next)
      throw BadInput("--join " + folder + ": rows " + Text(next) + " to " + Text(band.first - 1) + " are missing");
    if (band.first < next)
      throw BadInput("--join " + folder + ": " + name(bands[i - 1]) + " and " + name(band) + " overlap");
    next = band.end;
  }
  if (next < height) throw BadInput("--join " + folder + ": rows " + Text(next) + " to " + Text(height - 1) + " are missing");
  if (width > kLargestBoardSide || height > kLargestBoardSide) throw BadInput("--join " + folder + ": the board is too large");

  std::string format = o.format ? *o.format : Ending(o.output);
  if (format == "tif") format = "tiff";
  if (format == "bmp")
    throw RenderFailure(kExitBadUsage, "--join: bands are joined into a PNG, a TIFF or a Deep Zoom view (a BMP keeps its rows bottom up)");
  if (format == "dzi" && o.output == kStandardStream)
    throw RenderFailure(kExitBadUsage, "--output -: a Deep Zoom view is a folder of tiles beside its .dzi and .html files");
  if (format != "dzi") CheckOutputFile(o.output);
  // Every band's header is checked before anything is written.
  int32_t resolution = 0;
  for (const BandName& band : bands) {
    AsUsersFailure([&] {
      const PngRowReader reader(band.path);
      if (reader.Width() != width || reader.Height() != band.end - band.first)
        throw BadInput("--join " + folder + ": " + name(band) + " holds " + Text(reader.Width()) + " x " +
                       Text(reader.Height()) + " pixels, where its name says " + Text(width) + " x " +
                       Text(band.end - band.first));
      if (resolution == 0) resolution = reader.PixelsPerMetre();
    });
  }
  const int32_t pixelsPerMetre = o.dpi ? CheckedPixelsPerMetre(o) : (resolution > 0 ? resolution : kScreenPixelsPerMetre);

  ProgressLine progress(err, showProgress);
  progress.Start();
  AsUsersFailure([&] {
    PosterTarget target(format == "dzi" ? o.output : OutputPathOf(o), format, static_cast<int32_t>(width),
                        static_cast<int32_t>(height), pixelsPerMetre, false);
    const int32_t block = static_cast<int32_t>(std::clamp<int64_t>((int64_t{16} << 20) / (4 * width), 16, 256));
    std::vector<int32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(block));
    int64_t done = 0;
    for (const BandName& band : bands) {
      PngRowReader reader(band.path);
      for (int64_t left = band.end - band.first; left > 0;) {
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(left, block));
        reader.ReadRows(rows.data(), count);
        target.Write(rows.data(), count);
        left -= count, done += count;
        progress.ShowRows(done, height);
      }
    }
    progress.Clear();
    target.Commit();
  });
}

}  // namespace marvane
