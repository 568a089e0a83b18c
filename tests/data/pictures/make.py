#!/usr/bin/env python3
"""Makes the picture files in this folder: good ones, with Expected.txt saying what each
must load as, and the bad ones (at the end) that the tests expect to be refused.

Every file is written byte by byte from the format's published layout, so that the
loading tests do not lean on the Qt writers they would share a fault with. Run it from
anywhere with Python 3 (standard library only); the files it makes are committed, and
running it again gives the same bytes.

Expected.txt has one line a good file:
    name width height tolerance signature loads_from pixels...
with the pixels row by row from the top, each the packed colour red + 256 x green +
65536 x blue in hex, as the file must load laid over the background BACK. tolerance is
how many levels a channel may be off. When signature is not 0 the tests also cut the
file short at every length: a copy shorter than `signature` bytes is not recognisable,
one shorter than `loads_from` bytes must be refused as damaged, and a longer one must
still load as the whole file does (only a GIF's first frame has to be whole).
"""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
BACK = (0x60, 0x40, 0x80)  # the background alpha is laid over: 0x804060 packed
ALPHAS = [0, 1, 90, 128, 254, 255, 10]  # one a column

expected = []


def put(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def expect(name, data, width, height, colour, tolerance=0, signature=0, loads_from=None):
    """Writes a good file and records the colour function (x, y) -> (r, g, b) it shows."""
    put(name, data)
    cut = loads_from if loads_from is not None else len(data)
    pixels = []
    for y in range(height):
        for x in range(width):
            r, g, b = colour(x, y)
            pixels.append("%x" % (r | g << 8 | b << 16))
    expected.append("%s %d %d %d %d %d %s" % (name, width, height, tolerance, signature,
                                              cut if signature else 0, " ".join(pixels)))


def pattern(x, y):
    """Different across rows, columns and channels: a swapped axis, a mirrored row
    order or swapped red and blue all show."""
    return ((x * 53 + y * 7 + 11) & 255, (y * 61 + x * 3 + 40) & 255, (x * 17 + y * 29 + 90) & 255)


def palette(n):
    return [((i * 97 + 13) & 255, (i * 31 + 200) & 255, (255 - i * 11) & 255) for i in range(n)]


def index(x, y, n):
    return (x * 5 + y * 3 + x * y) % n


def over(c, a, back):
    """A channel with 8-bit alpha laid over the background, to the nearest level."""
    return (a * c + (255 - a) * back + 127) // 255


def over_back(rgb, a):
    return tuple(over(c, a, b) for c, b in zip(rgb, BACK))


def to8(v16):
    return (2 * v16 + 257) // 514  # round(v / 257); never a tie, 257 is odd


# ---------------------------------------------------------------- BMP
# 14-byte file header, a 40-byte information header (124 with masks, 12 for the oldest
# kind), a palette of blue-green-red-0 entries, rows padded to 4 bytes, the bottom row
# first unless the height is negative.

def bmp(width, height, bits, pixel, colours=(), top_down=False, header=40, compression=0, data=None):
    entry = 3 if header == 12 else 4
    table = b"".join(bytes((b, g, r, 0)[:entry]) for r, g, b in colours)
    if data is None:
        stride = (width * bits + 31) // 32 * 4
        rows = []
        for y in (range(height) if top_down else reversed(range(height))):
            value = 0
            for x in range(width):
                value = value << bits | pixel(x, y)
            value <<= stride * 8 - width * bits
            rows.append(value.to_bytes(stride, "big"))
        data = b"".join(rows)
    offset = 14 + header + len(table)
    h = -height if top_down else height
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, h, 1, bits, compression, len(data),
                           2835, 2835, len(colours), 0)
        if header == 124:  # red, green, blue and alpha masks, sRGB, nothing else
            info += struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000) + b"BGRs"
            info += bytes(124 - len(info) - 16) + struct.pack("<IIII", 4, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + table + data


def rgb_pixel(colour, alpha=None):
    def pixel(x, y):
        r, g, b = colour(x, y)
        a = 0 if alpha is None else alpha(x, y)  # the fourth byte of a plain 32-bit pixel means nothing
        return b << 24 | g << 16 | r << 8 | a
    return pixel


def make_bmps():
    for top_down in (False, True):
        suffix = "TopDown" if top_down else ""
        for bits in (1, 4, 8):
            p = palette(1 << bits)
            data = bmp(7, 4, bits, lambda x, y: index(x, y, 1 << bits), p, top_down)
            expect("Bmp%d%s.bmp" % (bits, suffix), data, 7, 4, lambda x, y: p[index(x, y, 1 << bits)],
                   signature=2 if bits == 4 and not top_down else 0)
        data = bmp(7, 4, 24, lambda x, y: rgb_pixel(pattern)(x, y) >> 8, top_down=top_down)
        expect("Bmp24%s.bmp" % suffix, data, 7, 4, pattern, signature=0 if top_down else 2)
        data = bmp(7, 4, 32, rgb_pixel(pattern), top_down=top_down)
        expect("Bmp32%s.bmp" % suffix, data, 7, 4, pattern, signature=2 if top_down else 0)
    data = bmp(7, 4, 32, rgb_pixel(pattern, lambda x, y: ALPHAS[x]), header=124, compression=3)
    expect("Bmp32Alpha.bmp", data, 7, 4, lambda x, y: over_back(pattern(x, y), ALPHAS[x]))
    data = bmp(7, 4, 24, lambda x, y: rgb_pixel(pattern)(x, y) >> 8, header=12)
    expect("BmpCoreHeader.bmp", data, 7, 4, pattern, signature=2)


def make_run_length_bmps():
    # Each row: a jump by nothing (0 2 0 0), a run of four, five pixels given one by one
    # (a literal run, padded to a whole 16-bit word), a run of two; rows end with 0 0,
    # the last with 0 1. Row 3's literal holds the bytes 0 1 two bytes in, where a reader
    # that took a literal run for a jump would see the picture end.
    p = palette(16)

    def row(y):
        return [y % 16] * 4 + [(y + k + 11) % 16 for k in range(5)] + [(y + 9) % 16] * 2

    for bits in (8, 4):
        data = b""
        for y in reversed(range(5)):
            r = row(y)
            if bits == 8:
                literal = bytes(r[4:9]) + b"\0"
                data += bytes((0, 2, 0, 0, 4, r[0], 0, 5)) + literal + bytes((2, r[9]))
            else:
                nibbles = r[4:9] + [0]
                literal = bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, 6, 2)) + b"\0"
                data += bytes((0, 2, 0, 0, 4, r[0] * 17, 0, 5)) + literal + bytes((2, r[9] * 17))
            data += bytes((0, 1 if y == 0 else 0))
        name = "BmpRle%d.bmp" % bits
        expect(name, bmp(11, 5, bits, None, p, compression=1 if bits == 8 else 2, data=data), 11, 5,
               lambda x, y: p[row(y)[x]], signature=2)


