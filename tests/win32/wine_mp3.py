#!/usr/bin/python3
"""MP3 helpers for the Windows tests under Wine: a clip made by lame, and the
tags of a file as mutagen reads them. Wine starts a Unix program for a
Windows one but hands it no arguments and does not wait for it, so the
arguments come tab-separated in the environment variable TD_WINE_MP3, and
OUT appears (by a rename) only once it is complete:
  clip<TAB>OUT          one second of a 440 Hz tone, mono, 128 kbit/s
  dump<TAB>FILE<TAB>OUT "ID=text" lines: the ID3v2 text frames (a rating
                        as "POPM=owner/byte"), then the ID3v1 fields as
                        "v1.ID=text"; "none" without tags
"""
import math
import os
import struct
import subprocess
import tempfile

from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1


def clip(out):
    with tempfile.NamedTemporaryFile(suffix=".raw", delete=False) as raw:
        for i in range(44100):
            raw.write(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 440 * i / 44100))))
    try:
        subprocess.run(["lame", "--quiet", "-r", "-s", "44.1", "--bitwidth", "16", "--signed",
                        "--little-endian", "-m", "m", "-b", "128", raw.name, out + ".part"], check=True)
        os.rename(out + ".part", out)
    finally:
        os.unlink(raw.name)


def text_lines(frames, prefix):
    return [prefix + "%s=%s" % (f.FrameID, "/".join(str(t) for t in f.text))
            for f in frames if hasattr(f, "text")]


def dump(path, out):
    lines = []
    try:
        frames = ID3(path, translate=False).values()
        lines += text_lines(frames, "")
        lines += ["POPM=%s/%d" % (f.email, f.rating) for f in frames if f.FrameID == "POPM"]
    except ID3NoHeaderError:
        pass
    with open(path, "rb") as f:
        f.seek(-128, 2)
        v1 = ParseID3v1(f.read(128))
    if v1:
        lines += text_lines(v1.values(), "v1.")
    with open(out + ".part", "w", encoding="latin-1") as f:
        f.write("\n".join(sorted(lines)) if lines else "none")
    os.rename(out + ".part", out)


args = os.environ.get("TD_WINE_MP3", "").split("\t")
if args[0] == "clip":
    clip(args[1])
elif args[0] == "dump":
    dump(args[1], args[2])
