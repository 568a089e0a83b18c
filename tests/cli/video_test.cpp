// Loops as video (MP4, WebM, GIF), read back by FFmpeg's own tools as any player would.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <thread>

#include "cli/render_fixture.h"
#include "platform/video_encoder.h"

namespace marvane::testing {
namespace {

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// "codec|width|height|pixel format|frames|duration" of the first video stream.
std::string Probe(const std::string& file) {
  std::string out = Output("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                           "stream=codec_name,pix_fmt,width,height,nb_read_frames:format=duration "
                           "-of compact=p=0:nk=1 " + file + " | tr '\\n' '|'");
  return out;
}

// The peak signal-to-noise ratio of `b` against `a` over a's area, in RGB.
double Psnr(const Picture& a, const Picture& b) {
  double squares = 0;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      for (int shift : {0, 8, 16}) {
        const double d = (a.Point(x, y) >> shift & 0xFF) - (b.Point(x, y) >> shift & 0xFF);
        squares += d * d;
      }
  const double mean = squares / (3.0 * a.Width() * a.Height());
  return 10 * std::log10(255.0 * 255.0 / mean);
}

// Greys: H.264 stores colour at half the resolution of brightness, so the spiral's
// sharp edges between saturated colours cost it far more than 40 dB; in grey only the
// encoder's own loss shows.
void GreyTile(const std::string& name) {
  Picture p(48, 48, 0);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) p.PSet(x, y, (40 + 3 * x + y) * 0x010101);
  SavePictureFile(p, name);
}

class VideoTest : public RenderTest {
 protected:
  void SetUp() override {
    if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffprobe (Debian's ffmpeg) is not installed";
    GreyTile("tile.bmp");
  }
  // An odd board: MP4 and WebM pad it to even sides.
  const std::string values_ = "--tile tile.bmp --board 161x121 --seed 1 ";
  const std::string loop_ = values_ + "--animate zoom --frames 6 --fps 12 ";
};

TEST_F(VideoTest, EachFormatPlaysWithItsFramesAndLengthAndFrameZeroIsTheStill) {
  ASSERT_EQ(Render(values_ + "-o still.png").first, 0);
  ASSERT_EQ(Render(loop_ + "-o f/").first, 0);
  const std::pair<std::string, std::string> cases[] = {
      // Six frames at twelve a second last half a second.
      {loop_ + "-o a.mp4", "h264|162|122|yuv420p|6|0.500000|"},
      {loop_ + "-o a.webm", "vp9|162|122|yuv420p|6|0.500000|"},
      {loop_ + "-o a.gif", "gif|161|121|bgra|6|0.500000|"},
      {"--join f --fps 12 -o j.mp4", "h264|162|122|yuv420p|6|0.500000|"},
  };
  for (const auto& [args, probe] : cases) {
    const auto [status, err] = Render(args);
    ASSERT_EQ(status, 0) << args << err;
    EXPECT_EQ(Probe(args.substr(args.rfind(' ') + 1)), probe) << args;
  }
  // A GIF loops for ever: its application block says 0 repeats.
  EXPECT_NE(ReadFileBytes("a.gif").find(std::string("NETSCAPE2.0\x03\x01\x00\x00", 16)), std::string::npos);
  // Frame 0 of the MP4 is the still, as near as a lossy format comes.
  ASSERT_EQ(Render(loop_ + "--quality 90 -o b.mp4").first, 0);
  ASSERT_EQ(std::system("ffmpeg -v error -i b.mp4 -frames:v 1 -vf format=rgb24 -y zero.png"), 0);
  const double psnr = Psnr(LoadPictureFile("still.png", 0), LoadPictureFile("zero.png", 0));
  RecordProperty("mp4_frame0_psnr_db", std::to_string(psnr));
  EXPECT_GT(psnr, 40.0);
  EXPECT_TRUE(ReadFileBytes("j.mp4") == ReadFileBytes("a.mp4"));  // the frames joined are the frames drawn
}

// Into a pipe an MP4 cannot go back to write its index first: it is written in fragments
// that a reader plays as they come.
TEST_F(VideoTest, AnMp4IntoAPipeIsFragmented) {
  ASSERT_EQ(::mkfifo("pipe.mp4", 0600), 0);
  std::string bytes;
  std::thread reader([&bytes] { bytes = ReadFileBytes("pipe.mp4"); });
  const auto [status, err] = Render(loop_ + "-o pipe.mp4");
  reader.join();
  ASSERT_EQ(status, 0) << err;
  EXPECT_NE(bytes.find("moof"), std::string::npos);
  WriteFileBytes("piped.mp4", bytes);
  EXPECT_EQ(Probe("piped.mp4").substr(0, 25), "h264|162|122|yuv420p|6|0.");
}

// Without ffmpeg, beyond H.264's largest frame, or when ffmpeg fails, the message says why
// and nothing is written.
TEST_F(VideoTest, AFailingEncoderWritesNothing) {
  const std::string before = FolderListing(".");
  const auto [large, why] = Render("--tile tile.bmp --board 8200x4400 --animate zoom -o a.mp4");
  EXPECT_EQ((std::to_string(large) + " " + why).rfind("1 marvane-render: --board: an MP4 (H.264) frame holds", 0), 0u)
      << why;
  {
    const ScopedEnv path("PATH", dir.Path());
    const auto [status, err] = Render(loop_ + "-o a.mp4");
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("made by the ffmpeg program, which is not installed"), std::string::npos) << err;
    // One that ends at once, its input unread (a frame is more than a pipe holds): the message quotes its last line.
    WriteFileBytes("ffmpeg", "#!/bin/sh\necho 'a first line' >&2\necho 'Last words' >&2\nexit 1\n");
    ::chmod("ffmpeg", 0755);
    const auto [failed, said] = Render(loop_ + "-o a.mp4");
    EXPECT_EQ(failed, 1);
    EXPECT_NE(said.find("a.mp4\": the video encoder stopped (ffmpeg: Last words)."), std::string::npos) << said;
    std::filesystem::remove("ffmpeg");
  }
  const ScopedFileSizeLimit full(600);
  const auto [status, err] = Render(loop_ + "-o a.webm");
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("Cannot save the video \"a.webm\": the video encoder"), std::string::npos) << err;
  EXPECT_EQ(FolderListing("."), before);
}

// Phones and most browsers play MP4 and WebM up to 4096 x 2304, either way round; GIF has no such limit.
TEST(VideoSize, IsWarnedOfBeyondWhatPhonesPlay) {
  const auto size = [](VideoFormat format, int32_t width, int32_t height) {
    VideoSettings s;
    s.format = format, s.width = width, s.height = height;
    return s;
  };
  const std::string beyond = ": larger than phones and most browsers play (about 4096x2304)";
  const std::pair<VideoSettings, std::string> cases[] = {
      {size(VideoFormat::Mp4, 4096, 2304), ""},
      {size(VideoFormat::WebM, 2304, 4096), ""},
      {size(VideoFormat::Mp4, 4098, 100), "MP4 of 4098x100" + beyond},
      {size(VideoFormat::WebM, 2306, 2306), "WebM of 2306x2306" + beyond},
      {size(VideoFormat::Gif, 8000, 8000), ""},
  };
  for (const auto& [settings, warning] : cases) EXPECT_EQ(VideoSizeWarning(settings), warning);
}

}  // namespace
}  // namespace marvane::testing
