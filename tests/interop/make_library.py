#!/usr/bin/python3
"""Builds a small library of real MPEG audio files with tags written by other
programs (mutagen, the id3v2 tool, lame's own tagging), for the
interoperability checks and the README walk-through.

    make_library.py --out DIR [--force]

Needs sox, lame, twolame, id3v2 and python3-mutagen. The clips are short
(2-3 s) and generated deterministically; a second run with the same library
version does nothing. DIR/manifest.json describes every file.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile

LIBRARY_VERSION = 8

from interop_common import tag_file, v1_trailer  # exits when mutagen is missing
from mutagen.id3 import (APIC, COMM, PRIV, POPM, TALB, TCOM, TCON, TDRC, TIT2, TPE1, TPE2, TRCK, TXXX,
                         TYER, USLT, WOAR, WXXX, Encoding)

REQUIRED_TOOLS = ("sox", "lame", "twolame", "id3v2")

# Texts that exercise the ANSI code page: accents and the euro sign are in
# Windows-1252; the Japanese title is not, and must survive untouched.
TITLE_ACCENTS = "Café Déjà Vu – 5 €"
ARTIST_ACCENTS = "Björk & Ünïcode"
ALBUM_ACCENTS = "Ça ira (Édition spéciale)"
TITLE_JAPANESE = "夜明けの歌"

# Picture data with every byte value, the PNG signature first.
PICTURE = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 16

# The sox sources: rate, channels, seconds, synth effect.
SOURCES = {
    "tone": (44100, 2, 3, ["sine", "440", "sine", "660"]),
    "noise": (44100, 1, 2, ["pinknoise", "vol", "0.3"]),
    "tone48": (48000, 2, 2, ["sine", "523"]),
    "tone22": (22050, 1, 2, ["sine", "330"]),
}


def run(*cmd):
    subprocess.run(cmd, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def rich_frames(version):
    """The frames mutagen writes into the richly tagged files."""
    enc = Encoding.UTF8
    return [
        TIT2(encoding=enc, text=[TITLE_JAPANESE if version == 4 else TITLE_ACCENTS]),
        TPE1(encoding=enc, text=[ARTIST_ACCENTS]),
        TALB(encoding=enc, text=[ALBUM_ACCENTS]),
        TPE2(encoding=enc, text=["The Band"]),
        TCOM(encoding=enc, text=["Composer Ö"]),
        TDRC(encoding=enc, text=["2004-05-06"]) if version == 4 else TYER(encoding=enc, text=["2004"]),
        TRCK(encoding=enc, text=["3/12"]),
        TCON(encoding=enc, text=["Rock"]),
        COMM(encoding=enc, lang="eng", desc="", text=["Commentaire é €"]),
        COMM(encoding=enc, lang="fra", desc="note", text=["Deuxième"]),
        USLT(encoding=enc, lang="eng", desc="", text="La la la\nsecond line"),
        TXXX(encoding=enc, desc="MyKey", text=["My value ü"]),
        PRIV(owner="org.example.tunedeck", data=b"\x00\x01\x02\xfe\xff"),
        APIC(encoding=enc, mime="image/png", type=3, desc="Cover", data=PICTURE),
        # Latin-1, as the engine writes it back: the URL frame must come out
        # byte for byte as it went in.
        WXXX(encoding=Encoding.LATIN1, desc="Home", url="http://example.org/home?a=1&b=2"),
        WOAR(url="http://example.org/artist"),
        POPM(email="someone@example.org", rating=196, count=5),
    ]


def mutagen_tag(version):
    return lambda path: tag_file(path, rich_frames(version), version)


def append(data):
    def step(path):
        with open(path, "ab") as f:
            f.write(data)
    return step


LAME_TAGS = ["--tt", "Lame Title", "--ta", "Lame Artist", "--tl", "Lame Album", "--ty", "1999",
             "--tc", "lame comment", "--tg", "Jazz", "--tn", "4", "--add-id3v2"]

# name, source, encoder command, tagging steps, facts for the manifest (vbr:
# the stream has variable bit rate; odd: a hostile file name).
FILES = [
    ("cbr128_v23.mp3", "tone", ["lame", "-b", "128"], [mutagen_tag(3)], {}),
    ("cbr128_v24.mp3", "tone", ["lame", "-b", "128"], [mutagen_tag(4)], {}),
    ("vbr_v2_stereo_v23.mp3", "tone", ["lame", "-V2"],
     [mutagen_tag(3), append(v1_trailer("Xing stereo", "Lame", "VBR", "2010", "v1 comment", 17, 9))],
     {"vbr": 1}),
    ("vbr_v2_mono_v24.mp3", "noise", ["lame", "-V2", "-m", "m"], [mutagen_tag(4)], {"vbr": 1}),
    # Lower sampling frequencies: MPEG-2 and MPEG 2.5.
    ("mpeg2_22050_mono.mp3", "tone", ["lame", "--resample", "22.05", "-b", "64", "-m", "m"],
     [mutagen_tag(3)], {}),
    ("mpeg25_8000_mono.mp3", "tone", ["lame", "--resample", "8", "-b", "32", "-m", "m"],
     [mutagen_tag(4)], {}),
    # CBR without any Info frame, plain stereo.
    ("cbr160_noinfo_stereo.mp3", "tone", ["lame", "-t", "-b", "160", "-m", "s"], [mutagen_tag(3)], {}),
    ("layer2_48k.mp2", "tone48", ["twolame", "-b", "192"], [mutagen_tag(3)], {}),
    ("layer2_22050_v1only.mp2", "tone22", ["twolame", "-b", "64", "-m", "m"],
     [append(v1_trailer("Layer two", "Twolame", "MPEG-2 LSF", "2003", "low sampling rate", 12, 2))], {}),
    ("id3v2_tool.mp3", "tone", ["lame", "-b", "128"], [lambda p: run(
        "id3v2", "-a", "Tool Artist", "-t", "Tool Title", "-A", "Tool Album", "-y", "2001", "-g", "17",
        "-T", "3/10", "-c", "tool comment", p)], {}),
    ("lame_tagged.mp3", "tone", ["lame", "-b", "128"] + LAME_TAGS, [], {}),
    # ID3v1 only: v1.1 with a track, v1.0 with a full 30-character comment.
    ("v1only_track.mp3", "tone", ["lame", "-b", "128"],
     [append(v1_trailer(TITLE_ACCENTS, ARTIST_ACCENTS, "Old Album", "1987", "v1.1 comment", 8, 7))], {}),
    ("v1only_full_comment.mp3", "noise", ["lame", "-b", "96", "-m", "m"],
     [append(v1_trailer("Title", "Artist", "Album", "1990", "A comment of thirty characters", 255))], {}),
    ("untagged.mp3", "tone", ["lame", "-b", "192"], [], {}),
    # Texts with control characters and quotes, in a file whose name needs
    # escaping too: for the JSON output.
    ('odd "name" ü 日本.mp3', "tone", ["lame", "-b", "128"], [lambda p: tag_file(p, [
        TIT2(encoding=Encoding.LATIN1, text=['Tab\there "quoted" back\\slash \x01\x1f']),
        TPE1(encoding=Encoding.LATIN1, text=["Plain"])])], {"odd": True}),
]


def build(out, work):
    """Makes every file through a temporary name; returns the manifest entries."""
    entries = []
    for n, (name, source, encoder, steps, facts) in enumerate(FILES):
        wav = os.path.join(work, source + ".wav")
        if not os.path.exists(wav):
            rate, channels, seconds, synth = SOURCES[source]
            run("sox", "-R", "-n", "-r", str(rate), "-c", str(channels), "-b", "16", wav,
                "synth", str(seconds), *synth)
        temp = os.path.join(work, "partial-%d%s" % (n, os.path.splitext(name)[1]))
        run(encoder[0], "--quiet", *encoder[1:], wav, temp)
        for step in steps:
            step(temp)
        os.replace(temp, os.path.join(out, name))
        entries.append(dict({"file": name, "vbr": 0}, **facts))
    return entries


def ensure(out, force=False):
    """Fills `out` unless it holds this version of the library already;
    returns the manifest entries."""
    missing = [t for t in REQUIRED_TOOLS if shutil.which(t) is None]
    if missing:
        sys.exit("make_library.py: missing tools: " + ", ".join(missing))
    os.makedirs(out, exist_ok=True)
    manifest = os.path.join(out, "manifest.json")
    try:
        with open(manifest, encoding="utf-8") as f:
            known = json.load(f)
        if not force and known["version"] == LIBRARY_VERSION and all(
                os.path.isfile(os.path.join(out, e["file"])) for e in known["files"]):
            return known["files"]
    except (OSError, ValueError, KeyError):
        pass
    with tempfile.TemporaryDirectory(prefix="td-library-") as work:
        try:
            entries = build(out, work)
        except subprocess.CalledProcessError as e:
            sys.exit("make_library.py: %s failed: %s" % (e.cmd[0], e.stderr.decode("utf-8", "replace").strip()))
    with open(manifest + ".tmp", "w", encoding="utf-8") as f:
        json.dump({"version": LIBRARY_VERSION, "files": entries}, f, ensure_ascii=False, indent=1)
    os.replace(manifest + ".tmp", manifest)
    return entries


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="directory to fill")
    parser.add_argument("--force", action="store_true", help="rebuild even when up to date")
    args = parser.parse_args()
    print("make_library.py: %d files in %s" % (len(ensure(args.out, args.force)), args.out))
