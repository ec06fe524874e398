#!/usr/bin/env python3
"""Writes examples/sgry-seal.png: the small red seal that the example
settings (examples/sgry.ini) stamp as the image watermark. An RGB PNG
made with zlib alone: a ring with a diamond inside on white (the image is
multiplied onto the page, so the white disappears)."""
import pathlib
import struct
import zlib

SIZE = 72
RED = (200, 30, 40)
WHITE = (255, 255, 255)


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    dx, dy = x - cx, y - cy
    r = (dx * dx + dy * dy) ** 0.5
    if 30 <= r <= 35:
        return RED
    if abs(dx) + abs(dy) <= 18:
        return RED if (abs(dx) + abs(dy) >= 12 or abs(dx) + abs(dy) <= 4) else WHITE
    return WHITE


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def build():
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(SIZE)) for y in range(SIZE))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


if __name__ == "__main__":
    target = pathlib.Path(__file__).resolve().parent.parent / "examples" / "sgry-seal.png"
    target.write_bytes(build())
    print(target)