# ---------------------------------------------------------------- JPEG
# A JPEG in which every 8 x 8 block is one flat value per component: with a
# quantisation table of ones, a flat block is its DC coefficient 8 x (v - 128) alone
# and decodes back to v exactly. Every component has full resolution. Three or four
# components carry an Adobe marker saying "no colour transform": three are stored as
# red, green and blue, four as CMYK inverted (255 is no ink), as Adobe's writers store it.

DC_COUNTS = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]  # the usual DC table (K.3)
DC_SYMBOLS = list(range(12))


def huffman_codes(counts, symbols):
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[k]] = (code, length)
            code, k = code + 1, k + 1
        code <<= 1
    return codes


class Bits:
    def __init__(self):
        self.out, self.byte, self.filled = bytearray(), 0, 0

    def put(self, value, length):
        for i in reversed(range(length)):
            self.byte = self.byte << 1 | (value >> i) & 1
            self.filled += 1
            if self.filled == 8:
                self.out.append(self.byte)
                if self.byte == 0xFF:
                    self.out.append(0)  # a coded 0xFF is followed by a stuffed zero
                self.byte, self.filled = 0, 0

    def finish(self):
        while self.filled:
            self.put(1, 1)
        return bytes(self.out)


def segment(marker, body):
    return bytes((0xFF, marker)) + struct.pack(">H", len(body) + 2) + body


