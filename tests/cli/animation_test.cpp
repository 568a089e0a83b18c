// marvane-render --animate and --join: seamless loops as PNG frames and animated WebP.
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>

#include "cli/render_fixture.h"

namespace marvane::testing {
namespace {

class AnimationTest : public RenderTest {};

double MeanAbsoluteDifference(const Picture& a, const Picture& b) {
  double sum = 0;
  for (size_t i = 0; i < a.Pixels().size(); ++i)
    for (int shift : {0, 8, 16}) sum += std::abs((a.Pixels()[i] >> shift & 0xFF) - (b.Pixels()[i] >> shift & 0xFF));
  return sum / static_cast<double>(a.Pixels().size());
}

// Frame 0 of every kind of loop is the still picture, byte for byte, also where no colour setting is in play
// (where a colour cycle must still turn the colours of the later frames).
TEST_F(AnimationTest, FrameZeroIsTheStillPictureAndLaterFramesMove) {
  Tile(40, 30);
  for (const std::string colours : {"", "--spectrum-shift 0 --center-tone 0 --brightness-shift 0 "})
    for (const std::string extra : {"", "--small --rotate 0 --quadrants ur,ll "}) {
      const std::string common = "--tile tile.bmp --board 96x72 --seed 5 " + colours + extra;
      ASSERT_EQ(Render(common + "-o still.png").first, 0);
      for (const char* mode : {"zoom", "hue", "both"}) {
        std::filesystem::remove_all("f");
        const auto [status, err] = Render(common + "--animate " + mode + " --frames 8 --frame-range 0:2 -o f/");
        ASSERT_EQ(status, 0) << err;
        EXPECT_EQ(FolderListing("f"), "frame-0000.png\nframe-0001.png\n");
        EXPECT_TRUE(ReadFileBytes("f/frame-0000.png") == ReadFileBytes("still.png")) << common << mode;
        const Picture still = LoadPictureFile("f/frame-0000.png", 0), next = LoadPictureFile("f/frame-0001.png", 0);
        EXPECT_GT(MeanAbsoluteDifference(still, next), 1.0) << common << mode;
        // With no colour setting in play a colour cycle turns each colour on its own: the
        // pixels of one colour in the still share one colour in the next frame.
        std::map<int32_t, int32_t> turned;
        for (size_t i = 0; !colours.empty() && extra.empty() && mode == std::string("hue") && i < still.Pixels().size(); ++i)
          ASSERT_EQ(turned.emplace(still.Pixels()[i], next.Pixels()[i]).first->second, next.Pixels()[i]) << i;
      }
    }
}

// On a terminal a bar 24 marks wide counts the frames, each state written over the last,
// and is cleared at the end; with -q nothing is shown.
TEST_F(AnimationTest, OnATerminalABarCountsTheFramesAndGoesAtTheEnd) {
  Tile(40, 30);
  const std::string loop = "--tile tile.bmp --board 64x48 --animate zoom --frames 3 -o f/";
  const auto [status, err] = Render(loop, true);
  ASSERT_EQ(status, 0) << err;
  EXPECT_EQ(FolderListing("f"), "frame-0000.png\nframe-0001.png\nframe-0002.png\n");
  // Each state is written over the last (frames made together show together) and fills k
  // thirds of the bar; the last is full, with the rate to a tenth of a frame a second and
  // nothing left; then the line is cleared.
  std::vector<std::string> states;
  std::istringstream written(err);
  for (std::string state; std::getline(written, state, '\r');)
    if (!state.empty()) states.push_back(state);
  ASSERT_GE(states.size(), 2u) << err;
  EXPECT_EQ(states.back(), "\033[K");
  states.pop_back();
  const std::string head = "marvane-render: [";
  for (const std::string& state : states) {
    const int k = state.size() > head.size() + 26 ? state[head.size() + 26] - '0' : -1;
    EXPECT_TRUE(k >= 0 && k <= 3 && state.starts_with(head + std::string(8 * k, '#') + std::string(24 - 8 * k, '.') + "] ") &&
                state.substr(head.size() + 27).starts_with("/3 frames"))
        << state;
  }
  const std::string last = states.back(), full = head + std::string(24, '#') + "] 3/3 frames, ";
  const size_t point = last.find('.', full.size());
  EXPECT_TRUE(last.starts_with(full) && point != std::string::npos && point > full.size() &&
              last.substr(point + 2) == " frames/s, 0 s left\033[K" && std::isdigit(static_cast<unsigned char>(last[point + 1])) &&
              err.find('\n') == std::string::npos) << last;
  EXPECT_EQ(Render("-q " + loop, true), std::pair(0, std::string()));
}

// A colour cycle of 61 frames turns every colour by 427 / 61 = 7 spectrum entries a
// frame, the centre colour too: frame 1's centre is that of the still with the tone 7
// entries on.
TEST_F(AnimationTest, AColourCycleTurnsTheCentreColourWithTheRest) {
  Tile(40, 30);
  const std::string common = "--tile tile.bmp --board 96x72 --seed 5 --center-brightness 0 ";
  ASSERT_EQ(Render(common + "--center-tone 100 -o t100.png").first, 0);
  ASSERT_EQ(Render(common + "--center-tone 107 -o t107.png").first, 0);
  const auto [status, err] = Render(common + "--center-tone 100 --animate hue --frames 61 --frame-range 1:2 -o h/");
  ASSERT_EQ(status, 0) << err;
  const int32_t centre = LoadPictureFile("h/frame-0001.png", 0).Point(48, 36);
  EXPECT_EQ(centre, LoadPictureFile("t107.png", 0).Point(48, 36));
  EXPECT_NE(centre, LoadPictureFile("t100.png", 0).Point(48, 36));
}

// The step from the last frame to the first is like any other, and the frame after the last is the first again.
TEST_F(AnimationTest, TheLoopClosesWithoutASeam) {
  Tile(60, 40);
  const std::string common = "--tile tile.bmp --board 200x150 --seed 3 --frames 16 -o f/ --animate ";
  for (const char* mode : {"zoom", "hue", "both"}) {
    std::filesystem::remove_all("f");
    for (const std::string range : {"0:2", "15:16", "16:17"}) {
      const auto [status, err] = Render(common + mode + " -v --frame-range " + range);
      ASSERT_EQ(status, 0) << err;
      EXPECT_TRUE(range != "15:16" || err.find("wrote f/ (frames 15 to 15 of 16, ") != std::string::npos) << err;
    }
    std::vector<Picture> frames;
    for (const char* name : {"f/frame-0015.png", "f/frame-0000.png", "f/frame-0001.png"}) frames.push_back(LoadPictureFile(name, 0));
    const double last = MeanAbsoluteDifference(frames[0], frames[1]), first = MeanAbsoluteDifference(frames[1], frames[2]);
    EXPECT_NEAR(last / first, 1.0, 0.05) << mode << ": " << last << " then " << first;
    EXPECT_TRUE(ReadFileBytes("f/frame-0016.png") == ReadFileBytes("f/frame-0000.png")) << mode;
  }
}

// Debian's webpmux sees the frames and their times; lossless frames hold the still's pixels exactly.
TEST_F(AnimationTest, TheWebPPlaysInStandardToolsAndJoinsFramesFromAFolder) {
  if (std::system("webpmux -version >/dev/null 2>&1 && dwebp -version >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "webpmux and dwebp (Debian's webp package) are not installed";
  Tile(40, 30);
  const std::string common = "--tile tile.bmp --board 64x48 --seed 2 --frames 3 --animate both ";
  ASSERT_EQ(Render(common + "-o f/").first, 0);
  ASSERT_EQ(Render("--tile tile.bmp --board 64x48 --seed 2 -o still.png").first, 0);
  const std::tuple<std::string, std::string, std::string> cases[] = {{"a.webp", common, "lossless"},
                                                                     {"b.webp", common + "--quality 40 --fps 8", "lossy"},
                                                                     {"c.webp", "--join f", "lossless"}};
  for (const auto& [name, args, compression] : cases) {
    ASSERT_EQ(Render(args + " -o " + name).first, 0) << args;
    ASSERT_EQ(std::system(("webpmux -info " + name + " >info.txt").c_str()), 0) << args;
    std::istringstream info(ReadFileBytes("info.txt"));
    std::string line, durations;
    int frames = 0;
    for (; std::getline(info, line);) {
      if (line.rfind("Number of frames: ", 0) == 0) frames = std::stoi(line.substr(18));
      std::istringstream row(line);
      std::string no, w, h, alpha, x, y, duration, dispose, blend, size, kind;
      if (row >> no >> w >> h >> alpha >> x >> y >> duration >> dispose >> blend >> size >> kind && std::isdigit(no[0])) {
        durations += duration + " ";
        EXPECT_EQ(w + "x" + h + " " + kind, "64x48 " + compression) << line;
      }
    }
    EXPECT_EQ(frames, 3) << args;
    // 24 frames a second: frames start at 0, 41.7 and 83.3 ms and the loop lasts 125 ms.
    EXPECT_EQ(durations, compression == "lossy" ? "125 125 125 " : "42 41 42 ") << args;
  }
  ASSERT_EQ(std::system("webpmux -get frame 1 a.webp -o one.webp >/dev/null 2>&1 && dwebp -quiet one.webp -o one.png"), 0);
  EXPECT_TRUE(test::SamePicture(LoadPictureFile("one.png", 0), LoadPictureFile("still.png", 0)));
  EXPECT_TRUE(ReadFileBytes("a.webp") == ReadFileBytes("c.webp"));
}

// Every refusal names what is wrong, and nothing is written: no file, no folder, no frame.
TEST_F(AnimationTest, BadAnimationsAndHostileFramesAreRefusedAndWriteNothing) {
  Tile(40, 30);
  for (const char* folder : {"others", "gap", "sizes", "garbage"}) std::filesystem::create_directory(folder);
  SavePictureFile(Picture(8, 6), "gap/frame-0000.png");
  SavePictureFile(Picture(8, 6), "gap/frame-0002.png");
  SavePictureFile(Picture(8, 6), "sizes/frame-0000.png");
  SavePictureFile(Picture(8, 7), "sizes/frame-0001.png");
  WriteFileBytes("garbage/frame-0000.png", "\x89PNG not really");
  // Names that are not frame-DDDD.png are not frames, however near they come.
  for (const char* other : {"frame-0000.jpg", "frame-00x0.png", "frame-00000.png", "image-0000.png"})
    WriteFileBytes(std::string("others/") + other, "not a frame");
  WriteFileBytes("notes.webp", "kept");
  const std::string before = FolderListing(".");
  const struct {
    std::string args;
    const char* line;  // the status, then how the first line of stderr starts
    rlim_t mostBytes = RLIM_INFINITY;
  } cases[] = {
      {"--animate spin -o a.webp", "2 --animate: \"spin\" is not one of zoom, hue and both"},
      {"--animate zoom", "2 --animate: name the output with -o"},
      {"--animate zoom -o -", "2 --output -: name the loop's format with --format mp4, webm or gif"},
      {"--animate zoom --format png -o f/", "2 --format png: a loop into a stream is mp4, webm or gif"},
      {"--animate zoom --format gif -o a.mp4", "2 --format gif: the name \"a.mp4\" asks for another format"},
      {"--animate zoom --format mp4 -o a.gif", "2 --format mp4: the name \"a.gif\" asks for another format"},
      {"--animate zoom --format webm -o a.mp4", "2 --format webm: the name \"a.mp4\" asks for another format"},
      {"--animate zoom -o a.avi", "2 --output a.avi: a loop is written as NAME.webp, .mp4, .webm or .gif, or as frames"},
      {"--animate zoom --frames 2.5 -o a.webp", "2 --frames: \"2.5\" is not a whole number"},
      {"--animate zoom --frame-range 0:2 -o a.webp", "2 --frame-range: the frames go into a folder"},
      {"--animate zoom --frame-range 2 -o f/", "2 --frame-range: \"2\" is not FIRST:END"},
      {"--animate zoom --frame-range 5: -o f/", "2 --frame-range: \"5:\" is not FIRST:END"},
      {"--animate zoom --frame-range :5 -o f/", "2 --frame-range: \":5\" is not FIRST:END"},
      {"--animate zoom --quality 50 -o f/", "2 --quality: only for a .webp, .mp4, .webm or .gif loop"},
      {"--animate zoom --sequential -o f/", "2 --sequential: only for a still picture"},
      {"--animate zoom --dpi 300 -o a.webp", "2 --dpi: a .webp, .mp4, .webm or .gif loop records no resolution"},
      {"--animate zoom --dpi 300 --format gif -o -", "2 --dpi: a .webp, .mp4, .webm or .gif loop records no resolution"},
      {"--join f --dpi 300 -o j.mp4", "2 --dpi: a .webp, .mp4, .webm or .gif loop records no resolution"},
      {"--animate zoom --dpi 0 -o f/", "1 --dpi: Value must be between 1 and 100000!"},
      {"--frames 4", "2 --frames: only with --animate"},
      {"--join f -o j.png", "1 --join f: not a folder"},  // a poster's bands, by the picture's name
      {"--animate zoom --frames 0 -o a.webp", "1 --frames: Value must be between 1 and 3600!"},
      {"--animate zoom --frames 100000 -o a.webp", "1 --frames: Value must be between 1 and 3600!"},
      {"--animate hue --fps 0.5 -o a.webp", "1 --fps: Value must be between 1 and 60!"},
      {"--animate hue --quality 101 -o a.mp4", "1 --quality: Value must be between 0 and 100!"},
      {"--animate hue --fps 51 -o a.gif", "1 --fps: Value must be between 1 and 50!"},
      {"--animate zoom --shard 3/2 -o f/", "1 --shard K: Value must be between 0 and 1!"},
      {"--animate zoom --shard -1/4 -o f/", "1 --shard K: Value must be between 0 and 3!"},
      {"--animate zoom --shard 1/0 -o f/", "1 --shard N: Value must be between 1 and 48!"},
      {"--animate zoom --shard 1:2 -o f/", "2 --shard: \"1:2\" is not K/N"},
      {"--animate zoom --shard 0/2 --frame-range 0:1 -o f/", "2 --shard: a shard is a range of frames already"},
      {"--animate zoom --shard 0/2 -o a.webp", "2 --shard: the frames go into a folder"},
      {"--animate zoom --frames 4 --frame-range 3:3 -o f/", "1 --frame-range: frames run from 0 to 3, so FIRST:END"},
      {"--animate zoom --frames 4 --frame-range 4:6 -o f/", "1 --frame-range: frames run from 0 to 3"},
      {"--animate zoom -o no/such.webp", "1 --output no/such.webp: the folder \"no\" does not exist"},
      {"--animate zoom -o no/f/", "1 --output no/f/: the folder \"no\" does not exist"},
      {"--animate zoom -o notes.webp/", "1 --output notes.webp/: \"notes.webp\" is not a folder"},
      {"--animate zoom --frames 2 -o f/", "1 Cannot save the picture file \"f/frame-000", 2000},
      {"--animate zoom --frames 2 -o notes.webp", "1 Cannot save the animation \"notes.webp\"", 2000},
      // The widest WebP passes on to the tile; one pixel more is refused before the tile is read.
      {"--tile none.bmp --board 16383x10 --animate zoom -o a.webp", "1 --tile: Cannot read the picture file \"none.bmp\""},
      {"--tile none.bmp --board 10x16384 --animate zoom -o a.webp", "1 --board: a WebP animation is at most 16383 pixels"},
      {"--join none -o j.MP4", "1 --join none: the folder does not exist"},  // a loop's ending in capitals too
      {"--join notes.webp -o j.webp", "1 --join notes.webp: not a folder"},
      {"--join others -o j.webp", "1 --join others: no frames in it (frame-0000.png, frame-0001.png, ...)"},
      {"--join gap -o j.webp", "1 --join gap: frame-0001.png is missing"},
      {"--join sizes -o j.webp", "1 --join sizes: the frames are not all one size"},
      {"--join garbage -o j.webp", "1 --join: Cannot read the picture file \"garbage/frame-0000.png\""}};
  for (const auto& [a, line, mostBytes] : cases) {
    const ScopedFileSizeLimit full(mostBytes);
    const bool own = a.starts_with("--join") || a.starts_with("--tile");  // not with the usual tile and board
    const auto [status, err] = Render((own ? "" : "--tile tile.bmp --board 64x48 ") + a);
    EXPECT_EQ((std::to_string(status) + " " + err).rfind(std::string(line).insert(2, "marvane-render: "), 0), 0u) << err;
    EXPECT_EQ(FolderListing(".") + ReadFileBytes("notes.webp"), before + "kept") << a;
  }
}

}  // namespace
}  // namespace marvane::testing
