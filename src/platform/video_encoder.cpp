#include "platform/video_encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sstream>

#include "platform/run_time_error.h"
#include "util/general.h"

extern char** environ;

namespace marvane {

namespace {

std::string Number(double v) {
  std::ostringstream text;
  text.precision(10);
  text << v;
  return text.str();
}

double QualityOf(const VideoSettings& s) { return s.quality.value_or(kDefaultVideoQuality); }

// The quality's setting for each format: 0 the smallest file, 100 the best.
long Crf264(double quality) { return std::lround(12 + (100 - quality) * 0.39); }
long CrfVp9(double quality) { return std::lround(15 + (100 - quality) * 0.48); }
long GifColours(double quality) { return std::lround(2 + quality * 2.54); }

// Writes all of `count` bytes; false when the reader has gone.
bool WriteAll(int fd, const uint8_t* at, size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, at, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::optional<VideoFormat> VideoFormatOf(const std::string& name) {
  const std::string lower = AsciiLower(name);
  if (lower.ends_with(".mp4")) return VideoFormat::Mp4;
  if (lower.ends_with(".webm")) return VideoFormat::WebM;
  if (lower.ends_with(".gif")) return VideoFormat::Gif;
  return std::nullopt;
}

const char* VideoFormatName(VideoFormat format) {
  switch (format) {
    case VideoFormat::Mp4: return "MP4";
    case VideoFormat::WebM: return "WebM";
    case VideoFormat::Gif: return "GIF";
  }
  return "";
}

int32_t VideoSide(VideoFormat format, int32_t side) {
  return format == VideoFormat::Gif ? side : side + (side & 1);
}

std::string VideoSizeRefusal(const VideoSettings& s) {
  const int64_t w = VideoSide(s.format, s.width), h = VideoSide(s.format, s.height);
  // H.264's largest level takes 139264 blocks of 16 x 16 pixels a frame (8192 x 4352).
  if (s.format == VideoFormat::Mp4 && ((w + 15) / 16) * ((h + 15) / 16) > 139264)
    return "an MP4 (H.264) frame holds at most 139264 blocks of 16 x 16 pixels (as 8192 x 4352)";
  if (s.format == VideoFormat::Gif && (w > 65535 || h > 65535)) return "a GIF is at most 65535 pixels a side";
  return {};
}

std::string VideoSizeWarning(const VideoSettings& s) {
  if (s.format == VideoFormat::Gif) return {};
  const int32_t longer = std::max(s.width, s.height), shorter = std::min(s.width, s.height);
  if (longer <= 4096 && shorter <= 2304) return {};
  return std::string(VideoFormatName(s.format)) + " of " + std::to_string(s.width) + "x" + std::to_string(s.height) +
         ": larger than phones and most browsers play (about 4096x2304)";
}

std::vector<std::string> FfmpegArguments(const VideoSettings& s, const std::string& output, bool stream) {
  const int32_t width = VideoSide(s.format, s.width), height = VideoSide(s.format, s.height);
  std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-f", "rawvideo",
                                   "-pix_fmt", "rgb0", "-video_size", std::to_string(width) + "x" + std::to_string(height),
                                   "-framerate", Number(s.fps), "-i", "pipe:0"};
  const double quality = QualityOf(s);
  switch (s.format) {
    case VideoFormat::Mp4:
      args.insert(args.end(), {"-c:v", "libx264", "-preset", "medium", "-crf", std::to_string(Crf264(quality)),
                               "-pix_fmt", "yuv420p", "-movflags",
                               stream ? "frag_keyframe+empty_moov+default_base_moof" : "+faststart", "-f", "mp4"});
      break;
    case VideoFormat::WebM:
      args.insert(args.end(), {"-c:v", "libvpx-vp9", "-crf", std::to_string(CrfVp9(quality)), "-b:v", "0", "-deadline", "good", "-cpu-used", "4",
                               "-row-mt", "1", "-pix_fmt", "yuv420p", "-f", "webm"});
      break;
    case VideoFormat::Gif: {
      // Frame i starts at round(100 i / fps) hundredths: the delays are whole hundredths
      // that add up to the loop's length. The last frame's delay has no next frame to
      // follow from, so it is given.
      const auto start = [&s](int64_t i) { return std::llround(100.0 * static_cast<double>(i) / s.fps); };
      const long long lastDelay = s.frames > 0 ? start(s.frames) - start(s.frames - 1) : start(1);
      args.insert(args.end(),
                  {"-filter_complex",
                   "settb=1/100,setpts=round(N*100/" + Number(s.fps) +
                       "),split[a][b];[a]palettegen=stats_mode=single:max_colors=" +
                       std::to_string(GifColours(quality)) + "[p];[b][p]paletteuse=new=1:dither=sierra2_4a",
                   "-fps_mode", "passthrough", "-loop", "0", "-final_delay", std::to_string(lastDelay), "-f", "gif"});
      break;
    }
  }
  args.insert(args.end(), {"-y", output});
  return args;
}

VideoEncoder::VideoEncoder(const VideoSettings& settings, OutputFile& out) : settings_(settings), out_(out) {
  const bool stream = out.Kind() == OutputKind::Stream;
  const std::vector<std::string> args = FfmpegArguments(settings, stream ? "pipe:1" : out.TemporaryPath(), stream);
  int input[2];
  if (::pipe2(input, O_CLOEXEC) != 0) out.Fail("the video encoder cannot be started (" + std::string(std::strerror(errno)) + ").");
  input_ = input[1];
  // Its messages go to a file in memory: nothing on the disk, and no pipe to fill up.
  errors_ = ::memfd_create("ffmpeg-errors", MFD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  // A file is written by name; ffmpeg's standard output then goes nowhere.
  const int output = stream ? out.Descriptor() : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  if (errors_ >= 0) posix_spawn_file_actions_adddup2(&actions, errors_, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int spawned = ::posix_spawnp(&pid_, "ffmpeg", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  if (!stream && output >= 0) ::close(output);
  if (spawned != 0) {
    pid_ = -1;
    Failed(spawned == ENOENT ? std::string("MP4, WebM and GIF loops are made by the ffmpeg program, which is not "
                                           "installed (on Debian: apt install ffmpeg)")
                             : "the video encoder cannot be started (" + std::string(std::strerror(spawned)) + ")");
  }
  row_.resize(static_cast<size_t>(VideoSide(settings.format, settings.width)) * 4);
}

VideoEncoder::~VideoEncoder() {
  Stop();
  if (errors_ >= 0) ::close(errors_);
}

void VideoEncoder::Stop() {
  if (pid_ > 0) ::kill(pid_, SIGKILL);
  if (pid_ > 0) Wait();
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

std::string VideoEncoder::Errors() {
  if (errors_ < 0) return {};
  std::string text;
  char buffer[4096];
  ::lseek(errors_, 0, SEEK_SET);
  for (ssize_t n; (n = ::read(errors_, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  // Its last line says what went wrong.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const size_t line = text.rfind('\n');
  return line == std::string::npos ? text : text.substr(line + 1);
}

void VideoEncoder::Failed(const std::string& what) {
  Stop();
  out_.Fail(what + ".");
}

void VideoEncoder::Add(const Picture& frame) {
  // A sigpipe would end the program without a word if ffmpeg has gone: it is held off,
  // and the write fails instead.
  sigset_t pipe, old;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipe, &old);
  const int32_t width = frame.Width(), height = frame.Height();
  const int32_t outWidth = VideoSide(settings_.format, width), outHeight = VideoSide(settings_.format, height);
  bool written = true;
  for (int32_t y = 0; y < outHeight && written; ++y) {
    // Past an odd side the last row and column are repeated.
    const int32_t* in = frame.Pixels().data() + static_cast<size_t>(std::min(y, height - 1)) * static_cast<size_t>(width);
    std::memcpy(row_.data(), in, static_cast<size_t>(width) * 4);
    if (outWidth > width) std::memcpy(row_.data() + static_cast<size_t>(width) * 4, in + width - 1, 4);
    written = WriteAll(input_, row_.data(), row_.size());
  }
  if (!written) {
    const timespec now{0, 0};
    while (::sigtimedwait(&pipe, nullptr, &now) == SIGPIPE) {
    }
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (!written) {
    Wait();
    Failed("the video encoder stopped" + Said());
  }
}

int VideoEncoder::Wait() {
  ::close(input_);
  input_ = -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return status;
}

std::string VideoEncoder::Said() {
  const std::string said = Errors();
  return said.empty() ? std::string() : " (ffmpeg: " + said + ")";
}

void VideoEncoder::Finish() {
  const int status = Wait();
  // It speaks only of errors, and one it met writing the end of the file (a full disk)
  // leaves its exit status 0: either means the file is not whole.
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !Errors().empty()) Failed("the video encoder failed" + Said());
  out_.Finish();
}

}  // namespace marvane