def jpeg(width, height, components, block, progressive=False):
    dc = huffman_codes(DC_COUNTS, DC_SYMBOLS)
    # The only AC symbol needed is end-of-block (0x00), given the one-bit code 0.
    out = b"\xFF\xD8"
    if components >= 3:
        out += segment(0xEE, b"Adobe" + struct.pack(">HHHB", 100, 0, 0, 0))
    out += segment(0xDB, b"\0" + b"\1" * 64)
    frame = struct.pack(">BHHB", 8, height, width, components)
    frame += b"".join(bytes((c + 1, 0x11, 0)) for c in range(components))
    out += segment(0xC2 if progressive else 0xC0, frame)
    tables = bytes([0x00] + DC_COUNTS + DC_SYMBOLS) + bytes([0x10, 1] + [0] * 15 + [0])
    out += segment(0xC4, tables)
    blocks = [(bx, by) for by in range((height + 7) // 8) for bx in range((width + 7) // 8)]

    def scan(ids, first, last, with_dc, with_eob):
        head = bytes([len(ids)]) + b"".join(bytes((c + 1, 0)) for c in ids) + bytes((first, last, 0))
        bits, predictor = Bits(), [0] * components
        for bx, by in blocks:
            for c in ids:
                if with_dc:
                    coefficient = 8 * (block(bx, by)[c] - 128)
                    diff, predictor[c] = coefficient - predictor[c], coefficient
                    category = abs(diff).bit_length()
                    bits.put(*dc[category])
                    if category:
                        bits.put(diff if diff >= 0 else diff + (1 << category) - 1, category)
                if with_eob:
                    bits.put(0, 1)
        return segment(0xDA, head) + bits.finish()

    if progressive:  # the DC of every component, then each component's AC band, all zero
        out += scan(range(components), 0, 0, True, False)
        for c in range(components):
            out += b"\xFF" + scan([c], 1, 63, False, True)  # a fill byte before the marker, as encoders may write
    else:
        out += scan(range(components), 0, 63, True, True)
    return out + b"\xFF\xD9"


def block_values(bx, by):
    return (30 + 60 * bx, 250 - 70 * by, 90 + 40 * (bx + by), 255 - 50 * by)


def make_jpegs():
    # 19 x 10: the right and bottom blocks lie only partly inside the picture.
    v = lambda x, y: block_values(x // 8, y // 8)
    expect("JpegGrey.jpg", jpeg(19, 10, 1, block_values), 19, 10, lambda x, y: (v(x, y)[0],) * 3)
    expect("JpegRgb.jpg", jpeg(19, 10, 3, block_values), 19, 10, lambda x, y: v(x, y)[:3], signature=3)
    expect("JpegProgressive.jpg", jpeg(19, 10, 3, block_values, True), 19, 10, lambda x, y: v(x, y)[:3],
           signature=3)
    # Inverted CMYK shows as red = C x K / 255 and so on; within 1 for that rounding.
    ink = lambda x, y: tuple(round(c * v(x, y)[3] / 255) for c in v(x, y)[:3])
    expect("JpegCmyk.jpg", jpeg(24, 16, 4, block_values), 24, 16, ink, tolerance=1)


# ---------------------------------------------------------------- TIFF
# TIFF 6.0, one strip a page, samples interleaved. The directory comes before the
# pixels, or after them as Qt writes it.

def tiff(pages, big_endian=False, directory_last=False):
    e = ">" if big_endian else "<"
    out = bytearray(b"MM\0*" if big_endian else b"II*\0") + bytes(4)
    first = None
    previous_next = None
    for p in pages:
        spp, bits = p["samples"], p.get("bits", 8)
        raw = b"".join(struct.pack(e + ("H" if bits == 16 else "B"), v) for v in p["data"])
        strip = zlib.compress(raw, 9) if p.get("deflate") else raw
        alpha = spp in (2, 4)
        entries = 11 if alpha else 10
        if directory_last:
            strip_at = len(out)
            out += strip + bytes(len(strip) % 2)
            ifd = len(out)
        else:
            ifd = len(out)
        bits_at = ifd + 2 + 12 * entries + 4
        if not directory_last:
            strip_at = bits_at + (2 * spp if spp > 2 else 0)
        fields = [(256, 4, 1, p["width"]), (257, 4, 1, p["height"]),
                  (258, 3, spp, bits_at if spp > 2 else bits), (259, 3, 1, 8 if p.get("deflate") else 1),
                  (262, 3, 1, 1 if spp <= 2 else 2),  # min-is-black grey, or RGB
                  (273, 4, 1, strip_at), (277, 3, 1, spp), (278, 4, 1, p["height"]),
                  (279, 4, 1, len(strip)), (284, 3, 1, 1)]
        if alpha:
            fields.append((338, 3, 1, 2))  # unassociated alpha
        if first is None:
            first = ifd
        if previous_next is not None:
            struct.pack_into(e + "I", out, previous_next, ifd)
        out += struct.pack(e + "H", entries)
        for tag, kind, count, value in fields:
            if kind == 3 and count == 1:
                out += struct.pack(e + "HHIHH", tag, kind, count, value, 0)
            else:
                out += struct.pack(e + "HHII", tag, kind, count, value)
        previous_next = len(out)
        out += bytes(4)
        if spp > 2:
            out += struct.pack(e + "H" * spp, *[bits] * spp)
        if not directory_last:
            out += strip + bytes(len(strip) % 2)
    struct.pack_into(e + "I", out, 4, first)
    return bytes(out)


def tiff_page(width, height, samples=3, sample=lambda x, y, s: pattern(x, y)[s % 3], **more):
    data = [sample(x, y, s) for y in range(height) for x in range(width) for s in range(samples)]
    return dict(width=width, height=height, samples=samples, data=data, **more)


def sample16(x, y, s):
    """On both sides of a rounding edge: 257 k + 128 rounds down to k, 257 k + 129 up."""
    k = (x * 37 + y * 11 + s * 71) % 255
    return 257 * k + (128, 129, 0)[(x + s) % 3]


def rounded16(x, y):
    return tuple(to8(sample16(x, y, s)) for s in range(3))


def make_tiffs():
    expect("TiffRgb.tif", tiff([tiff_page(10, 6)]), 10, 6, pattern, signature=4)
    expect("TiffBigEndian.tif", tiff([tiff_page(10, 6)], True, True), 10, 6, pattern, signature=4)
    expect("TiffDeflate.tif", tiff([tiff_page(10, 6, deflate=True)]), 10, 6, pattern)
    grey = lambda x, y: ((y * 5 + x) * 13,) * 3
    expect("TiffGrey.tif", tiff([tiff_page(5, 4, 1, lambda x, y, s: grey(x, y)[0])]), 5, 4, grey)
    expect("Tiff16.tif", tiff([tiff_page(12, 5, 3, sample16, bits=16)]), 12, 5, rounded16)
    for bits, scale in ((8, 1), (16, 257)):
        page = tiff_page(7, 4, 4, lambda x, y, s: scale * (pattern(x, y) + (ALPHAS[x],))[s], bits=bits)
        # libtiff hands 8-bit alpha over premultiplied, which costs up to a level.
        expect("TiffAlpha%d.tif" % bits, tiff([page]), 7, 4, lambda x, y: over_back(pattern(x, y), ALPHAS[x]),
               tolerance=1 if bits == 8 else 0)
    inverted = tiff_page(9, 9, 3, lambda x, y, s: 255 - pattern(x, y)[s])
    expect("TiffPages.tif", tiff([tiff_page(5, 4), inverted, tiff_page(3, 3)]), 5, 4, pattern)


# ---------------------------------------------------------------- GIF
# Header, logical screen, global colour table; per frame an optional graphic control
# extension (the transparent index) and an image descriptor with its codes in
# sub-blocks of at most 255 bytes; the trailer 0x3B. The codes are the indices
# themselves, with a clear code often enough that the code width never grows.

def lzw(indices, code_size):
    clear = 1 << code_size
    codes = []
    for i, v in enumerate(indices):
        if i % (clear - 2) == 0:
            codes.append(clear)
        codes.append(v)
    codes.append(clear + 1)
    value = sum(c << (i * (code_size + 1)) for i, c in enumerate(codes))
    return value.to_bytes((len(codes) * (code_size + 1) + 7) // 8, "little")


def sub_blocks(data):
    return b"".join(bytes((len(data[i:i + 255]),)) + data[i:i + 255] for i in range(0, len(data), 255)) + b"\0"


def gif(width, height, colours, frames, version=b"89a"):
    bits = max(1, (len(colours) - 1).bit_length())
    table = b"".join(bytes(c) for c in colours) + bytes(3 * ((1 << bits) - len(colours)))
    out = b"GIF" + version + struct.pack("<HHBBB", width, height, 0xF0 | bits - 1, 0, 0) + table
    code_size = max(2, bits)
    for left, top, w, h, indices, transparent, *local in frames:
        if transparent is not None:
            out += b"\x21\xF9\x04\x01\0\0" + bytes((transparent, 0))
        # A frame may bring a colour table of its own, as large as the global one.
        flags = 0x80 | bits - 1 if local else 0
        out += b"\x2C" + struct.pack("<HHHHB", left, top, w, h, flags)
        if local:
            out += b"".join(bytes(c) for c in local[0]) + bytes(3 * ((1 << bits) - len(local[0])))
        out += bytes((code_size,)) + sub_blocks(lzw(indices, code_size))
    return out + b"\x3B"


def make_gifs():
    p = palette(4)
    indices = lambda w, h: [index(x, y, 4) for y in range(h) for x in range(w)]
    # Its one frame has a colour table of its own, the global one's colours backwards.
    own = p[::-1]
    expect("Gif87a.gif", gif(9, 7, p, [(0, 0, 9, 7, indices(9, 7), None, own)], b"87a"), 9, 7,
           lambda x, y: own[index(x, y, 4)])
    # Where the transparent index 2 stands, the given background shows.
    expect("GifTransparent.gif", gif(6, 5, p, [(0, 0, 6, 5, indices(6, 5), 2)]), 6, 5,
           lambda x, y: BACK if index(x, y, 4) == 2 else p[index(x, y, 4)])
    # Only the first frame shows, so a file cut anywhere after it still loads.
    one = gif(8, 6, p, [(0, 0, 8, 6, indices(8, 6), None)])
    frames = gif(8, 6, p, [(0, 0, 8, 6, indices(8, 6), None), (0, 0, 8, 6, [2] * 48, None),
                           (1, 1, 2, 2, [0] * 4, None)])
    expect("GifFrames.gif", frames, 8, 6, lambda x, y: p[index(x, y, 4)], signature=6,
           loads_from=len(one) - 1)
    # Beyond a frame smaller than the screen: the GIF's background colour (index 0), or
    # nothing when the frame has a transparent index, and then the given background.
    for transparent, name in ((None, "GifPart.gif"), (3, "GifPartTransparent.gif")):
        outside = p[0] if transparent is None else BACK
        data = gif(5, 4, p, [(1, 1, 2, 2, [1] * 4, transparent)])
        expect(name, data, 5, 4, lambda x, y: p[1] if 1 <= x <= 2 and 1 <= y <= 2 else outside,
               signature=6 if transparent else 0, loads_from=len(data) - 1)  # the trailer is not needed


# ---------------------------------------------------------------- PNG

def png(width, height, depth, kind, rows, colours=()):
    def chunk(name, body):
        return struct.pack(">I", len(body)) + name + body + struct.pack(">I", zlib.crc32(name + body))
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, kind, 0, 0, 0))
    if colours:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in colours))
    raw = b"".join(b"\0" + rows(y) for y in range(height))
    return out + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def make_pngs():
    line = lambda w, f: lambda y: b"".join(f(x, y) for x in range(w))
    rgb = line(40, lambda x, y: bytes(pattern(x, y)))
    expect("PngRgb.png", png(40, 30, 8, 2, rgb), 40, 30, pattern)  # also the hostile tests' good tile
    grey = lambda x, y: (x * 31 + y * 9) & 255
    expect("PngGrey.png", png(7, 4, 8, 0, line(7, lambda x, y: bytes((grey(x, y),)))), 7, 4,
           lambda x, y: (grey(x, y),) * 3)
    p = palette(16)
    expect("PngPalette.png", png(7, 4, 8, 3, line(7, lambda x, y: bytes((index(x, y, 16),))), p), 7, 4,
           lambda x, y: p[index(x, y, 16)])
    rgba = line(7, lambda x, y: bytes(pattern(x, y) + (ALPHAS[x],)))
    expect("PngAlpha.png", png(7, 4, 8, 6, rgba), 7, 4, lambda x, y: over_back(pattern(x, y), ALPHAS[x]),
           signature=8)
    deep = line(12, lambda x, y: struct.pack(">HHH", *(sample16(x, y, s) for s in range(3))))
    expect("Png16.png", png(12, 5, 16, 2, deep), 12, 5, rounded16)


