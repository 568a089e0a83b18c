#pragma once
// Loops as video: MP4 (H.264), WebM (VP9) and GIF, encoded by the ffmpeg program, which
// is fed raw frames through a pipe as they are made.
//
// Why the program and not FFmpeg's libraries: Debian builds libavcodec with the GPL's
// encoders (x264), so linking them would bind this program's licence; a separate
// program is only run. Its command line has stayed the same across FFmpeg's versions
// where the libraries' interfaces change every few years; its errors come as plain
// lines on its standard error, which we pass on; the progress is ours, since we hand it
// the frames. A fresh install pulls in the ffmpeg package only when video is wanted.
//
// Formats and their settings:
// - MP4: H.264 (libx264), yuv420p, "faststart" (the index first, so that it plays while
//   it loads); into a pipe or device, where the index cannot be moved to the front, as
//   fragmented MP4 instead.
// - WebM: VP9 (libvpx-vp9) at constant quality, yuv420p.
// - GIF: each frame with a palette of its own chosen from its colours, dithered, the
//   loop repeating for ever; frame delays in whole hundredths of a second whose sum is
//   the loop's length to within one hundredth.
// yuv420p stores colour for pairs of rows and columns, so a picture with an odd side is
// padded by repeating its last column or row (793 x 573 becomes 794 x 574); the picture
// itself is never cut.
//
// --quality keeps one meaning: 0 the smallest file, 100 the best the format does; by
// default 75, a file a person would post. MP4's constant-rate factor runs from 51 at 0
// to 12 at 100 (22 at 75), WebM's from 63 to 15 (27 at 75), and GIF's colours a frame
// from 2 to 256 (193 at 75).
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/output_file.h"
#include "platform/picture.h"

namespace marvane {

enum class VideoFormat { Mp4, WebM, Gif };

// The format a name's ending asks for (any letter case), or none.
std::optional<VideoFormat> VideoFormatOf(const std::string& name);
const char* VideoFormatName(VideoFormat format);  // "MP4", "WebM", "GIF"

inline constexpr double kDefaultVideoQuality = 75;
// GIF delays are whole hundredths, and players slow anything under two down.
inline constexpr int32_t kMostGifFps = 50;

struct VideoSettings {
  VideoFormat format = VideoFormat::Mp4;
  int32_t width = 0, height = 0;  // the frames' size
  double fps = 24;
  int32_t frames = 0;             // in the whole file
  std::optional<double> quality;  // none: kDefaultVideoQuality
};

// The frame size the video holds: even sides for MP4 and WebM.
int32_t VideoSide(VideoFormat format, int32_t side);

// Why a picture of this size cannot be a video of this format (beyond the codec's own
// limit), or an empty text.
std::string VideoSizeRefusal(const VideoSettings& settings);
// A warning when phones will not play it (over 4096 x 2304 for MP4 and WebM), or empty.
std::string VideoSizeWarning(const VideoSettings& settings);

// The ffmpeg command line, reading raw frames from its standard input and writing the
// video to `output` ("pipe:1" for a stream).
std::vector<std::string> FfmpegArguments(const VideoSettings& settings, const std::string& output, bool stream);

// One video being written into `out` (which it finishes; the caller commits it).
class VideoEncoder {
 public:
  // Starts ffmpeg. Raises RunTimeError through `out` when it cannot be started (not
  // installed, say).
  VideoEncoder(const VideoSettings& settings, OutputFile& out);
  // Ends ffmpeg if it is still running (a failed or stopped loop).
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Hands one frame (of the settings' size) to the encoder. Raises on a failure, with
  // ffmpeg's own words when it gave any.
  void Add(const Picture& frame);
  // Waits for the encoder to finish the file and finishes `out`. Raises on a failure.
  void Finish();

 private:
  [[noreturn]] void Failed(const std::string& what);
  std::string Errors();    // ffmpeg's last line on its standard error
  std::string Said();      // the same, as " (ffmpeg: ...)" to follow a message
  int Wait();              // ends its input and waits for it: its wait status
  void Stop();

  VideoSettings settings_;
  OutputFile& out_;
  pid_t pid_ = -1;
  int input_ = -1;    // ffmpeg's standard input
  int errors_ = -1;   // its standard error, read when it has failed
  std::string errorText_;
  std::vector<uint8_t> row_;
};

}  // namespace marvane
