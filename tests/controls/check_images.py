#!/usr/bin/env python3
"""Checks the drawn images: every icon, cursor and bitmap a resource script
names is drawn by scripts/make_images.py, with the sizes the code loads.

    check_images.py --make scripts/make_images.py --work DIR
"""

import argparse
import glob
import os
import re
import struct
import subprocess
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
# Bitmaps are strips of 16x16 images; the image lists take this many from each.
BITMAP_CELLS = {169: 1, 170: 1, 171: 1, 172: 1, 173: 1, 174: 1, 175: 1, 176: 1, 180: 2, 181: 7,
                182: 4, 152: 5}


def named_images():
    names = set()
    for script in glob.glob(os.path.join(ROOT, "*", "win32", "*.rc")):
        with open(script, encoding="latin-1") as lines:
            for line in lines:
                found = re.match(r'\s*\w+\s+(ICON|CURSOR|BITMAP)\s+"([^"]+)"', line)
                if found:
                    names.add(found.group(2))
    return sorted(names)


def sizes(path):
    data = open(path, "rb").read()
    if path.endswith(".bmp"):
        width, height = struct.unpack_from("<ii", data, 18)
        return [(width, height)]
    count = struct.unpack_from("<H", data, 4)[0]
    entries = [struct.unpack_from("<BB", data, 6 + 16 * i) for i in range(count)]
    return [(w or 256, h or 256) for w, h in entries]


def expected_sizes(name):
    if name.endswith(".ico"):
        return [(16, 16), (32, 32)]
    if name.endswith(".cur"):
        return [(32, 32)]
    return [(16 * BITMAP_CELLS.get(int(name[7:10]), 0), 16)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--make", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    subprocess.run([sys.executable, args.make, args.work], check=True)

    problems = []
    names = named_images()
    if not names:
        problems.append("no resource script names an image")
    for name in names:
        path = os.path.join(args.work, name)
        if not os.path.exists(path):
            problems.append("%s is not drawn" % name)
            continue
        found = sorted(sizes(path))  # a cut-off file fails here
        if found != expected_sizes(name):
            problems.append("%s holds %s instead of %s" % (name, found, expected_sizes(name)))

    for p in problems:
        print("FAIL:", p)
    print("%d images checked, %d problems" % (len(names), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
