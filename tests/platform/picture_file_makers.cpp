#include "platform/picture_file_makers.h"

#include <QFile>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

namespace marvane::test {
namespace {

// Appends numbers in a chosen byte order.
class ByteWriter {
 public:
  explicit ByteWriter(bool bigEndian = false) : bigEndian_(bigEndian) {}
  void U8(uint32_t v) { bytes_.append(static_cast<char>(v & 0xFFu)); }
  void U16(uint32_t v) { bigEndian_ ? (U8(v >> 8), U8(v)) : (U8(v), U8(v >> 8)); }
  void U32(uint32_t v) { bigEndian_ ? (U16(v >> 16), U16(v)) : (U16(v), U16(v >> 16)); }
  void Text(const char* s) { bytes_.append(s); }
  void Bytes(const QByteArray& b) { bytes_.append(b); }
  void PadTo(qsizetype size) {
    while (bytes_.size() < size) U8(0);
  }
  qsizetype Size() const { return bytes_.size(); }
  const QByteArray& Result() const { return bytes_; }

 private:
  bool bigEndian_;
  QByteArray bytes_;
};

}  // namespace

QRgb PatternColour(int x, int y) {
  return qRgb((x * 53 + y * 7 + 11) & 255, (y * 61 + x * 3 + 40) & 255, (x * 17 + y * 29 + 90) & 255);
}

QImage PatternImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, PatternColour(x, y));
  return image;
}

// ---- BMP

namespace {

// The file header and the 40-byte part of the information header; the palette follows
// the whole information header of `infoSize` bytes.
void BmpHeaders(ByteWriter& w, uint32_t infoSize, int width, int heightField, int bits, uint32_t compression,
                uint32_t dataBytes, size_t paletteSize) {
  const auto offset = static_cast<uint32_t>(14 + infoSize + 4 * paletteSize);
  w.Text("BM");
  w.U32(offset + dataBytes);
  w.U32(0);
  w.U32(offset);
  w.U32(infoSize);
  w.U32(static_cast<uint32_t>(width));
  w.U32(static_cast<uint32_t>(heightField));
  w.U16(1);
  w.U16(static_cast<uint32_t>(bits));
  w.U32(compression);
  w.U32(dataBytes);
  w.U32(2835);
  w.U32(2835);
  w.U32(static_cast<uint32_t>(paletteSize));
  w.U32(0);
}

void BmpPalette(ByteWriter& w, const std::vector<QRgb>& palette) {
  for (QRgb c : palette) {
    w.U8(static_cast<uint32_t>(qBlue(c)));
    w.U8(static_cast<uint32_t>(qGreen(c)));
    w.U8(static_cast<uint32_t>(qRed(c)));
    w.U8(0);
  }
}

}  // namespace

QByteArray MakeBmp(const BmpSpec& s) {
  const bool v5 = s.bitsPerPixel == 32 && s.alphaMask;
  const auto stride = static_cast<uint32_t>((s.width * s.bitsPerPixel + 31) / 32 * 4);
  ByteWriter w;
  // Compression 3 is colour masks.
  BmpHeaders(w, v5 ? 124 : 40, s.width, s.topDown ? -s.height : s.height, s.bitsPerPixel, v5 ? 3 : 0,
             stride * static_cast<uint32_t>(s.height), s.palette.size());
  if (v5) {
    w.U32(0x00FF0000);
    w.U32(0x0000FF00);
    w.U32(0x000000FF);
    w.U32(0xFF000000);
    w.U32(0x73524742);  // "sRGB"
    w.PadTo(14 + 124 - 16);  // end points and gammas, unused for sRGB
    w.U32(4);  // rendering intent
    w.U32(0);  // no profile
    w.U32(0);
    w.U32(0);
  }
  BmpPalette(w, s.palette);
  for (int fileRow = 0; fileRow < s.height; ++fileRow) {
    const int y = s.topDown ? fileRow : s.height - 1 - fileRow;
    QByteArray row(static_cast<qsizetype>(stride), '\0');
    for (int x = 0; x < s.width; ++x) {
      const uint32_t v = s.pixels[static_cast<size_t>(y * s.width + x)];
      switch (s.bitsPerPixel) {
        case 1: row[x / 8] = static_cast<char>(row[x / 8] | (v & 1u) << (7 - x % 8)); break;
        case 4: row[x / 2] = static_cast<char>(row[x / 2] | (v & 15u) << (x % 2 == 0 ? 4 : 0)); break;
        case 8: row[x] = static_cast<char>(v); break;
        case 24:
        case 32: {
          const int bytes = s.bitsPerPixel / 8;
          row[x * bytes] = static_cast<char>(qBlue(v));
          row[x * bytes + 1] = static_cast<char>(qGreen(v));
          row[x * bytes + 2] = static_cast<char>(qRed(v));
          if (bytes == 4) row[x * bytes + 3] = static_cast<char>(s.alphaMask ? qAlpha(v) : s.unusedByte);
          break;
        }
        default: ADD_FAILURE() << "no such BMP depth " << s.bitsPerPixel;
      }
    }
    w.Bytes(row);
  }
  return w.Result();
}

