#pragma once
// A poster as a Deep Zoom picture: what a browser shows zoomable, at any size, loading
// only the tiles in view. "-o NAME.dzi" writes
//
//   NAME.dzi         the descriptor: tile side, overlap, tile format and the full size
//   NAME_files/L/C_R.jpg
//                    the tiles, for every level L from 0 (1 x 1) up to the full size, each
//                    level half the one above it, rounded up, each pixel the mean of a 2 x 2
//                    block above it. Tile C_R holds the 254 x 254 pixels at (254 C, 254 R)
//                    and one pixel more on each side that has a neighbour.
//   NAME_files/viewer/
//                    the viewer's script, buttons and licence (OpenSeadragon), copied from
//                    the share folder, so that the three names can be copied anywhere, to a
//                    web server or another machine, and still be opened
//   NAME.html        the page that shows the picture in that viewer, from a web server or
//                    straight from the disk
//
// The pixels come a band of rows at a time from the top, as for every RowWriter; the
// writer keeps a strip of one row of tiles at each level and writes each row of tiles as
// soon as its last row has come.
//
// The set is complete or absent. The tiles and the viewer go into a private folder beside
// the target (".NAME_files.marvane-part-PID-N"), the .dzi and the .html through
// OutputFile; Commit() puts them all in place, a NAME_files folder of an earlier run being
// replaced only then. A writer given up before Commit() leaves nothing behind. Failures
// (a full disk, a folder that may not be written) raise RunTimeError naming the file.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/output_file.h"
#include "platform/row_writers.h"

namespace marvane {

struct DeepZoomOptions {
  // "jpg" or "png". JPEG by default: the pictures are smooth colour, where JPEG at
  // quality 90 shows no loss a viewer would see in tiles a fraction of PNG's size, and a
  // poster makes tens of thousands of them. PNG keeps every pixel exactly.
  std::string format = "jpg";
  int quality = 90;  // JPEG only, 0 to 100
};

// The sides of each level, from level 0 (1 x 1) up to the full size.
struct DeepZoomLevelSize {
  int32_t width = 0;
  int32_t height = 0;
};
std::vector<DeepZoomLevelSize> DeepZoomLevels(int32_t width, int32_t height);

inline constexpr int32_t kDeepZoomTileSize = 254;
inline constexpr int32_t kDeepZoomOverlap = 1;

class DeepZoomWriter : public RowWriter {
 public:
  ~DeepZoomWriter() override;
  DeepZoomWriter(const DeepZoomWriter&) = delete;
  DeepZoomWriter& operator=(const DeepZoomWriter&) = delete;

  void WriteRows(const int32_t* pixels, int32_t count) override;
  // After the last row: writes the .dzi and the page. Raises when a row is missing.
  void Finish() override;
  // Finish() if it has not been, then puts the set in place. Raises on a failure.
  void Commit();

  // The names the set takes, for messages and tests.
  const std::string& DziPath() const { return dziPath_; }
  const std::string& TilesFolder() const { return tilesFolder_; }
  const std::string& PagePath() const { return pagePath_; }

 private:
  struct Level;
  friend std::unique_ptr<DeepZoomWriter> OpenDeepZoom(const std::string&, int32_t, int32_t, const std::string&,
                                                      const DeepZoomOptions&);
  DeepZoomWriter() = default;

  void TakeRow(size_t level, const uint8_t* rgb);
  void WriteTileRow(Level& level);
  void WriteTile(const std::string& path, const uint8_t* first, size_t stride, int32_t width, int32_t height);
  [[noreturn]] void Fail(const std::string& reason);
  void Discard();

  std::string dziPath_, tilesFolder_, pagePath_;
  std::string privateFolder_;  // the tiles until Commit, in the target's folder
  DeepZoomOptions options_;
  int32_t width_ = 0, height_ = 0;
  int32_t rowsTaken_ = 0;
  std::vector<Level> levels_;  // from the full size down to 1 x 1
  std::vector<uint8_t> rowRgb_;
  std::unique_ptr<OutputFile> dzi_, page_;
  bool finished_ = false, committed_ = false;
};

// Opens the set for the picture of `width` x `height` at `dziPath` (which should end in
// ".dzi": the tiles go into the folder of that name without it, plus "_files"), copying
// the viewer from `viewerFolder` (FindDeepZoomViewer()). Raises RunTimeError when
// something stands in the way: a folder at one of the names, a NAME_files that is not a
// folder, a folder that may not be written, a pipe or device as the target (a set of
// files cannot be streamed), or a viewer folder without the viewer.
std::unique_ptr<DeepZoomWriter> OpenDeepZoom(const std::string& dziPath, int32_t width, int32_t height,
                                             const std::string& viewerFolder, const DeepZoomOptions& options = {});

// The shipped viewer's folder ("viewer/openseadragon" in the share folder), or the empty
// string when no share folder has it.
std::string FindDeepZoomViewer();

}  // namespace marvane
