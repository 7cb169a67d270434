#!/usr/bin/env python3
"""Writes app/pellam.ico, pellam.exe's icon, from the PNG that the Linux
build draws from the banner (build/pellam.png, made by tools/Icon.cpp):
48, 32 and 16 pixels square, 32-bit with alpha, the format every Windows
and Wine reads.

    cmake --build build --target pellam_icon_png && python3 scripts/make-windows-icon.py
"""

import struct
import sys
import zlib


def read_png(path):
    """The pixels of an 8-bit RGBA or RGB, non-interlaced PNG, as rows of
    (r, g, b, a)."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, "unsupported PNG"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + channels]) + ((255,) if channels == 3 else ())
                     for x in range(width)])
        previous = line
    return rows


def scaled(rows, size):
    """A box-filtered square of the given size."""
    height, width = len(rows), len(rows[0])
    out = []
    for y in range(size):
        y0, y1 = y * height // size, (y + 1) * height // size
        row = []
        for x in range(size):
            x0, x1 = x * width // size, (x + 1) * width // size
            block = [rows[j][i] for j in range(y0, y1) for i in range(x0, x1)]
            row.append(tuple(sum(p[c] for p in block) // len(block) for c in range(4)))
        out.append(row)
    return out


def icon_image(pixels):
    """One icon entry: a BITMAPINFOHEADER of twice the height, the BGRA
    rows bottom up, and an all-clear AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    return header + colour + bytes(mask_stride * size)


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else "build/pellam.png"
    target = sys.argv[2] if len(sys.argv) > 2 else "app/pellam.ico"
    rows = read_png(source)
    images = [(size, icon_image(scaled(rows, size))) for size in (48, 32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(image for _, image in images)
    open(target, "wb").write(out)
    print("wrote %s (%d bytes)" % (target, len(out)))


if __name__ == "__main__":
    main()