QByteArray MakeRunLengthBmp(int width, int height, const std::vector<QRgb>& palette,
                            const std::vector<uint8_t>& indices) {
  ByteWriter data;
  for (int y = height - 1; y >= 0; --y) {
    const uint8_t* row = indices.data() + static_cast<size_t>(y * width);
    for (int x = 0; x < width;) {
      int run = 1;
      while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
      data.U8(static_cast<uint32_t>(run));
      data.U8(row[x]);
      x += run;
    }
    data.U8(0);
    data.U8(y == 0 ? 1 : 0);  // end of the picture after the top row, else end of row
  }
  ByteWriter w;
  // Compression 1 is 8-bit run-length coding.
  BmpHeaders(w, 40, width, height, 8, 1, static_cast<uint32_t>(data.Size()), palette.size());
  BmpPalette(w, palette);
  w.Bytes(data.Result());
  return w.Result();
}

// ---- GIF

std::vector<uint8_t> GifLzw(const std::vector<uint8_t>& indices, int minimumCodeSize) {
  std::vector<uint8_t> out;
  uint32_t pending = 0;
  int pendingBits = 0;
  int width = minimumCodeSize + 1;
  auto put = [&](int code) {  // codes are packed from the lowest bit up
    pending |= static_cast<uint32_t>(code) << pendingBits;
    pendingBits += width;
    while (pendingBits >= 8) {
      out.push_back(static_cast<uint8_t>(pending & 0xFFu));
      pending >>= 8;
      pendingBits -= 8;
    }
  };
  const int clear = 1 << minimumCodeSize;
  const int end = clear + 1;
  int next = end + 1;
  std::map<std::pair<int, int>, int> table;
  // The decoder adds a table entry one code after the encoder does and widens its
  // codes once its next free entry no longer fits; emitting a code, then widening when
  // the next free entry is 2^width, then adding the entry keeps the two in step.
  auto widen = [&] {
    if (next >= (1 << width) && width < 12) ++width;
  };
  put(clear);
  if (!indices.empty()) {
    int prefix = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
      const int k = indices[i];
      if (auto found = table.find({prefix, k}); found != table.end()) {
        prefix = found->second;
        continue;
      }
      put(prefix);
      widen();
      if (next >= 4095) {  // table full: start again
        put(clear);
        table.clear();
        next = end + 1;
        width = minimumCodeSize + 1;
      } else {
        table[{prefix, k}] = next++;
      }
      prefix = k;
    }
    put(prefix);
    widen();
  }
  put(end);
  if (pendingBits > 0) out.push_back(static_cast<uint8_t>(pending & 0xFFu));
  return out;
}

