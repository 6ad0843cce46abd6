#!/usr/bin/env python3
"""Checks the drawn images: runs scripts/make_images.py twice, compares the
two runs byte for byte and reads every file back through its headers.

    check_images.py --make scripts/make_images.py --work DIR
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys

ICON_IDS = list(range(106, 114)) + list(range(125, 132)) + [147]
BITMAP_CELLS = {169: 1, 170: 1, 171: 1, 172: 1, 173: 1, 174: 1, 175: 1, 176: 1, 180: 2, 181: 7,
                182: 4, 152: 5}
MAGENTA = (255, 0, 255)


class Bad(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Bad(message)


def dib_header(data, offset):
    fields = struct.unpack_from("<IiiHHIIiiII", data, offset)
    keys = ("size", "width", "height", "planes", "bits", "compression", "image_size", "xppm",
            "yppm", "colours", "important")
    return dict(zip(keys, fields))


def mask_bit(data, offset, width, height, x, y):
    stride = ((width + 31) // 32) * 4
    byte = data[offset + (height - 1 - y) * stride + x // 8]
    return (byte >> (7 - x % 8)) & 1


def read_icon(path):
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    expect(reserved == 0 and kind == 1, "%s: not an icon" % path)
    expect(count == 2, "%s: %d images instead of 16x16 and 32x32" % (path, count))
    seen = set()
    end = 6 + 16 * count
    for i in range(count):
        w, h, colours, res, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        expect(w == h and w in (16, 32) and w not in seen, "%s: entry %d is %dx%d" % (path, i, w, h))
        expect(colours == 0 and res == 0 and planes == 1 and bits == 32,
               "%s: entry %d is not 32-bit" % (path, i))
        expect(offset == end and offset + length <= len(data), "%s: entry %d misplaced" % (path, i))
        end = offset + length
        head = dib_header(data, offset)
        expect(head["size"] == 40 and head["width"] == w and head["height"] == 2 * w
               and head["planes"] == 1 and head["bits"] == 32 and head["compression"] == 0,
               "%s: image %d has a wrong header" % (path, w))
        mask_stride = ((w + 31) // 32) * 4
        expect(length == 40 + w * w * 4 + mask_stride * w, "%s: image %d has %d bytes" % (path, w, length))
        pixels_at = offset + 40
        mask_at = pixels_at + w * w * 4
        opaque = 0
        for y in range(w):
            for x in range(w):
                a = data[pixels_at + ((w - 1 - y) * w + x) * 4 + 3]
                transparent = mask_bit(data, mask_at, w, w, x, y)
                expect(transparent == (a == 0), "%s: %d: mask and alpha disagree at %d,%d"
                       % (path, w, x, y))
                if a == 255:
                    opaque += 1
        expect(opaque >= w * w // 8, "%s: image %d is nearly empty" % (path, w))
        seen.add(w)
    expect(end == len(data), "%s: trailing bytes" % path)


def read_cursor(path):
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    expect(reserved == 0 and kind == 2 and count == 1, "%s: not a one-image cursor" % path)
    w, h, colours, res, hot_x, hot_y, length, offset = struct.unpack_from("<BBBBHHII", data, 6)
    expect((w, h) == (32, 32), "%s: %dx%d" % (path, w, h))
    expect((hot_x, hot_y) == (16, 16), "%s: hot spot %d,%d" % (path, hot_x, hot_y))
    expect(offset == 22 and offset + length == len(data), "%s: image misplaced" % path)
    head = dib_header(data, offset)
    expect(head["width"] == 32 and head["height"] == 64 and head["bits"] == 1,
           "%s: not a monochrome 32x32 image" % path)
    palette = data[offset + 40:offset + 48]
    expect(palette == bytes((0, 0, 0, 0, 255, 255, 255, 0)), "%s: palette" % path)
    xor_at = offset + 48
    and_at = xor_at + 4 * 32
    expect(length == 40 + 8 + 2 * 4 * 32, "%s: %d bytes" % (path, length))
    black = []
    for y in range(32):
        for x in range(32):
            clear = mask_bit(data, and_at, 32, 32, x, y)
            white = mask_bit(data, xor_at, 32, 32, x, y)
            expect(not (clear and white), "%s: inverting pixel at %d,%d" % (path, x, y))
            if not clear and not white:
                black.append((x, y))
    # A horizontal resize arrow: wide, symmetric about the hot spot's column.
    xs = [x for x, _ in black]
    expect(max(xs) - min(xs) >= 24, "%s: the arrow is not wide" % path)
    expect(all((31 - x, y) in black for x, y in black), "%s: not symmetric" % path)


def read_bitmap(path, cells):
    data = open(path, "rb").read()
    magic, size, r1, r2, offset = struct.unpack_from("<2sIHHI", data, 0)
    expect(magic == b"BM" and size == len(data) and offset == 54, "%s: file header" % path)
    head = dib_header(data, 14)
    w, h = head["width"], head["height"]
    expect(head["size"] == 40 and head["bits"] == 24 and head["compression"] == 0
           and head["planes"] == 1, "%s: not a plain 24-bit bitmap" % path)
    expect((w, h) == (16 * cells, 16), "%s: %dx%d instead of %dx16" % (path, w, h, 16 * cells))
    stride = (w * 3 + 3) & ~3
    expect(len(data) == offset + stride * h and head["image_size"] == stride * h,
           "%s: %d bytes" % (path, len(data)))
    for cell in range(cells):
        pixels = [tuple(data[offset + (h - 1 - y) * stride + 3 * (cell * 16 + x):][:3]) for y in range(16)
                  for x in range(16)]
        clear = sum(1 for p in pixels if p == MAGENTA)
        expect(pixels[0] == MAGENTA, "%s: image %d has no magenta corner" % (path, cell))
        expect(16 <= clear <= 256 - 16, "%s: image %d has %d clear pixels" % (path, cell, clear))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--make", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    first, second = os.path.join(args.work, "first"), os.path.join(args.work, "second")
    for d in (first, second):
        shutil.rmtree(d, ignore_errors=True)
        subprocess.run([sys.executable, args.make, d], check=True)

    problems = []
    expected = (["icon_%d.ico" % i for i in ICON_IDS] + ["cursor_160.cur"]
                + ["bitmap_%d.bmp" % i for i in BITMAP_CELLS])
    present = sorted(os.listdir(first))
    if sorted(expected) != present:
        problems.append("files: expected %s, found %s" % (sorted(expected), present))
    for name in sorted(set(present) | set(os.listdir(second))):
        a = os.path.join(first, name)
        b = os.path.join(second, name)
        if not os.path.exists(a) or not os.path.exists(b) or open(a, "rb").read() != open(b, "rb").read():
            problems.append("%s differs between two runs" % name)

    for name in expected:
        path = os.path.join(first, name)
        if not os.path.exists(path):
            continue
        try:
            if name.endswith(".ico"):
                read_icon(path)
            elif name.endswith(".cur"):
                read_cursor(path)
            else:
                read_bitmap(path, BITMAP_CELLS[int(name[7:10])])
        except (Bad, struct.error, IndexError, KeyError) as error:
            problems.append(str(error))

    # The check boxes' small icons are the tray pictures.
    for i in range(7):
        a, b = ("icon_%d.ico" % (106 + i)), ("icon_%d.ico" % (125 + i))
        if os.path.exists(os.path.join(first, a)) and os.path.exists(os.path.join(first, b)):
            if open(os.path.join(first, a), "rb").read() != open(os.path.join(first, b), "rb").read():
                problems.append("%s is not the picture of %s" % (b, a))
    # The tray pictures are all different from each other.
    tray = [open(os.path.join(first, "icon_%d.ico" % i), "rb").read() for i in range(106, 114)
            if os.path.exists(os.path.join(first, "icon_%d.ico" % i))]
    if len(set(tray)) != len(tray):
        problems.append("two tray icons are the same picture")

    for p in problems:
        print("FAIL:", p)
    print("%d files checked, %d problems" % (len(present), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
