// Pictures and picture files: what each file in tests/data/pictures (see make.py there)
// loads as or why it is refused, and saving.
#include "platform/picture_files.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QImage>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "hostile/hostile_files.h"
#include "support/picture_checks.h"
#include "platform/row_writers.h"
#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using namespace testing;
using Pixels = std::vector<int32_t>;

const std::string kPictures = MARVANE_TEST_DATA "/pictures/";
constexpr int32_t kBack = 0x804060;  // what make.py lays transparent pixels over

TEST(Picture, OutsidePointsAnswerMinusOneAndAreNotSetAndFillBoxClips) {
  Picture p(3, 2, 0xA);
  for (const auto& [x, y] : {std::pair{0, 1}, {-1, 0}, {3, 1}, {0, 2}, {2, -1}}) p.PSet(x, y, 7);
  EXPECT_EQ((Pixels{p.Point(0, 1), p.Point(-1, 0), p.Point(3, 1), p.Point(0, 2), p.Point(2, -1)}), (Pixels{7, -1, -1, -1, -1}));
  p.FillBox(2, 1, 2, -5, 5);  // one column, corners in either order, clipped
  p.FillBox(2, 0, 1, 0, 5);   // one row, the same
  p.FillBox(5, 0, 9, 9, 8);   // wholly outside
  EXPECT_EQ(p.Pixels(), (Pixels{0xA, 5, 5, 7, 0xA, 5}));
}

// The comparison the tests lean on fails on one pixel, and on the same pixels in another
// shape, and says where; == agrees with it.
TEST(Picture, SamePictureNamesTheFirstDifference) {
  const Picture a(3, 2, 0x10), wide(2, 3, 0x10);
  Picture last = a;
  last.PSet(2, 1, 0x1000010);
  EXPECT_TRUE(test::SamePicture(a, Picture(3, 2, 0x10)));
  EXPECT_TRUE(a == Picture(3, 2, 0x10));
  EXPECT_STREQ(test::SamePicture(last, a).message(), "(2, 1) is 0x1000010, not 0x000010");
  EXPECT_STREQ(test::SamePicture(wide, a).message(), "size 2 x 3, not 3 x 2");
  EXPECT_FALSE(last == a || wide == a || a == Picture(3, 1, 0x10));
}

// What a refusal says after naming the file, or "loaded".
std::string Why(const std::string& path, int64_t mostPixels = kMostPicturePixels) {
  try {
    LoadPictureFile(path, kBack, mostPixels);
    return "loaded";
  } catch (const RunTimeError& e) {
    const std::string named = "Cannot read the picture file \"" + path + "\": ";
    return std::string(e.what()).starts_with(named) ? e.what() + named.size() : e.what();
  }
}

struct GoodFile {  // a line of Expected.txt
  std::string name;
  int width = 0, height = 0, tolerance = 0;
  size_t signature = 0, loadsFrom = 0;
  Pixels pixels;
};
void PrintTo(const GoodFile& file, std::ostream* out) { *out << file.name; }

std::vector<GoodFile> GoodFiles() {
  std::ifstream in(kPictures + "Expected.txt");
  std::vector<GoodFile> files;
  for (std::string line; std::getline(in, line);) {
    GoodFile f;
    std::istringstream fields(line);
    if (!(fields >> f.name >> f.width >> f.height >> f.tolerance >> f.signature >> f.loadsFrom)) continue;
    for (int32_t pixel = 0; fields >> std::hex >> pixel;) f.pixels.push_back(pixel);
    files.push_back(f);
  }
  return files;
}

::testing::AssertionResult LoadsAs(const std::string& path, const GoodFile& f) {
  return test::PixelsMatch(LoadPictureFile(path, kBack), f.width, f.height,
                           [&](int x, int y) { return f.pixels.at(static_cast<size_t>(y * f.width + x)); }, f.tolerance);
}

