#!/usr/bin/python3
"""The reference for tools_bench: the same files, changed with mutagen.

    tools_bench_mutagen.py [--files N] [--dir DIR] [--fsync] [--keep]

Builds the same N files as tools_bench (default 10000), then times
  mass tag  a plain read-modify-write: load the ID3v2 tag, set TYER and COMM,
            save ID3v2.3 and the ID3v1 trailer (mutagen's v1=2)
  rewrite   a COMM of 2,000 characters, which does not fit the padding
  rename    load the tag, build "%N - %A - %T.mp3", rename in place (never
            over an existing name)
and prints files per second. mutagen leaves written data in the page cache;
with --fsync every saved file is also committed to the disk, as the tag
engine's saves are, for a like-for-like figure. Run with /usr/bin/python3
(it has mutagen).
"""

import argparse
import os
import shutil
import struct
import sys
import tempfile
import time

try:
    from mutagen.id3 import ID3, COMM, TYER
except ImportError:
    sys.exit("tools_bench_mutagen.py: python3-mutagen is required (run with /usr/bin/python3)")

AUDIO_SIZE = 32 * 1024
PADDING = 512


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def text_frame(fid, text):
    body = b"\0" + text.encode("latin-1")
    return fid.encode() + struct.pack(">I", len(body)) + b"\0\0" + body


def field(text, width):
    return text.encode("latin-1")[:width].ljust(width, b"\0")


def audio():
    frame = (b"\xff\xfb\x90\x00").ljust(417, b"\0")
    data = frame * (AUDIO_SIZE // 417 + 1)
    return data[:AUDIO_SIZE]


def sample_file(i, audio_bytes):
    title = "Song %d" % i
    artist = "Artist %d" % (i % 97)
    album = "Album %d" % (i % 31)
    track = str(i % 20 + 1)
    frames = (text_frame("TIT2", title) + text_frame("TPE1", artist) +
              text_frame("TALB", album) + text_frame("TRCK", track))
    head = b"ID3\x03\x00\x00" + synchsafe(len(frames) + PADDING) + frames + bytes(PADDING)
    v1 = (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field("2001", 4) +
          field("", 28) + b"\0" + bytes([i % 20 + 1]) + bytes([17]))
    return head + audio_bytes + v1


def report(phase, files, ok, seconds):
    print("%-10s %6d files  %6d ok  %8.3f s  %10.0f files/s" %
          (phase, files, ok, seconds, files / seconds if seconds > 0 else 0.0))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--dir")
    parser.add_argument("--fsync", action="store_true")
    parser.add_argument("--keep", action="store_true")
    args = parser.parse_args()
    work = args.dir or tempfile.mkdtemp(prefix="td-tools-bench-mutagen-")
    os.makedirs(work, exist_ok=True)
    audio_bytes = audio()
    paths = []
    for i in range(args.files):
        path = os.path.join(work, "file%d.mp3" % i)
        with open(path, "wb") as f:
            f.write(sample_file(i, audio_bytes))
        paths.append(path)

    ok = 0
    def save(tag, path, v1):
        tag.save(path, v1=v1, v2_version=3)
        if args.fsync:
            fd = os.open(path, os.O_RDONLY)
            os.fsync(fd)
            os.close(fd)

    start = time.perf_counter()
    for path in paths:
        tag = ID3(path)
        tag.delall("TYER")
        tag.add(TYER(encoding=0, text="1999"))
        tag.delall("COMM")
        tag.add(COMM(encoding=0, lang="eng", desc="", text="benchmark run"))
        save(tag, path, 2)
        ok += 1
    report("mass tag", len(paths), ok, time.perf_counter() - start)

    ok = 0
    start = time.perf_counter()
    for path in paths:
        tag = ID3(path)
        tag.delall("COMM")
        tag.add(COMM(encoding=0, lang="eng", desc="", text="x" * 2000))
        save(tag, path, 1)
        ok += 1
    report("rewrite", len(paths), ok, time.perf_counter() - start)

    ok = 0
    start = time.perf_counter()
    for i, path in enumerate(paths):
        tag = ID3(path)
        track = str(tag["TRCK"].text[0]) if "TRCK" in tag else ""
        if len(track) < 2:
            track = "0" + track
        name = "%s - %s - %s" % (track, tag["TPE1"].text[0], tag["TIT2"].text[0])
        name = "".join(" " if c in '"/:<>?\\|*' else c for c in name)
        new = os.path.join(os.path.dirname(path), name + ".mp3")
        if new == path or os.path.exists(new):
            continue
        os.rename(path, new)
        paths[i] = new
        ok += 1
    report("rename", len(paths), ok, time.perf_counter() - start)

    if args.keep:
        print("files kept in", work)
    else:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