QByteArray MakeGif(int screenWidth, int screenHeight, const std::vector<QRgb>& palette,
                   const std::vector<GifFrame>& frames) {
  int tableBits = 1;
  while ((1u << tableBits) < palette.size()) ++tableBits;
  ByteWriter w;
  w.Text("GIF89a");
  w.U16(static_cast<uint32_t>(screenWidth));
  w.U16(static_cast<uint32_t>(screenHeight));
  w.U8(0x80u | 0x70u | static_cast<uint32_t>(tableBits - 1));  // global table, 8-bit colour
  w.U8(0);  // background index
  w.U8(0);  // no aspect ratio
  for (int i = 0; i < (1 << tableBits); ++i) {
    const QRgb c = i < static_cast<int>(palette.size()) ? palette[static_cast<size_t>(i)] : qRgb(0, 0, 0);
    w.U8(static_cast<uint32_t>(qRed(c)));
    w.U8(static_cast<uint32_t>(qGreen(c)));
    w.U8(static_cast<uint32_t>(qBlue(c)));
  }
  const int minimumCodeSize = std::max(2, tableBits);
  for (const GifFrame& f : frames) {
    if (f.transparentIndex >= 0) {
      w.U8(0x21);
      w.U8(0xF9);
      w.U8(4);
      w.U8(0x01);  // a transparent index follows
      w.U16(0);    // no delay
      w.U8(static_cast<uint32_t>(f.transparentIndex));
      w.U8(0);
    }
    w.U8(0x2C);
    w.U16(static_cast<uint32_t>(f.left));
    w.U16(static_cast<uint32_t>(f.top));
    w.U16(static_cast<uint32_t>(f.width));
    w.U16(static_cast<uint32_t>(f.height));
    w.U8(0);  // no local table, not interlaced
    w.U8(static_cast<uint32_t>(minimumCodeSize));
    const std::vector<uint8_t> codes = GifLzw(f.indices, minimumCodeSize);
    for (size_t at = 0; at < codes.size(); at += 255) {
      const size_t n = std::min<size_t>(255, codes.size() - at);
      w.U8(static_cast<uint32_t>(n));
      w.Bytes(QByteArray(reinterpret_cast<const char*>(codes.data() + at), static_cast<qsizetype>(n)));
    }
    w.U8(0);
  }
  w.U8(0x3B);
  return w.Result();
}

// ---- TIFF

QByteArray MakeTiff(const std::vector<TiffPage>& pages, bool bigEndian) {
  struct Entry {
    uint16_t tag;
    uint16_t type;  // 3 short, 4 long
    uint32_t count;
    uint32_t value;  // the value itself, or the offset of the values
  };
  std::vector<QByteArray> strips;
  for (const TiffPage& p : pages) {
    ByteWriter raw(bigEndian);
    for (uint16_t v : p.samples) {
      if (p.bitsPerSample == 16)
        raw.U16(v);
      else
        raw.U8(v);
    }
    strips.push_back(p.deflate ? qCompress(raw.Result(), 9).mid(4) : raw.Result());  // zlib stream without Qt's length
  }

  ByteWriter w(bigEndian);
  w.Text(bigEndian ? "MM" : "II");
  w.U16(42);
  w.U32(8);
  for (size_t i = 0; i < pages.size(); ++i) {
    const TiffPage& p = pages[i];
    const bool alpha = p.samplesPerPixel == 2 || p.samplesPerPixel == 4;
    const uint32_t entries = alpha ? 11 : 10;
    const auto ifd = static_cast<uint32_t>(w.Size());
    const uint32_t bitsArray = ifd + 2 + 12 * entries + 4;
    const uint32_t bitsArrayBytes = p.samplesPerPixel > 2 ? 2u * static_cast<uint32_t>(p.samplesPerPixel) : 0u;
    const uint32_t stripAt = bitsArray + bitsArrayBytes;
    const auto stripBytes = static_cast<uint32_t>(strips[i].size());
    const uint32_t nextIfd = i + 1 < pages.size() ? (stripAt + stripBytes + 1) / 2 * 2 : 0;
    const auto spp = static_cast<uint32_t>(p.samplesPerPixel);
    const auto bits = static_cast<uint32_t>(p.bitsPerSample);
    std::vector<Entry> list = {
        {256, 4, 1, static_cast<uint32_t>(p.width)},
        {257, 4, 1, static_cast<uint32_t>(p.height)},
        {258, 3, spp, spp > 2 ? bitsArray : bits},
        {259, 3, 1, p.deflate ? 8u : 1u},
        {262, 3, 1, spp <= 2 ? 1u : 2u},  // min-is-black grey, or RGB
        {273, 4, 1, stripAt},
        {277, 3, 1, spp},
        {278, 4, 1, static_cast<uint32_t>(p.height)},
        {279, 4, 1, stripBytes},
        {284, 3, 1, 1},  // chunky
    };
    if (alpha) list.push_back({338, 3, 1, p.associatedAlpha ? 1u : 2u});
    w.U16(entries);
    for (const Entry& e : list) {
      w.U16(e.tag);
      w.U16(e.type);
      w.U32(e.count);
      if (e.type == 3 && e.count <= 2) {
        // Shorts that fit sit in the first bytes of the field, in file order.
        w.U16(e.value);
        w.U16(e.tag == 258 && e.count == 2 ? e.value : 0);
      } else {
        w.U32(e.value);
      }
    }
    w.U32(nextIfd);
    for (uint32_t s = 0; s < (spp > 2 ? spp : 0); ++s) w.U16(bits);
    w.Bytes(strips[i]);
    w.PadTo(nextIfd);
  }
  return w.Result();
}

