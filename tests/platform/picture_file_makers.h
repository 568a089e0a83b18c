#pragma once
// Picture files built byte for byte, for the variants Qt cannot write (4-bit and
// 32-bit BMP, top-down BMP, run-length BMP, GIF, deflate and multi-page TIFF, CMYK
// JPEG) and so that the loading tests do not depend on the writer they would share a
// fault with. Each builder follows the format's published layout, noted beside it.
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace marvane::test {

// Packed colour of a Qt colour value: red + 256 x green + 65536 x blue.
inline int32_t Packed(QRgb c) { return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16); }
inline int32_t Packed(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// A colour for every pixel, different across rows, columns and channels, so that a
// swapped axis, a mirrored row order or a swapped red and blue all show.
QRgb PatternColour(int x, int y);
// An RGB32 picture of PatternColour.
QImage PatternImage(int width, int height);

// ---- BMP: 14-byte file header, 40-byte information header (or 124-byte V5 header
// with masks), palette of 4-byte blue-green-red-0 entries, rows padded to 4 bytes,
// bottom row first unless the height is negative.
struct BmpSpec {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 24;  // 1, 4, 8, 24 or 32
  bool topDown = false;
  std::vector<QRgb> palette;  // for 1, 4 and 8 bits
  // One value a pixel, row-major from the top: a palette index for 1, 4 and 8 bits,
  // else the colour (for 32 bits with an alpha mask, its alpha too).
  std::vector<uint32_t> pixels;
  // 32 bits only: a V5 header with red, green, blue and alpha masks; otherwise the
  // fourth byte of a 32-bit pixel is written as `unusedByte` and means nothing.
  bool alphaMask = false;
  uint8_t unusedByte = 0;
};
QByteArray MakeBmp(const BmpSpec& spec);

// An 8-bit run-length BMP (compression 1) with the given palette, each row coded as
// runs of equal indices, ending with the end-of-picture mark.
QByteArray MakeRunLengthBmp(int width, int height, const std::vector<QRgb>& palette,
                            const std::vector<uint8_t>& indices);

// ---- GIF 89a: header, logical screen, global colour table, per frame an optional
// graphic control extension (transparent index) and an image descriptor with its
// LZW-coded indices in sub-blocks of at most 255 bytes; the trailer 0x3B.
struct GifFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;  // row-major
  int transparentIndex = -1;
};
QByteArray MakeGif(int screenWidth, int screenHeight, const std::vector<QRgb>& palette,
                   const std::vector<GifFrame>& frames);
// The variable-width LZW code stream of a GIF image (without the code-size byte and
// the sub-block framing), with the clear code first and the end code last.
std::vector<uint8_t> GifLzw(const std::vector<uint8_t>& indices, int minimumCodeSize);

// ---- TIFF 6.0, one strip a page, chunky samples.
struct TiffPage {
  int width = 0;
  int height = 0;
  int samplesPerPixel = 3;  // 1 grey, 3 RGB, 4 RGB + alpha
  int bitsPerSample = 8;    // 8 or 16
  bool deflate = false;     // compression 8 (zlib) instead of 1 (none)
  bool associatedAlpha = false;  // extra sample kind 1 (premultiplied) instead of 2
  std::vector<uint16_t> samples;  // row-major, interleaved, samplesPerPixel per pixel
};
QByteArray MakeTiff(const std::vector<TiffPage>& pages, bool bigEndian = false);

// ---- JPEG: a baseline JPEG in which every 8 x 8 block is one flat colour. Every
// component has full resolution and a quantisation table of ones, so a flat block is
// its DC coefficient 8 x (v - 128) alone and decodes back to v exactly. `components`
// is 1 (grey), 3 (stored as given, an Adobe marker saying "no transform") or 4 (CMYK,
// an Adobe marker saying "no transform", values stored inverted as Adobe writers do).
QByteArray MakeFlatBlockJpeg(int width, int height, int components,
                             const std::function<std::array<uint8_t, 4>(int blockX, int blockY)>& blockValues);

// The same JPEG bytes with the frame header's height and width replaced.
QByteArray WithJpegFrameSize(QByteArray jpeg, int width, int height);

// The compression tag of a TIFF's first page (1 none, 5 LZW, 8 deflate), read from
// the file's own directory; -1 when there is none.
int TiffCompression(const QByteArray& tiff);

// ---- Files.
void WriteFileBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadFileBytes(const QString& path);
// Writes `image` with QImageWriter; fails the test when Qt cannot.
void WriteWithQt(const QImage& image, const QString& path, const char* format,
                 const std::function<void(QImageWriter&)>& options = {});

}  // namespace marvane::test
