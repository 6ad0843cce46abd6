#!/usr/bin/python3
"""End-to-end checks of `tunedeck scan` and `tunedeck list`.

    run_playlist_cli.py --cli PATH/tunedeck --work DIR [--runner wine64]

Scans a folder tree of files tagged by mutagen into a .kq3 file and lists it,
the folder, M3U and PLS playlists written the way players write them
(relative paths, CR LF, #EXTINF, File2 before File1).
"""

import os
import shutil
import sys

from interop_common import need, start, tag_file
from mutagen.id3 import TALB, TIT2, TPE1, TRCK

# MPEG-1 Layer III, 128 kbit/s, 44100 Hz: 115 frames of 417 bytes are 3.004 s.
FRAME = b"\xff\xfb\x90\x00" + bytes(413)

# name (relative to the library), tags (artist, title, album, track) or None
SONGS = [
    ("a.mp3", ("Alpha", "First song", "Album A", "2")),
    ("B.MP3", ("Beta", "Second song", "Album A", "10")),
    ("c.Mp2", ("Gamma", "Third song", "Album B", "1")),
    ("skip.wav", None),
    ("sub/d.mp3", ("Delta", "Fourth song", "Album B", "3")),
    ("sub/deeper/e.mp3", ("Epsilon", "Fifth song", "Album C", "4")),
    ("sub/notes.txt", None),
    ("z.mp3", None),
]
COLUMNS = ["--columns", "FILENAME,0,TITLE,13,TIME,ID3TAG", "--view", "1"]


def main():
    tools, c, work = start(__doc__)
    lib = os.path.join(work, "lib")
    shutil.rmtree(lib, ignore_errors=True)
    for name, tags in SONGS:
        path = os.path.join(lib, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(b"RIFF" if name.endswith(".wav") else FRAME * 115)
        if tags and not name.endswith(".wav"):
            tag_file(path, [kind(encoding=0, text=text) for kind, text in zip((TPE1, TIT2, TALB, TRCK), tags)], 3, 2)
    n = tools.native

    def lines(*args, cwd=None):
        return [line.split("\t") for line in tools.ok(*args, cwd=cwd).splitlines()]

    def expected(*names):
        """FILENAME, ARTIST, TITLE, TRACK, TIME, ID3TAG as `list --view 1` shows them."""
        out = []
        for name in names:
            artist, title, _, track = dict(SONGS)[name] or (os.path.basename(name).capitalize(), " ", "", " ")
            out.append([n(os.path.join(lib, name)), artist, title, track, "00:03",
                        "ID3v1+v2" if dict(SONGS)[name] else "None"])
        return out

    def scan():
        top = os.path.join(work, "top.kq3")
        need(tools.ok("scan", n(lib), "-o", n(top)).startswith("4 files saved"))
        got = lines("list", n(top), *COLUMNS)
        need(got == expected("a.mp3", "B.MP3", "c.Mp2", "z.mp3"), got)
        out = os.path.join(work, "all.kq3")
        tools.ok("scan", "-r", n(lib), "-o", n(out))
        got = lines("list", n(out), *COLUMNS)
        need(got == expected("a.mp3", "B.MP3", "c.Mp2", "sub/d.mp3", "sub/deeper/e.mp3", "z.mp3"), got)
        # Every column of the saved list equals what reading the files gives.
        every = ["--columns", ",".join(str(i) for i in range(20))]
        for view in "0123":
            saved = lines("list", n(out), *every, "--view", view)
            need(saved == lines("list", n(lib), "-r", *every, "--view", view), view)
        got = lines("list", n(lib), "-r", "--columns", "TRACK", "--view", "1", "--sort", "-13")
        need(got == [["10"], ["4"], ["3"], ["2"], ["1"], [" "]], got)

    def player_playlists():
        lists = os.path.join(work, "lists")
        os.makedirs(lists, exist_ok=True)
        rel = os.path.relpath(lib, lists).replace(os.sep, "/")
        m3u = os.path.join(lists, "player.m3u")
        with open(m3u, "wb") as f:
            f.write(("\ufeff#EXTM3U\r\n#EXTINF:3,Alpha - First song\r\n{0}/a.mp3\r\n"
                     "#EXTINF:3,Delta\r\n{0}/sub/./d.mp3\r\n#EXTINF:0,skip\r\n{0}/skip.wav\r\n"
                     "{0}/z.mp3".format(rel)).encode("utf-8"))
        # Run from another folder: relative paths belong to the playlist's folder.
        got = lines("list", n(m3u), *COLUMNS, cwd=work)
        need(got == expected("a.mp3", "sub/d.mp3", "z.mp3"), got)
        pls = os.path.join(lists, "player.pls")
        with open(pls, "wb") as f:
            f.write(("[playlist]\r\nFile2={0}/B.MP3\r\nTitle2=Beta\r\nLength2=3\r\n"
                     "File1={0}/sub/deeper/e.mp3\r\nNumberOfEntries=2\r\nVersion=2\r\n".format(rel)).encode("ascii"))
        got = lines("list", n(pls), *COLUMNS, cwd=work)
        need(got == expected("B.MP3", "sub/deeper/e.mp3"), got)

    return c.run_all("playlist cli", scan, player_playlists)


if __name__ == "__main__":
    sys.exit(main())
