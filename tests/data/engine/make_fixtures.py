#!/usr/bin/env python3
"""Writes the engine tests' picture files into this folder.

tile.png   6 x 3, RGBA: pixel (x, y) is red 40x, green 80y, blue 200, opaque, except (5, 2),
           which is fully transparent.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def png(width, height, pixel):
    rows = b''.join(b'\0' + b''.join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(rows, 9)) +
            chunk(b'IEND', b''))


def tile_pixel(x, y):
    return (40 * x, 80 * y, 200, 0 if (x, y) == (5, 2) else 255)


with open(os.path.join(HERE, 'tile.png'), 'wb') as f:
    f.write(png(6, 3, tile_pixel))
