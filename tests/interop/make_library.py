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
import struct
import subprocess
import sys
import tempfile
import zlib

LIBRARY_VERSION = 7

from interop_common import v1_trailer  # exits when mutagen is missing
from mutagen.id3 import (ID3, APIC, COMM, PRIV, POPM, TALB, TCOM, TCON, TDRC,
                         TIT2, TPE1, TPE2, TRCK, TXXX, USLT, WOAR, WXXX, Encoding)

REQUIRED_TOOLS = ("sox", "lame", "twolame", "id3v2")

# Texts that exercise the ANSI code page: accents and the euro sign are in
# Windows-1252; the Japanese title is not, and must survive untouched.
TITLE_ACCENTS = "Café Déjà Vu – 5 €"
ARTIST_ACCENTS = "Björk & Ünïcode"
ALBUM_ACCENTS = "Ça ira (Édition spéciale)"
TITLE_JAPANESE = "夜明けの歌"

# Bytes before the audio with a false frame header (MPEG-2 layer III, 24000 Hz,
# 144 kbit/s) that nothing follows at its frame length.
GARBAGE = b"\x55" * 100 + b"\xff\xf3\xd4\x00" + b"\x55" * 2896


def run(*cmd):
    subprocess.run(cmd, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def png_bytes(width=48, height=48):
    """A valid PNG picture (a colour gradient), for APIC frames."""
    raw = b""
    for y in range(height):
        raw += b"\x00" + b"".join(bytes((x * 5 % 256, y * 5 % 256, (x + y) * 3 % 256))
                                  for x in range(width))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def rich_frames(picture, japanese=False):
    """The frames mutagen writes into the richly tagged files."""
    enc = Encoding.UTF8
    return [
        TIT2(encoding=enc, text=[TITLE_JAPANESE if japanese else TITLE_ACCENTS]),
        TPE1(encoding=enc, text=[ARTIST_ACCENTS]),
        TALB(encoding=enc, text=[ALBUM_ACCENTS]),
        TPE2(encoding=enc, text=["The Band"]),
        TCOM(encoding=enc, text=["Composer Ö"]),
        TDRC(encoding=enc, text=["2004-05-06" if japanese else "2004"]),
        TRCK(encoding=enc, text=["3/12"]),
        TCON(encoding=enc, text=["Rock"]),
        COMM(encoding=enc, lang="eng", desc="", text=["Commentaire é €"]),
        COMM(encoding=enc, lang="fra", desc="note", text=["Deuxième"]),
        USLT(encoding=enc, lang="eng", desc="", text="La la la\nsecond line"),
        TXXX(encoding=enc, desc="MyKey", text=["My value ü"]),
        PRIV(owner="org.example.tunedeck", data=b"\x00\x01\x02\xfe\xff"),
        APIC(encoding=enc, mime="image/png", type=3, desc="Cover", data=picture),
        # Latin-1, as the engine writes it back: the URL frame must come out
        # byte for byte as it went in.
        WXXX(encoding=Encoding.LATIN1, desc="Home", url="http://example.org/home?a=1&b=2"),
        WOAR(url="http://example.org/artist"),
        POPM(email="someone@example.org", rating=196, count=5),
    ]


def tag_with_mutagen(path, frames, version):
    tags = ID3()
    for frame in frames:
        tags.add(frame)
    if version == 3:
        # mutagen keeps v2.4 frames (TDRC) unless asked to convert them.
        tags.update_to_v23()
    tags.save(path, v1=0, v2_version=version, v23_sep="/")


class Builder:
    def __init__(self, out, work):
        self.out = out
        self.work = work
        self.entries = []
        self.picture = png_bytes()

    def wav(self, name, rate, channels, seconds, synth):
        path = os.path.join(self.work, name + ".wav")
        if not os.path.exists(path):
            run("sox", "-R", "-n", "-r", str(rate), "-c", str(channels), "-b", "16", path,
                "synth", str(seconds), *synth)
        return path

    def add(self, name, make, **facts):
        """Makes one file through a temporary name, then moves it in place."""
        target = os.path.join(self.out, name)
        temp = os.path.join(self.work, "partial-" + str(len(self.entries)) +
                            os.path.splitext(name)[1])
        make(temp)
        os.replace(temp, target)
        entry = {"file": name}
        entry.update(facts)
        self.entries.append(entry)

    def lame(self, wav, *options):
        def make(path):
            run("lame", "--quiet", *options, wav, path)
        return make

    def build(self):
        tone = self.wav("tone44", 44100, 2, 3, ["sine", "440", "sine", "660"])
        noise = self.wav("noise44", 44100, 1, 2, ["pinknoise", "vol", "0.3"])
        tone48 = self.wav("tone48", 48000, 2, 2, ["sine", "523"])
        tone22 = self.wav("tone22", 22050, 1, 2, ["sine", "330"])

        def then(make, *steps):
            def chained(path):
                make(path)
                for step in steps:
                    step(path)
            return chained

        def mutagen_step(frames, version):
            return lambda path: tag_with_mutagen(path, frames, version)

        def append_step(data):
            def step(path):
                with open(path, "ab") as f:
                    f.write(data)
            return step

        rich23 = rich_frames(self.picture)
        rich24 = rich_frames(self.picture, japanese=True)

        # Constant bit rate with lame's Info header, both tag versions.
        self.add("cbr128_v23.mp3", then(self.lame(tone, "-b", "128"), mutagen_step(rich23, 3)),
                 tagger="mutagen", id3="2.3", xing="Info", vbr=0)
        self.add("cbr128_v24.mp3", then(self.lame(tone, "-b", "128"), mutagen_step(rich24, 4)),
                 tagger="mutagen", id3="2.4", xing="Info", vbr=0)
        # Variable bit rate with a Xing header, stereo and mono.
        self.add("vbr_v2_stereo_v23.mp3",
                 then(self.lame(tone, "-V2"), mutagen_step(rich23, 3),
                      append_step(v1_trailer("Xing stereo", "Lame", "VBR", "2010",
                                                "v1 comment", 17, 9))),
                 tagger="mutagen", id3="2.3", v1=True, xing="Xing", vbr=1)
        self.add("vbr_v2_mono_v24.mp3", then(self.lame(noise, "-V2", "-m", "m"),
                                             mutagen_step(rich24, 4)),
                 tagger="mutagen", id3="2.4", xing="Xing", vbr=1)
        # Lower sampling frequencies: MPEG-2 and MPEG 2.5.
        self.add("mpeg2_22050_mono.mp3",
                 then(self.lame(tone, "--resample", "22.05", "-b", "64", "-m", "m"),
                      mutagen_step(rich23, 3)),
                 tagger="mutagen", id3="2.3", xing="Info", vbr=0)
        self.add("mpeg25_8000_mono.mp3",
                 then(self.lame(tone, "--resample", "8", "-b", "32", "-m", "m"),
                      mutagen_step(rich24, 4)),
                 tagger="mutagen", id3="2.4", xing="Info", vbr=0)
        # CBR without any Info frame, plain stereo.
        self.add("cbr160_noinfo_stereo.mp3",
                 then(self.lame(tone, "-t", "-b", "160", "-m", "s"), mutagen_step(rich23, 3)),
                 tagger="mutagen", id3="2.3", xing=None, vbr=0)
        # MPEG audio layer II.
        self.add("layer2_48k.mp2",
                 then(lambda p: run("twolame", "--quiet", "-b", "192", tone48, p),
                      mutagen_step(rich23, 3)),
                 tagger="mutagen", id3="2.3", xing=None, vbr=0)
        self.add("layer2_22050_v1only.mp2",
                 then(lambda p: run("twolame", "--quiet", "-b", "64", "-m", "m", tone22, p),
                      append_step(v1_trailer("Layer two", "Twolame", "MPEG-2 LSF", "2003",
                                                "low sampling rate", 12, 2))),
                 tagger="v1", id3=None, v1=True, xing=None, vbr=0)
        # Other taggers.
        self.add("id3v2_tool.mp3",
                 then(self.lame(tone, "-b", "128"),
                      lambda p: run("id3v2", "-a", "Tool Artist", "-t", "Tool Title",
                                    "-A", "Tool Album", "-y", "2001", "-g", "17", "-T", "3/10",
                                    "-c", "tool comment", p)),
                 tagger="id3v2", id3="2.3", v1=True, xing="Info", vbr=0)
        self.add("lame_tagged.mp3",
                 self.lame(tone, "-b", "128", "--tt", "Lame Title", "--ta", "Lame Artist",
                           "--tl", "Lame Album", "--ty", "1999", "--tc", "lame comment",
                           "--tg", "Jazz", "--tn", "4", "--add-id3v2"),
                 tagger="lame", id3="2.3", v1=True, xing="Info", vbr=0)
        # ID3v1 only: v1.1 with a track, v1.0 with a full 30-character comment.
        self.add("v1only_track.mp3",
                 then(self.lame(tone, "-b", "128"),
                      append_step(v1_trailer(TITLE_ACCENTS, ARTIST_ACCENTS, "Old Album",
                                                "1987", "v1.1 comment", 8, 7))),
                 tagger="v1", id3=None, v1=True, xing="Info", vbr=0)
        self.add("v1only_full_comment.mp3",
                 then(self.lame(noise, "-b", "96", "-m", "m"),
                      append_step(v1_trailer("Title", "Artist", "Album", "1990",
                                                "A comment of thirty characters", 255))),
                 tagger="v1", id3=None, v1=True, xing="Info", vbr=0)
        self.add("untagged.mp3", self.lame(tone, "-b", "192"),
                 tagger="none", id3=None, xing="Info", vbr=0)
        # Texts with control characters and quotes, in a file whose name needs
        # escaping too: for the JSON output.
        self.add('odd "name" ü 日本.mp3',
                 then(self.lame(tone, "-b", "128"),
                      mutagen_step([TIT2(encoding=Encoding.LATIN1,
                                         text=['Tab\there "quoted" back\\slash \x01\x1f']),
                                    TPE1(encoding=Encoding.LATIN1, text=["Plain"])], 3)),
                 tagger="mutagen", id3="2.3", xing="Info", vbr=0, odd=True)
        # ID3v2.2, which no tagger here writes any more: made by hand.
        self.add("id3v22.mp3",
                 then(self.lame(tone, "-b", "128"), lambda p: prepend_v22_tag(p, [
                     (b"TT2", b"\x00Old title \xe9"),
                     (b"TP1", b"\x01\xff\xfeB\x00j\x00\xf6\x00r\x00k\x00\x00\x00"),
                     (b"TAL", b"\x00Album"),
                     (b"TYE", b"\x001998"),
                     (b"TCO", b"\x00(17)"),
                     (b"COM", b"\x00eng\x00Old comment"),
                     (b"TXX", b"\x00Original artist"),
                 ])),
                 tagger="raw", id3="2.2", xing="Info", vbr=0)
        # A text frame with an unknown string encoding: shows nothing, but the
        # rest of the tag is read and the frame is written back as it was.
        self.add("bad_encoding.mp3",
                 then(self.lame(tone, "-b", "128"), lambda p: prepend_raw_tag(p, [
                     (b"TIT2", b"\x00Fine"), (b"TPE1", b"\x07Broken")])),
                 tagger="raw", id3="2.3", xing="Info", vbr=0)
        # What old encoders and players leave behind: an ID3v2.4 header that
        # announces an extended header that is not there, frames of an encoding
        # byte alone or of no bytes at all, an undecodable frame last, and
        # garbage holding a false frame header (24000 Hz, 144 kbit/s) before
        # the audio.
        self.add("damaged_v24.mp3",
                 then(self.lame(tone, "-b", "128"), lambda p: prepend_raw_tag(p, [
                     (b"TENC", b"\x01"), (b"TCOP", b""), (b"WXXX", b"\x00\x00"), (b"TENC", b""),
                     (b"TIT2", b"\x00Damaged title"), (b"TPE1", b"\x00Old Player"),
                     (b"TALB", b"\x00Album"), (b"TRCK", b"\x003/9"), (b"TCON", b"\x00Jazz"),
                     (b"COMM", b"\x00eng\x00Still here"), (b"TPE2", b"\x07Broken")],
                     major=4, flags=0x40, garbage=GARBAGE)),
                 tagger="raw", id3="2.4", xing="Info", vbr=0, garbage=len(GARBAGE))
        # A tag the engine must refuse to read: ID3v2.2 announced compression
        # but never defined it.
        self.add("v22_compressed.mp3",
                 then(self.lame(tone, "-b", "128"), lambda p: prepend_v22_tag(p, [
                     (b"TT2", b"\x00Squeezed")], flags=0x40)),
                 tagger="raw", id3="2.2", xing="Info", vbr=0, unreadable=True)


def synchsafe(size):
    return bytes(((size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F))


def prepend_raw_tag(path, frames, major=3, flags=0, garbage=b""):
    """Puts a hand-made ID3v2.3 (or 2.4, frames below 128 bytes) tag and
    `garbage` in front of the file."""
    body = b"".join(fid + struct.pack(">I", len(data)) + b"\x00\x00" + data
                    for fid, data in frames)
    body += b"\x00" * 64
    with open(path, "rb") as f:
        audio = f.read()
    with open(path, "wb") as f:
        f.write(b"ID3" + bytes((major, 0, flags)) + synchsafe(len(body)) + body + garbage + audio)


def prepend_v22_tag(path, frames, flags=0):
    """Puts a hand-made ID3v2.2 tag (three-letter identifiers, 24-bit sizes)
    in front of the file."""
    body = b"".join(fid + len(data).to_bytes(3, "big") + data for fid, data in frames)
    body += b"\x00" * 32
    with open(path, "rb") as f:
        audio = f.read()
    with open(path, "wb") as f:
        f.write(b"ID3\x02\x00" + bytes((flags,)) + synchsafe(len(body)) + body + audio)


def up_to_date(out):
    try:
        with open(os.path.join(out, "manifest.json"), encoding="utf-8") as f:
            manifest = json.load(f)
    except (OSError, ValueError):
        return False
    if manifest.get("version") != LIBRARY_VERSION:
        return False
    return all(os.path.isfile(os.path.join(out, e["file"])) for e in manifest["files"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="directory to fill")
    parser.add_argument("--force", action="store_true", help="rebuild even when up to date")
    args = parser.parse_args()

    missing = [t for t in REQUIRED_TOOLS if shutil.which(t) is None]
    if missing:
        sys.exit("make_library.py: missing tools: " + ", ".join(missing))
    os.makedirs(args.out, exist_ok=True)
    if not args.force and up_to_date(args.out):
        print("make_library.py: %s is up to date" % args.out)
        return 0

    with tempfile.TemporaryDirectory(prefix="td-library-") as work:
        builder = Builder(args.out, work)
        try:
            builder.build()
        except subprocess.CalledProcessError as e:
            sys.exit("make_library.py: %s failed: %s" % (
                e.cmd[0], (e.stderr or b"").decode("utf-8", "replace").strip()))
        manifest = {"version": LIBRARY_VERSION, "files": builder.entries}
        temp = os.path.join(args.out, "manifest.json.tmp")
        with open(temp, "w", encoding="utf-8") as f:
            json.dump(manifest, f, ensure_ascii=False, indent=1)
        os.replace(temp, os.path.join(args.out, "manifest.json"))
    print("make_library.py: %d files in %s" % (len(builder.entries), args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