// ---- JPEG

namespace {

struct HuffmanTable {
  std::array<uint8_t, 16> counts{};  // codes of each length 1..16
  std::vector<uint8_t> symbols;
  std::map<int, std::pair<uint32_t, int>> codes;  // symbol -> (code, length)
};

HuffmanTable Canonical(std::array<uint8_t, 16> counts, std::vector<uint8_t> symbols) {
  HuffmanTable t{counts, std::move(symbols), {}};
  uint32_t code = 0;
  size_t k = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < counts[static_cast<size_t>(length - 1)]; ++i) t.codes[t.symbols[k++]] = {code++, length};
    code <<= 1;
  }
  return t;
}

class JpegBitWriter {
 public:
  void Put(uint32_t bits, int length) {
    for (int i = length - 1; i >= 0; --i) {
      byte_ = static_cast<uint8_t>(byte_ << 1 | ((bits >> i) & 1u));
      if (++filled_ == 8) Flush();
    }
  }
  QByteArray Finish() {
    while (filled_ != 0) Put(1, 1);  // pad the last byte with ones
    return out_;
  }

 private:
  void Flush() {
    out_.append(static_cast<char>(byte_));
    if (byte_ == 0xFF) out_.append('\0');  // a coded 0xFF is followed by a stuffed zero
    byte_ = 0;
    filled_ = 0;
  }
  uint8_t byte_ = 0;
  int filled_ = 0;
  QByteArray out_;
};

void Segment(ByteWriter& w, uint32_t marker, const QByteArray& body) {
  w.U8(0xFF);
  w.U8(marker);
  w.U16(static_cast<uint32_t>(body.size() + 2));
  w.Bytes(body);
}

QByteArray TableBytes(uint32_t classAndId, const HuffmanTable& t) {
  QByteArray b;
  b.append(static_cast<char>(classAndId));
  for (uint8_t c : t.counts) b.append(static_cast<char>(c));
  for (uint8_t s : t.symbols) b.append(static_cast<char>(s));
  return b;
}

}  // namespace