# ---------------------------------------------------------------- refused files

def make_refused():
    def set_bmp_size(data, width, height):
        return data[:18] + struct.pack("<ii", width, height) + data[26:]
    put("Bmp30000Square.bmp", set_bmp_size(bmp(10, 10, 24, lambda x, y: 0), 30000, 30000))
    small = jpeg(8, 8, 3, block_values)
    at = small.index(b"\xFF\xC0") + 5
    put("Jpeg60000Square.jpg", small[:at] + struct.pack(">HH", 60000, 60000) + small[at + 4:])
    put("Gif1x16385.gif", gif(1, 16385, palette(2), [(0, 0, 1, 1, [0], None)]))
    # Found by fuzzing: 39 bytes whose logical screen is 9994 x 9482, which Qt would
    # fill in full (close to 400 MB) although the only frame is empty.
    put("GifHugeScreen.gif", bytes.fromhex(
        "474946383961 0a270a25 810000 5b0000 00ff0000ff000000ff 2c 00000000 00000a00 0000 00 0601"))
    # Nonsense codes in the right framing: a code far beyond the table comes first,
    # where only a clear code or a colour may stand.
    good = gif(20, 20, palette(4), [(0, 0, 20, 20, [i % 4 for i in range(400)], None)])
    start = 13 + 12 + 10 + 1  # header, colour table, image descriptor, code size
    length = good[start]
    put("GifBrokenCodes.gif", good[:start + 1] + b"\xFF" * length + good[start + 1 + length:])
    bad = bytearray(tiff([tiff_page(20, 20, 3, lambda x, y, s: 128)]))
    struct.pack_into("<I", bad, 4, 0x7FFFFFF0)  # the first directory, far beyond the end
    put("TiffBadDirectory.tif", bytes(bad))
    noise = bytearray(random.Random(20261206).randbytes(4096))
    noise[0] = ord("R")  # never the start of a signature
    put("Noise.bin", bytes(noise))
    put("Empty.bin", b"")
    put("Notes.txt", b"These are my notes, not a picture.\n")
    cut = open(os.path.join(HERE, "JpegRgb.jpg"), "rb").read()
    put("JpegCut.jpg", cut[:len(cut) * 2 // 3])
    cut = open(os.path.join(HERE, "Bmp24.bmp"), "rb").read()
    put("BmpCut.bmp", cut[:len(cut) * 2 // 3])


make_bmps()
make_run_length_bmps()
make_jpegs()
make_tiffs()
make_gifs()
make_pngs()
make_refused()
with open(os.path.join(HERE, "Expected.txt"), "w") as f:
    f.write("# Made by make.py, which says what the columns mean.\n")
    f.write("\n".join(expected) + "\n")
