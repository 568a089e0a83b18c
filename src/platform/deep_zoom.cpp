#include "platform/deep_zoom.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/run_time_error.h"
#include "platform/share_files.h"

namespace marvane {

namespace fs = std::filesystem;

namespace {

constexpr int32_t kTile = kDeepZoomTileSize;
constexpr int32_t kOverlap = kDeepZoomOverlap;
// A row of tiles spans its tiles' rows and the overlap on both sides: the most any
// level's strip holds.
constexpr int32_t kStripRows = kTile + 2 * kOverlap;

std::string Reason(int error) { return std::strerror(error); }

bool EndsWithDzi(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ending = path.substr(path.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  return ending == ".dzi";
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name as it stands in a URL: every byte but letters, digits and "-._~" escaped, which
// leaves nothing that needs escaping again inside an HTML attribute or a script's string.
std::string UrlPart(const std::string& name) {
  return QUrl::toPercentEncoding(QString::fromStdString(name)).toStdString();
}

std::string HtmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Writes all of `bytes` to a new file at `path`; 0, or the system's error number.
int WriteNewFile(const std::string& path, const QByteArray& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  int error = WriteAll(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

// Private tile folders that runs killed half-way left beside `target`
// (".NAME_files.marvane-part-PID-N" of a process no longer running).
void RemoveLeftoverFolders(const std::string& target) {
  const fs::path folder = fs::path(target).parent_path().empty() ? fs::path(".") : fs::path(target).parent_path();
  const std::string prefix = "." + BaseName(target) + ".marvane-part-";
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) != 0 || !it->is_directory(ec)) continue;
    const std::string rest = name.substr(prefix.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 9 || rest.find_first_not_of("0123456789-") != std::string::npos)
      continue;
    const pid_t pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    std::error_code ignored;
    fs::remove_all(it->path(), ignored);
  }
}

}  // namespace

// One level of the pyramid as its rows come. Memory: each level keeps at most 256 of its
// rows at 3 bytes a pixel, and the sums of the level below's next row; the levels' widths
// halve, so all together hold about 2 x 256 x 3 = 1.5 KB for each column of the full
// picture: 96 MiB for a poster 65536 pixels wide, whatever its height, besides the
// caller's band and the one tile being encoded.
struct DeepZoomWriter::Level {
  int number = 0;
  int32_t width = 0, height = 0;
  size_t stride = 0;           // bytes a row
  std::vector<uint8_t> strip;  // its rows from `top` to `taken`, top row first
  int32_t top = 0;
  int32_t taken = 0;
  int32_t tileRow = 0;         // the next row of tiles to write
  std::vector<uint16_t> sums;  // the level below's next row, summed over up to 2 x 2 pixels
  int32_t summedRows = 0;
  std::vector<uint8_t> mean;   // that row once it is complete
};

std::vector<DeepZoomLevelSize> DeepZoomLevels(int32_t width, int32_t height) {
  std::vector<DeepZoomLevelSize> levels{{width, height}};
  while (width > 1 || height > 1) {
    width = (width + 1) / 2;
    height = (height + 1) / 2;
    levels.push_back({width, height});
  }
  std::reverse(levels.begin(), levels.end());
  return levels;
}

DeepZoomWriter::~DeepZoomWriter() {
  if (!committed_) Discard();
}

void DeepZoomWriter::Discard() {
  dzi_.reset();  // each removes its private file
  page_.reset();
  if (!privateFolder_.empty()) {
    std::error_code ec;
    fs::remove_all(privateFolder_, ec);
  }
  privateFolder_.clear();
}

void DeepZoomWriter::Fail(const std::string& reason) {
  Discard();
  throw RunTimeError("Cannot save the Deep Zoom picture \"" + dziPath_ + "\": " + reason);
}

void DeepZoomWriter::WriteRows(const int32_t* pixels, int32_t count) {
  if (privateFolder_.empty() || finished_) Fail("no more rows can be taken after it was finished or given up.");
  if (count < 0 || count > height_ - rowsTaken_) Fail("more rows were given than the picture has.");
  const size_t width = static_cast<size_t>(width_);
  for (int32_t row = 0; row < count; ++row) {
    const int32_t* from = pixels + static_cast<size_t>(row) * width;
    uint8_t* to = rowRgb_.data();
    for (size_t x = 0; x < width; ++x) {
      const uint32_t colour = static_cast<uint32_t>(from[x]);
      to[0] = static_cast<uint8_t>(colour);
      to[1] = static_cast<uint8_t>(colour >> 8);
      to[2] = static_cast<uint8_t>(colour >> 16);
      to += 3;
    }
    try {
      TakeRow(0, rowRgb_.data());
    } catch (const std::bad_alloc&) {
      Fail("there is not enough memory for its tiles.");
    }
    ++rowsTaken_;
  }
}

void DeepZoomWriter::TakeRow(size_t index, const uint8_t* rgb) {
  Level& level = levels_[index];
  std::memcpy(level.strip.data() + static_cast<size_t>(level.taken - level.top) * level.stride, rgb, level.stride);
  ++level.taken;
  const bool last = index + 1 == levels_.size();
  if (!last) {
    uint16_t* sums = level.sums.data();
    const uint8_t* p = rgb;
    int32_t x = 0;
    for (; x + 1 < level.width; x += 2, p += 6, sums += 3) {
      sums[0] = static_cast<uint16_t>(sums[0] + p[0] + p[3]);
      sums[1] = static_cast<uint16_t>(sums[1] + p[1] + p[4]);
      sums[2] = static_cast<uint16_t>(sums[2] + p[2] + p[5]);
    }
    if (x < level.width)
      for (int c = 0; c < 3; ++c) sums[c] = static_cast<uint16_t>(sums[c] + p[c]);
    ++level.summedRows;
  }
  if (level.taken == std::min(level.height, (level.tileRow + 1) * kTile + kOverlap)) WriteTileRow(level);
  if (last || (level.summedRows < 2 && level.taken < level.height)) return;

  // The level below's row: each pixel the mean of the 2 x 2 block above it, or of the
  // 2 x 1, 1 x 2 or single pixel that an odd width or height leaves at the edges.
  // The blocks hold 1, 2 or 4 pixels: a shift divides, rounding halves up.
  const int32_t belowWidth = levels_[index + 1].width;
  for (int32_t x = 0; x < belowWidth; ++x) {
    const int shift = (2 * x + 1 < level.width ? 1 : 0) + (level.summedRows == 2 ? 1 : 0);
    for (int c = 0; c < 3; ++c) {
      uint16_t& sum = level.sums[static_cast<size_t>(x) * 3 + c];
      level.mean[static_cast<size_t>(x) * 3 + c] = static_cast<uint8_t>((sum + ((1 << shift) >> 1)) >> shift);
      sum = 0;
    }
  }
  level.summedRows = 0;
  TakeRow(index + 1, level.mean.data());
}

void DeepZoomWriter::WriteTileRow(Level& level) {
  const int32_t row = level.tileRow;
  const int32_t y0 = std::max(0, row * kTile - kOverlap);
  const int32_t y1 = std::min(level.height, (row + 1) * kTile + kOverlap);
  const int32_t columns = (level.width + kTile - 1) / kTile;
  for (int32_t column = 0; column < columns; ++column) {
    const int32_t x0 = std::max(0, column * kTile - kOverlap);
    const int32_t x1 = std::min(level.width, (column + 1) * kTile + kOverlap);
    const std::string name = std::to_string(level.number) + "/" + std::to_string(column) + "_" +
                             std::to_string(row) + "." + options_.format;
    WriteTile(name, level.strip.data() + static_cast<size_t>(y0 - level.top) * level.stride + static_cast<size_t>(x0) * 3,
              level.stride, x1 - x0, y1 - y0);
  }
  ++level.tileRow;
  // The next row of tiles starts with the overlap above it: those rows stay, at the top.
  const int32_t keep = level.tileRow * kTile - kOverlap;
  if (keep >= level.height) return;
  std::memmove(level.strip.data(), level.strip.data() + static_cast<size_t>(keep - level.top) * level.stride,
               static_cast<size_t>(level.taken - keep) * level.stride);
  level.top = keep;
}

void DeepZoomWriter::WriteTile(const std::string& name, const uint8_t* first, size_t stride, int32_t width,
                               int32_t height) {
  QImage tile(width, height, QImage::Format_RGB888);
  if (tile.isNull()) throw std::bad_alloc();
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(tile.scanLine(y), first + static_cast<size_t>(y) * stride, static_cast<size_t>(width) * 3);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, options_.format == "png" ? "png" : "jpeg");
  if (options_.format != "png") writer.setQuality(options_.quality);
  const std::string shown = BaseName(tilesFolder_) + "/" + name;
  if (!writer.write(tile))
    Fail("the tile \"" + shown + "\" could not be encoded (" + writer.errorString().toStdString() + ").");
  const int error = WriteNewFile(privateFolder_ + "/" + name, bytes);
  if (error != 0) Fail("the tile \"" + shown + "\" cannot be written (" + Reason(error) + ").");
}

void DeepZoomWriter::Finish() {
  if (finished_) return;
  if (privateFolder_.empty()) Fail("it was given up after an earlier failure.");
  if (rowsTaken_ != height_)
    Fail("only " + std::to_string(rowsTaken_) + " of its " + std::to_string(height_) + " rows were given.");

  const std::string size = "Width=\"" + std::to_string(width_) + "\" Height=\"" + std::to_string(height_) + "\"";
  const std::string dzi = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<Image xmlns=\"http://schemas.microsoft.com/deepzoom/2008\" TileSize=\"" +
                          std::to_string(kTile) + "\" Overlap=\"" + std::to_string(kOverlap) + "\" Format=\"" +
                          options_.format + "\">\n  <Size " + size + "/>\n</Image>\n";

  const std::string stem = BaseName(tilesFolder_).substr(0, BaseName(tilesFolder_).size() - 6);
  const std::string tiles = UrlPart(BaseName(tilesFolder_)) + "/";
  const std::string page =
      "<!DOCTYPE html>\n"
      "<html lang=\"en\">\n"
      "<head>\n"
      "<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>" + HtmlText(stem) + "</title>\n"
      "<link rel=\"icon\" href=\"data:,\">\n"  // no request for a favicon.ico the folder has not

      "<style>\n"
      "  html, body { margin: 0; height: 100%; background: #202020; }\n"
      "  #viewer { position: absolute; inset: 0; }\n"
      "  #problem { position: absolute; top: 1em; left: 1em; right: 1em; color: #fff; font: 16px sans-serif; }\n"
      "</style>\n"
      "</head>\n"
      "<body>\n"
      "<div id=\"viewer\"></div>\n"
      "<div id=\"problem\" hidden></div>\n"
      "<script src=\"" + tiles + "viewer/openseadragon.min.js\"></script>\n"
      "<script>\n"
      "function showProblem(text) {\n"
      "  var problem = document.getElementById(\"problem\");\n"
      "  problem.textContent = text;\n"
      "  problem.hidden = false;\n"
      "}\n"
      "// From a web server the page reads the picture's description from the .dzi file. Opened\n"
      "// straight from the disk it may not (browsers refuse a page's requests for other local\n"
      "// files), so it carries the same description; the tiles load either way.\n"
      "var described = { Image: { xmlns: \"http://schemas.microsoft.com/deepzoom/2008\", Url: \"" + tiles +
      "\", Format: \"" + options_.format + "\", Overlap: \"" + std::to_string(kOverlap) + "\", TileSize: \"" +
      std::to_string(kTile) + "\", Size: { Width: \"" + std::to_string(width_) + "\", Height: \"" +
      std::to_string(height_) + "\" } } };\n"
      "if (typeof OpenSeadragon === \"undefined\") {\n"
      "  showProblem(\"The viewer's script " + tiles + "viewer/openseadragon.min.js is missing.\");\n"
      "} else {\n"
      "  // The canvas drawer: the WebGL one refuses tiles read from the disk (the browser counts\n"
      "  // them as another site's) and needs the graphics card to be quick.\n"
      "  var viewer = OpenSeadragon({\n"
      "    id: \"viewer\",\n"
      "    prefixUrl: \"" + tiles + "viewer/images/\",\n"
      "    tileSources: location.protocol === \"file:\" ? described : \"" + UrlPart(BaseName(dziPath_)) + "\",\n"
      "    drawer: \"canvas\",\n"
      "    showNavigator: true,\n"
      "    maxZoomPixelRatio: 4\n"
      "  });\n"
      "  viewer.addHandler(\"open-failed\", function (event) {\n"
      "    showProblem(\"The picture could not be opened: \" + event.message);\n"
      "  });\n"
      "}\n"
      "</script>\n"
      "</body>\n"
      "</html>\n";

  if (!dzi_->Write(dzi.data(), dzi.size())) dzi_->Finish();  // raises with the system's reason
  dzi_->Finish();
  if (!page_->Write(page.data(), page.size())) page_->Finish();
  page_->Finish();
  finished_ = true;
}

void DeepZoomWriter::Commit() {
  Finish();
  if (committed_) return;

  // The tiles on the disk before they take the name, as OutputFile does for a file: once
  // for the whole folder rather than once a tile.
  const int folder = ::open(privateFolder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0 || ::syncfs(folder) != 0) {
    const int error = errno;
    if (folder >= 0) ::close(folder);
    Fail("its tiles cannot be written out to the disk (" + Reason(error) + ").");
  }
  ::close(folder);

  // An earlier run's tiles change places with the new ones in one step where the file
  // system can (so the name never stands empty), else are moved aside first.
  struct stat old {};
  std::string aside;
  if (::lstat(tilesFolder_.c_str(), &old) == 0) {
    if (::renameat2(AT_FDCWD, privateFolder_.c_str(), AT_FDCWD, tilesFolder_.c_str(), RENAME_EXCHANGE) == 0) {
      aside = privateFolder_;
    } else {
      aside = TemporaryNameFor(tilesFolder_);
      if (::rename(tilesFolder_.c_str(), aside.c_str()) != 0)
        Fail("the folder \"" + tilesFolder_ + "\" of an earlier picture cannot be replaced (" + Reason(errno) + ").");
      if (::rename(privateFolder_.c_str(), tilesFolder_.c_str()) != 0) {
        const int error = errno;
        ::rename(aside.c_str(), tilesFolder_.c_str());
        Fail("its tiles cannot be put in place as \"" + tilesFolder_ + "\" (" + Reason(error) + ").");
      }
    }
  } else if (::rename(privateFolder_.c_str(), tilesFolder_.c_str()) != 0) {
    Fail("its tiles cannot be put in place as \"" + tilesFolder_ + "\" (" + Reason(errno) + ").");
  }
  privateFolder_.clear();
  committed_ = true;
  dzi_->Commit();
  page_->Commit();
  if (!aside.empty()) {
    std::error_code ec;
    fs::remove_all(aside, ec);
  }
}

std::unique_ptr<DeepZoomWriter> OpenDeepZoom(const std::string& dziPath, int32_t width, int32_t height,
                                             const std::string& viewerFolder, const DeepZoomOptions& options) {
  std::unique_ptr<DeepZoomWriter> writer(new DeepZoomWriter());
  DeepZoomWriter& w = *writer;
  w.dziPath_ = dziPath;
  const auto refuse = [&dziPath](const std::string& reason) -> RunTimeError {
    return RunTimeError("Cannot save the Deep Zoom picture \"" + dziPath + "\": " + reason);
  };
  if (width <= 0 || height <= 0) throw refuse("the picture has no pixels.");
  if (options.format != "jpg" && options.format != "png") throw refuse("its tiles are JPEG (jpg) or PNG (png) files.");
  const std::string stem = EndsWithDzi(dziPath) ? dziPath.substr(0, dziPath.size() - 4) : dziPath;
  w.tilesFolder_ = stem + "_files";
  w.pagePath_ = stem + ".html";
  w.options_ = options;
  w.width_ = width;
  w.height_ = height;

  if (InspectOutput(dziPath).kind == OutputKind::Stream)
    throw refuse("it is a set of files (the .dzi, its tiles and a page), which a pipe or a device cannot take.");
  struct stat st {};
  if (::lstat(w.tilesFolder_.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
    throw refuse("\"" + w.tilesFolder_ + "\", where its tiles go, is there and is not a folder.");
  std::error_code ec;
  if (viewerFolder.empty() || !fs::is_regular_file(fs::path(viewerFolder) / "openseadragon.min.js", ec))
    throw refuse("the viewer for its page (openseadragon.min.js) is not in \"" + viewerFolder +
                 "\"; the program's shared files are incomplete.");

  w.dzi_ = std::make_unique<OutputFile>(dziPath, [dziPath](const std::string& why) {
    return "Cannot save the Deep Zoom picture \"" + dziPath + "\": " + why;
  });
  const std::string pagePath = w.pagePath_;
  w.page_ = std::make_unique<OutputFile>(pagePath, [pagePath](const std::string& why) {
    return "Cannot save the Deep Zoom page \"" + pagePath + "\": " + why;
  });

  RemoveLeftoverFolders(w.tilesFolder_);
  const std::string folder = TemporaryNameFor(w.tilesFolder_);
  if (::mkdir(folder.c_str(), 0777) != 0) {
    const int error = errno;
    w.Fail(error == EACCES || error == EPERM || error == EROFS
               ? "this program is not allowed to write in its folder."
               : "the folder for its tiles cannot be made (" + Reason(error) + ").");
  }
  w.privateFolder_ = folder;

  fs::copy(viewerFolder, folder + "/viewer", fs::copy_options::recursive, ec);
  if (ec) w.Fail("the viewer cannot be copied from \"" + viewerFolder + "\" (" + ec.message() + ").");

  try {
    const std::vector<DeepZoomLevelSize> sizes = DeepZoomLevels(width, height);
    w.levels_.resize(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
      DeepZoomWriter::Level& level = w.levels_[i];
      const DeepZoomLevelSize& size = sizes[sizes.size() - 1 - i];
      level.number = static_cast<int>(sizes.size() - 1 - i);
      level.width = size.width;
      level.height = size.height;
      level.stride = static_cast<size_t>(size.width) * 3;
      level.strip.resize(static_cast<size_t>(std::min(size.height, kStripRows)) * level.stride);
      if (i + 1 < sizes.size()) {
        const size_t below = static_cast<size_t>(sizes[sizes.size() - 2 - i].width) * 3;
        level.sums.assign(below, 0);
        level.mean.resize(below);
      }
      const std::string path = folder + "/" + std::to_string(level.number);
      if (::mkdir(path.c_str(), 0777) != 0) w.Fail("the folder for its tiles cannot be made (" + Reason(errno) + ").");
    }
    w.rowRgb_.resize(static_cast<size_t>(width) * 3);
  } catch (const std::bad_alloc&) {
    w.Fail("there is not enough memory for its tiles.");
  }
  return writer;
}

std::string FindDeepZoomViewer() {
  const std::string script = FindShareFile("viewer/openseadragon/openseadragon.min.js");
  return script.empty() ? std::string() : fs::path(script).parent_path().string();
}

}  // namespace marvane
