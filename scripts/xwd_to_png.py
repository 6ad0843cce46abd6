#!/usr/bin/env python3
"""Converts an X window dump (xwd, 24/32 bits per pixel, ZPixmap) to PNG,
optionally cropped, without any imaging library.

    xwd_to_png.py IN.xwd OUT.png [--crop X,Y,W,H]
"""

import argparse
import struct
import sys
import zlib


def read_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, depth, width, height = fields[:6]
    byte_order, bitmap_pad, bits_per_pixel, bytes_per_line = fields[7], fields[10], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError("unsupported dump: version %d, format %d, %d bits per pixel"
                         % (version, pixmap_format, bits_per_pixel))
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        out = bytearray(width * 3)
        for x in range(width):
            chunk = line[x * step: x * step + step]
            if step == 3:
                chunk += b"\0"
            pixel = struct.unpack(order + "I", chunk)[0]
            out[x * 3] = (pixel & red_mask) >> rs
            out[x * 3 + 1] = (pixel & green_mask) >> gs
            out[x * 3 + 2] = (pixel & blue_mask) >> bs
        rows.append(bytes(out))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("input")
    parser.add_argument("output")
    parser.add_argument("--crop", help="X,Y,W,H")
    args = parser.parse_args()
    with open(args.input, "rb") as f:
        width, height, rows = read_xwd(f.read())
    if args.crop:
        x, y, w, h = (int(v) for v in args.crop.split(","))
        x, y = max(0, x), max(0, y)
        w, h = min(w, width - x), min(h, height - y)
        rows = [row[x * 3:(x + w) * 3] for row in rows[y:y + h]]
        width, height = w, h
    write_png(args.output, width, height, rows)


if __name__ == "__main__":
    sys.exit(main())