QByteArray MakeFlatBlockJpeg(int width, int height, int components,
                             const std::function<std::array<uint8_t, 4>(int blockX, int blockY)>& blockValues) {
  // The usual DC table (JPEG standard, table K.3); the only AC symbol needed is
  // end-of-block, given the one-bit code 0.
  const HuffmanTable dc = Canonical({0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
                                    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  const HuffmanTable ac = Canonical({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x00});
  ByteWriter w(true);
  w.U8(0xFF);
  w.U8(0xD8);
  if (components >= 3) {
    QByteArray adobe("Adobe", 5);
    adobe.append("\x00\x64\x00\x00\x00\x00\x00", 7);  // version 100, no flags, transform 0
    Segment(w, 0xEE, adobe);
  }
  Segment(w, 0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
  QByteArray frame;
  ByteWriter f(true);
  f.U8(8);
  f.U16(static_cast<uint32_t>(height));
  f.U16(static_cast<uint32_t>(width));
  f.U8(static_cast<uint32_t>(components));
  for (int c = 0; c < components; ++c) {
    f.U8(static_cast<uint32_t>(c + 1));
    f.U8(0x11);  // no subsampling
    f.U8(0);
  }
  Segment(w, 0xC0, f.Result());
  Segment(w, 0xC4, TableBytes(0x00, dc) + TableBytes(0x10, ac));
  ByteWriter scan(true);
  scan.U8(static_cast<uint32_t>(components));
  for (int c = 0; c < components; ++c) {
    scan.U8(static_cast<uint32_t>(c + 1));
    scan.U8(0x00);
  }
  scan.U8(0);
  scan.U8(63);
  scan.U8(0);
  Segment(w, 0xDA, scan.Result());

  JpegBitWriter bits;
  std::array<int, 4> predictor{};
  for (int by = 0; by < (height + 7) / 8; ++by) {
    for (int bx = 0; bx < (width + 7) / 8; ++bx) {
      const std::array<uint8_t, 4> values = blockValues(bx, by);
      for (int c = 0; c < components; ++c) {
        const int coefficient = 8 * (values[static_cast<size_t>(c)] - 128);
        const int diff = coefficient - predictor[static_cast<size_t>(c)];
        predictor[static_cast<size_t>(c)] = coefficient;
        int category = 0;
        while ((std::abs(diff) >> category) != 0) ++category;
        const auto [code, length] = dc.codes.at(category);
        bits.Put(code, length);
        if (category > 0) bits.Put(static_cast<uint32_t>(diff >= 0 ? diff : diff + (1 << category) - 1), category);
        const auto [eob, eobLength] = ac.codes.at(0x00);
        bits.Put(eob, eobLength);
      }
    }
  }
  w.Bytes(bits.Finish());
  w.U8(0xFF);
  w.U8(0xD9);
  return w.Result();
}

QByteArray WithJpegFrameSize(QByteArray jpeg, int width, int height) {
  qsizetype pos = 2;
  while (pos + 9 < jpeg.size()) {
    const auto marker = static_cast<uint8_t>(jpeg[pos + 1]);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      jpeg[pos + 5] = static_cast<char>(height >> 8);
      jpeg[pos + 6] = static_cast<char>(height & 0xFF);
      jpeg[pos + 7] = static_cast<char>(width >> 8);
      jpeg[pos + 8] = static_cast<char>(width & 0xFF);
      return jpeg;
    }
    pos += 2 + ((static_cast<uint8_t>(jpeg[pos + 2]) << 8) | static_cast<uint8_t>(jpeg[pos + 3]));
  }
  ADD_FAILURE() << "no frame header in the JPEG";
  return jpeg;
}

int TiffCompression(const QByteArray& b) {
  const bool big = b.startsWith("MM");
  auto u16 = [&](qsizetype at) -> int {
    if (at + 2 > b.size()) return -1;
    const int first = static_cast<uint8_t>(b[at]);
    const int second = static_cast<uint8_t>(b[at + 1]);
    return big ? first << 8 | second : second << 8 | first;
  };
  auto u32 = [&](qsizetype at) -> qsizetype {
    return big ? static_cast<qsizetype>(u16(at)) << 16 | u16(at + 2) : u16(at) | static_cast<qsizetype>(u16(at + 2)) << 16;
  };
  const qsizetype directory = u32(4);
  for (int i = 0; i < u16(directory); ++i) {
    const qsizetype entry = directory + 2 + 12 * i;
    if (u16(entry) == 259) return u16(entry + 8);
  }
  return -1;
}

// ---- Files

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadFileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void WriteWithQt(const QImage& image, const QString& path, const char* format,
                 const std::function<void(QImageWriter&)>& options) {
  QImageWriter writer(path, format);
  if (options) options(writer);
  ASSERT_TRUE(writer.write(image)) << path.toStdString() << ": " << writer.errorString().toStdString();
}

}  // namespace marvane::test