// `bytes` written into a named pipe as a program would write them, stopping quietly if the
// reader goes; ends once a reader has come, or when Release is called.
class PipeWriter {
 public:
  PipeWriter(std::string path, std::string bytes) : path_(std::move(path)), bytes_(std::move(bytes)) {
    if (::mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("cannot make the pipe " + path_);
    std::signal(SIGPIPE, SIG_IGN);
    writer_ = std::thread([this] {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
      for (size_t done = 0; fd >= 0 && done < bytes_.size();) {
        const ssize_t n = ::write(fd, bytes_.data() + done, bytes_.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      if (fd >= 0) ::close(fd);
    });
  }
  ~PipeWriter() {
    // A reader that never came is stood in for, so that the writer's open returns.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
    writer_.join();
  }

 private:
  std::string path_, bytes_;
  std::thread writer_;
};

// Shorter copies (named .bmp: the bytes decide) are refused until the first picture is
// whole; the whole file through a pipe loads as from the file.
class GoodPictureFile : public ::testing::TestWithParam<GoodFile> {};
TEST_P(GoodPictureFile, LoadsAsThePictureItHoldsAndNotWhenCutShort) {
  const GoodFile& f = GetParam();
  EXPECT_TRUE(LoadsAs(kPictures + f.name, f));
  const TempFolder dir;
  const std::string whole = ReadFileBytes(kPictures + f.name), cut = dir / "cut.bmp";
  for (size_t length = 1; f.signature > 0 && length < whole.size(); ++length) {
    WriteFileBytes(cut, whole.substr(0, length));
    if (length >= f.loadsFrom)
      ASSERT_TRUE(LoadsAs(cut, f)) << length << " bytes";
    else
      ASSERT_EQ(Why(cut), length < f.signature ? "it is not a BMP, JPG, TIF, GIF or PNG picture."
                                               : "the picture in it is damaged or incomplete.") << length;
  }
  const PipeWriter pipe(dir / "pipe", whole);
  EXPECT_TRUE(LoadsAs(dir / "pipe", f)) << "through a pipe";
}
INSTANTIATE_TEST_SUITE_P(Made, GoodPictureFile, ::testing::ValuesIn(GoodFiles()),
                         [](const auto& info) { return info.param.name.substr(0, info.param.name.find('.')); });

// A file's first 64 KiB are read and judged on their own, then the rest: a file one byte
// longer than that block loads as well, its last byte read. The GIF gets a comment after
// its picture, in sub-blocks of at most 255 bytes, that makes it 65537 bytes long.
TEST(PictureFileReading, AFileOneByteLongerThanTheFirstBlockLoads) {
  const std::string gif = ReadFileBytes(kPictures + "GifTransparent.gif");
  std::string comment = "\x21\xFE";
  for (size_t left = 64 * 1024 + 1 - (gif.size() + comment.size() + 1); left > 0;) {
    size_t n = std::min<size_t>(255, left - 1);
    if (left - (n + 1) == 1) --n;  // no one byte left over: a block holds at least one
    comment += static_cast<char>(n) + std::string(n, 'c');
    left -= n + 1;
  }
  const TempFolder dir;
  WriteFileBytes(dir / "long.gif", gif.substr(0, gif.size() - 1) + comment + '\0' + gif.back());
  ASSERT_EQ(std::filesystem::file_size(dir / "long.gif"), 65537u);
  EXPECT_TRUE(test::SamePicture(LoadPictureFile(dir / "long.gif", kBack),
                                LoadPictureFile(kPictures + "GifTransparent.gif", kBack)));
}

// The hostile tile files, and what only a direct load meets.
std::vector<HostileFile> RefusedFiles() {
  using std::filesystem::copy_file;
  std::vector<HostileFile> files = HostileFiles();
  files.insert(files.end(), {
      {"NoName", "", [](auto&) {}, "no file name was given."},
      {"Missing", "nowhere.bmp", [](auto&) {}, "the file does not exist."},
      {"Device", "zero.bmp", [](auto& p) { std::filesystem::create_symlink("/dev/zero", p); }, "it is not a BMP, JPG, TIF, GIF or PNG picture."},
      {"Gif16385High", "tall.gif", [](auto& p) { copy_file(kPictures + "Gif1x16385.gif", p); },
       "the picture is 1 x 16385 pixels, and this program reads pictures of at most 16384 pixels on a side."},
      {"FarLongerThanItsPictureNeeds", "long.bmp",
       [](auto& p) { copy_file(kPictures + "Bmp24.bmp", p); std::filesystem::resize_file(p, 100'000'000); },
       "the file holds 100000000 bytes, more than a picture of the size it declares can need."}});
  return files;
}

class RefusedPictureFile : public ::testing::TestWithParam<HostileFile> {};
TEST_P(RefusedPictureFile, IsRefusedWithItsReason) {
  if (GetParam().unreadable && ::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const TempFolder dir;
  const std::string path = GetParam().fileName.empty() ? "" : dir / GetParam().fileName;
  GetParam().make(path);
  EXPECT_EQ(Why(path, int64_t{2048} * 2048), GetParam().reason);  // at most as many pixels as a tile file
}
INSTANTIATE_TEST_SUITE_P(Files, RefusedPictureFile, ::testing::ValuesIn(RefusedFiles()),
                         [](const auto& info) { return info.param.caseName; });

TEST(PictureFileRefusal, AFormatWhoseReaderIsMissingIsNamed) {
  // Qt's TIFF reader comes in a package of its own. A new process has no plugin loaded.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(QCoreApplication::setLibraryPaths({}); std::exit(Why(kPictures + "TiffRgb.tif") ==
              "it is a TIF picture, and the reader for TIF pictures is not installed." ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
}

Picture Pattern(int width, int height, uint32_t seed = 0) {  // with a seed, noise
  Picture p(width, height, 0xFFFFFF);
  for (int i = 0; i + 1 < width * height; ++i)
    p.Pixels()[i] = static_cast<int32_t>(seed ? (seed = seed * 1664525u + 1013904223u) >> 8 : i * 0x10305u) & 0xFFFFFF;
  return p;
}

std::string SaveError(const Picture& picture, const std::string& path, rlim_t fileSizeLimit = RLIM_INFINITY,
                      std::string_view format = {}) {
  const ScopedFileSizeLimit limit(fileSizeLimit);
  try {
    SavePictureFile(picture, path, format);
  } catch (const RunTimeError& e) {
    return e.what();
  }
  return "saved";
}

TEST(PictureFileSaving, TheEndingPicksTheFormatAndTheFileReadsBackAsThePicture) {
  const std::pair<const char*, const char*> cases[] = {{"a.png", "\x89PNG"}, {"b.PNG", "\x89PNG"}, {"c.tif", "II*"},
                                                       {"d.TiFf", "II*"}, {"e.bmp", "BM"}, {"f.jpg", "BM"}, {"g", "BM"}};
  const TempFolder dir;
  // The widest we read, one pixel, more rows than the loader takes at once, more than the BMP writer makes at
  // once; each replacing the last.
  for (const auto& [width, height] : {std::pair{kLargestPictureSide, 1}, {1, 1}, {700, 600}, {13, 70}})
    for (const auto& [name, signature] : cases) {
      const Picture picture = Pattern(width, height);
      EXPECT_EQ(SaveError(picture, dir / name), "saved");
      EXPECT_TRUE(ReadFileBytes(dir / name).starts_with(signature)) << name;
      EXPECT_TRUE(test::PixelsMatch(LoadPictureFile(dir / name, kBack), width, height,
                                    [&](int x, int y) { return picture.Point(x, y); })) << name;
    }
  // 24 bits a pixel in rows padded with zeros to 4 bytes after a 54-byte header, 3780 pixels a metre.
  const std::string bmp = ReadFileBytes(dir / "e.bmp");
  EXPECT_EQ(bmp.size(), 54u + 40 * 70);
  for (size_t rowEnd = 54 + 40; rowEnd <= bmp.size(); rowEnd += 40) EXPECT_EQ(bmp[rowEnd - 1], '\0') << rowEnd;
  EXPECT_EQ(ReadFileBytes(dir / "e.bmp").substr(38, 8), std::string("\xC4\x0E\0\0\xC4\x0E\0\0", 8));
  SavePictureFile(Picture(100, 100, 0x336699), dir / "flat.tif");
  EXPECT_LT(std::filesystem::file_size(dir / "flat.tif"), 3000u);  // deflated: far below 30,000 bytes of pixels
}

TEST(PictureFileSaving, AFailedSaveSaysWhyAndLeavesWhatWasThere) {
  const TempFolder dir;
  std::filesystem::create_directories(dir / "folder.bmp/inside");
  WriteFileBytes(dir / "old.bmp", "old picture");
  WriteFileBytes(dir / "old.png", "old picture");
  WriteFileBytes(dir / "old.tif", "old picture");
  const std::string named = "Cannot save the picture file \"" + dir / "";
  EXPECT_EQ(SaveError(Pattern(3, 3), ""), "Cannot save the picture file \"\": no file name was given.");
  EXPECT_EQ(SaveError(Pattern(3, 3), dir / "no/a.bmp"), named + "no/a.bmp\": the folder \"" + dir / "no" + "\" does not exist.");
  EXPECT_EQ(SaveError(Pattern(3, 3), dir / "folder.bmp"), named + "folder.bmp\": it is a folder.");
  EXPECT_EQ(SaveError(Picture(), dir / "old.bmp"), named + "old.bmp\": there is no picture to save.");
  // A full disk met while writing, or only when the bytes held back are flushed (for a TIFF, its directory).
  for (const char* name : {"old.bmp", "old.png", "old.tif"})
    for (const int side : {200, 40}) {
      const std::string error = SaveError(Pattern(side, side, 99), dir / name, 4096);
      EXPECT_TRUE(error.starts_with(named + name + "\": writing it failed (") &&
                  error.ends_with("); a file of that name that was there before is unchanged.")) << error;
      EXPECT_EQ(ReadFileBytes(dir / name), "old picture");
    }
  EXPECT_EQ(FolderListing(dir.Path()) + FolderListing(dir / "folder.bmp"),
            "folder.bmp\nold.bmp\nold.png\nold.tif\ninside\n");
}

// Writes `picture` into `path` in bands of `band` rows, in the order the writer asks for.
void WriteInBands(const Picture& picture, std::string_view format, int32_t band, const std::string& path,
                  int32_t pixelsPerMetre = kScreenPixelsPerMetre) {
  OutputFile out(path, [](const std::string& why) { return why; });
  const int32_t width = picture.Width(), height = picture.Height();
  const auto writer = OpenRowWriter(out, format, width, height, pixelsPerMetre);
  for (int32_t done = 0; done < height; done += band) {
    const int32_t rows = std::min(band, height - done);
    const int32_t top = writer->Order() == RowOrder::BottomUp ? height - done - rows : done;
    writer->WriteRows(picture.Pixels().data() + static_cast<size_t>(top) * width, rows);
  }
  writer->Finish();
  out.Commit();
}

// Bands of one row, of seven (across the TIFF's strips of 21 rows at this width) and the whole picture in one band
// make the whole-picture save's bytes, which read back as the picture; BMP's bands come from the bottom.
TEST(RowWriting, BandsGiveTheWholePictureSave) {
  const TempFolder dir;
  const Picture picture = Pattern(kLargestPictureSide, 50, 7);
  for (const std::string format : {"bmp", "png", "tiff"}) {
    SavePictureFile(picture, dir / "whole", format);
    for (const int32_t band : {1, 7, 50}) {
      WriteInBands(picture, format, band, dir / "bands");
      EXPECT_TRUE(test::SamePicture(LoadPictureFile(dir / "bands", kBack), picture)) << format << " " << band;
      if (format != "tiff") {
        EXPECT_EQ(ReadFileBytes(dir / "bands"), ReadFileBytes(dir / "whole")) << format << band;
      }
    }
  }
}

// Whole dots an inch where they round back to the same pixels a metre, else dots a centimetre; deflate after
// the horizontal predictor, RGB, and an embedded profile that Qt's reader takes for sRGB.
TEST(RowWriting, TiffTagsRecordTheResolutionCompressionAndProfile) {
  const TempFolder dir;
  const struct {
    int32_t pixelsPerMetre;
    uint16_t unit;
    float resolution;
  } cases[] = {{3780, RESUNIT_INCH, 96}, {11811, RESUNIT_INCH, 300}, {2854, RESUNIT_CENTIMETER, 28.54f},
               {1000, RESUNIT_CENTIMETER, 10}};  // 25.4 dpi: 25 would be 984 a metre
  for (const auto& c : cases) {
    WriteInBands(Pattern(30, 20), "tiff", 20, dir / "a.tif", c.pixelsPerMetre);
    TIFF* tiff = TIFFOpen((dir / "a.tif").c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    uint16_t unit = 0, compression = 0, predictor = 0, photometric = 0, samples = 0;
    float x = 0, y = 0;
    uint32_t profileBytes = 0;
    void* profile = nullptr;
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_PREDICTOR, &predictor);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileBytes, &profile);
    TIFFClose(tiff);
    EXPECT_EQ(unit, c.unit) << c.pixelsPerMetre;
    EXPECT_NEAR(x, c.resolution, 1e-4) << c.pixelsPerMetre;
    EXPECT_NEAR(y, c.resolution, 1e-4) << c.pixelsPerMetre;
    EXPECT_EQ(std::vector<int>({compression, predictor, photometric, samples}),
              std::vector<int>({COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL, PHOTOMETRIC_RGB, 3}));
    const QImage image(QString::fromStdString(dir / "a.tif"));
    EXPECT_GT(profileBytes, 0u);
    EXPECT_EQ(image.colorSpace(), QColorSpace(QColorSpace::SRgb));
    EXPECT_EQ(image.dotsPerMeterX(), c.pixelsPerMetre);
  }
}

// A classic TIFF while its pixels, deflated at their worst, cannot pass 4 GB; a BigTIFF past that. The header is
// written as the writer opens; a writer given up leaves nothing at the name.
TEST(RowWriting, ATiffThatCouldPass4GbIsABigTiff) {
  const TempFolder dir;
  // 37000 a side is 4.1 GB of pixels; 37837, 51 KB short of 4 GB, would pass it by a few bytes a block.
  for (const auto& [side, signature] : {std::pair{16384, "II*"}, {37000, "II*"}, {37837, "II+"}, {65535, "II+"}}) {
    {
      OutputFile out(dir / "big.tif", [](const std::string& why) { return why; });
      const auto writer = OpenRowWriter(out, "tiff", side, side, kScreenPixelsPerMetre);
      EXPECT_EQ(ReadFileBytes(out.TemporaryPath()).substr(0, 3), signature) << side;
    }
    EXPECT_EQ(FolderListing(dir.Path()), "") << side;
  }
}

// libpng's own limit of a million pixels a side is lifted: PNG's is 2^31 - 1.
TEST(RowWriting, APngTakesSidesPastAMillion) {
  const TempFolder dir;
  WriteInBands(Picture(1 << 20 | 1, 1, 0x123456), "png", 1, dir / "wide.png");
  EXPECT_EQ(ReadFileBytes(dir / "wide.png").substr(12, 12), std::string("IHDR\0\x10\0\x01\0\0\0\x01", 12));
}

// Rows that do not fit, or that never came, and pictures a format cannot hold: refused with the reason, nothing
// left at the name.
TEST(RowWriting, AWrongCountOfRowsOrAnImpossiblePictureIsRefusedAndLeavesNothing) {
  const TempFolder dir;
  const Picture rows = Pattern(3, 5);
  const struct {
    std::string format;
    int32_t width, height;
    std::vector<int32_t> bands;  // -1: Finish
    std::string reason;
  } cases[] = {
      {"bmp", 3, 4, {5}, "a band of 5 rows was given where 4 of the picture's 4 rows were left."},
      {"png", 3, 4, {3, 2}, "a band of 2 rows was given where 1 of the picture's 4 rows were left."},
      {"tiff", 3, 4, {4, 1}, "a band of 1 row was given where 0 of the picture's 4 rows were left."},
      {"tiff", 3, 4, {-2}, "a band of -2 rows was given where 4 of the picture's 4 rows were left."},
      {"png", 3, 4, {3, -1}, "only 3 of the picture's 4 rows were given."},
      {"tiff", 3, 4, {1, 2, -1}, "only 3 of the picture's 4 rows were given."},
      {"bmp", 3, 4, {}, "only 0 of the picture's 4 rows were given."},
      {"bmp", 37838, 37838, {}, "it would be larger than the 4 GB a BMP file can hold."},
      {"png", 0, 4, {}, "there is no picture to save."},
      {"jpg", 3, 4, {}, "\"jpg\" is not a format pictures are saved in (bmp, png or tiff)."},
  };
  for (const auto& c : cases) {
    std::string error = "written";
    try {
      OutputFile out(dir / "a", [](const std::string& why) { return why; });
      const auto writer = OpenRowWriter(out, c.format, c.width, c.height, kScreenPixelsPerMetre);
      for (const int32_t band : c.bands) band == -1 ? writer->Finish() : writer->WriteRows(rows.Pixels().data(), band);
      if (c.bands.empty()) writer->Finish();
    } catch (const RunTimeError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.reason) << c.format;
    EXPECT_EQ(FolderListing(dir.Path()), "") << c.reason;
  }
}

// A TIFF into a pipe or a device is made in an unnamed temporary file, then copied in: the same bytes as the file.
TEST(RowWriting, ATiffIntoAStreamIsTheFilesBytesOrTheReasonItFailed) {
  const TempFolder dir;
  const Picture picture = Pattern(300, 200, 5);
  SavePictureFile(picture, dir / "file.tif");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::string piped;
  std::thread reader([&] { piped = ReadFileBytes(dir / "pipe"); });
  EXPECT_EQ(SaveError(picture, dir / "pipe", RLIM_INFINITY, "tiff"), "saved");
  ::close(::open((dir / "pipe").c_str(), O_WRONLY | O_NONBLOCK));  // a reader the save never met ends
  reader.join();
  EXPECT_EQ(piped, ReadFileBytes(dir / "file.tif"));
  EXPECT_EQ(SaveError(picture, "/dev/null", RLIM_INFINITY, "tiff"), "saved");
  const std::string named = "Cannot save the picture file \"";
  EXPECT_EQ(SaveError(picture, "/dev/full", RLIM_INFINITY, "tiff"),
            named + "/dev/full\": writing it failed (No space left on device).");
  const ScopedEnv tmp("TMPDIR", dir.Path());
  EXPECT_EQ(SaveError(picture, "/dev/null", 4096, "tiff"),
            named + "/dev/null\": writing it failed (File too large in the temporary file in \"" + dir.Path() + "\").");
  const ScopedEnv none("TMPDIR", dir / "none");
  EXPECT_EQ(SaveError(picture, "/dev/null", RLIM_INFINITY, "tiff"),
            named + "/dev/null\": a temporary file for it cannot be made in \"" + dir / "none" +
                "\" (No such file or directory).");
  EXPECT_EQ(FolderListing(dir.Path()), "file.tif\npipe\n");
}

}  // namespace
}  // namespace marvane
