#!/usr/bin/python3
"""End-to-end checks of `tunedeck scan` and `tunedeck list`.

    run_playlist_cli.py --cli PATH/tunedeck --work DIR [--runner wine64]

Scans a folder tree of files tagged by mutagen into a .kq3 file and lists it,
the folder, M3U and PLS playlists written the way players write them
(relative paths, CR LF, #EXTINF, File2 before File1) and damaged files.
"""

import os
import shutil
import sys

from interop_common import need, start
from mutagen.id3 import ID3, TALB, TIT2, TPE1, TRCK

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
ALL = ["a.mp3", "B.MP3", "c.Mp2", "sub/d.mp3", "sub/deeper/e.mp3", "z.mp3"]


def make_library(root):
    shutil.rmtree(root, ignore_errors=True)
    for name, tags in SONGS:
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(b"RIFF" if name.endswith(".wav") else FRAME * 115)
        if tags and not name.endswith(".wav"):
            id3 = ID3()
            for kind, text in zip((TPE1, TIT2, TALB, TRCK), tags):
                id3.add(kind(encoding=0, text=text))
            id3.save(path, v2_version=3, v1=2)


def main():
    tools, c, work = start(__doc__)
    lib = os.path.join(work, "lib")
    make_library(lib)
    n = tools.native

    def lines(*a, cwd=None):
        status, out, err = tools.run(*a, cwd=cwd)
        need(status == 0, (a, status, err))
        return [line.split("\t") for line in out.decode("utf-8").splitlines()]

    def expected(*names):
        """FILENAME, ARTIST, TITLE, TRACK, TIME, ID3TAG as `list --view 1` shows them."""
        out = []
        for name in names:
            tags, base = dict(SONGS)[name], os.path.basename(name)
            out.append([n(os.path.join(lib, name))] + (
                [tags[0], tags[1], tags[3], "00:03", "ID3v1+v2"] if tags else
                [base[0].upper() + base[1:], " ", " ", "00:03", "None"]))
        return out

    def scan():
        top = os.path.join(work, "top.kq3")
        status, text, err = tools.run("scan", n(lib), "-o", n(top))
        need(status == 0 and text.startswith(b"4 files saved"), (status, text, err))
        got = lines("list", n(top), *COLUMNS)
        need(got == expected("a.mp3", "B.MP3", "c.Mp2", "z.mp3"), got)
        out = os.path.join(work, "all.kq3")
        status, _, err = tools.run("scan", "-r", n(lib), "-o", n(out))
        need(status == 0, err)
        need(lines("list", n(out), *COLUMNS) == expected(*ALL))
        # Every column of the saved list equals what reading the files gives.
        every = ["--columns", ",".join(str(i) for i in range(20))]
        for view in "0123":
            saved = lines("list", n(out), *every, "--view", view)
            need(saved == lines("list", n(lib), "-r", *every, "--view", view), view)
            need(len(saved) == len(ALL) and all(len(r) == 20 for r in saved))
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
                     "File1={0}/sub/deeper/e.mp3\r\nNumberOfEntries=2\r\nVersion=2\r\n"
                     .format(rel)).encode("ascii"))
        got = lines("list", n(pls), *COLUMNS, cwd=work)
        need(got == expected("B.MP3", "sub/deeper/e.mp3"), got)

    def damaged_files():
        good = open(os.path.join(work, "all.kq3"), "rb").read()
        cut = os.path.join(work, "cut.kq3")
        for data, message in ((good[:-1], "Corrupt file: Tunedeck"),
                              (good[:len(good) // 2], "Corrupt file: Tunedeck"),
                              (good[:20], "Corrupt file: Tunedeck"),
                              (good[:11], "Error file: Tunedeck"),
                              (b"KQ4DATA3" + good[8:], "Bad file format: Tunedeck")):
            with open(cut, "wb") as f:
                f.write(data)
            status, out, err = tools.run("list", n(cut))
            need(status == 1 and out == b"" and message in err, (len(data), status, err))
        bad_pls = os.path.join(work, "bad.pls")
        with open(bad_pls, "wb") as f:
            f.write(b"\r\n[playlist]\r\nFile1=a.mp3\r\n")
        status, out, err = tools.run("list", n(bad_pls))
        need(status == 1 and out == b"" and "Bad file: PLS playlist" in err, (status, err))
        for a in (["scan", n(lib)], ["list"], ["list", n(lib), "--columns", "20"],
                  ["list", n(lib), "--view", "4"], ["list", n(os.path.join(lib, "a.mp3"))]):
            status, _, err = tools.run(*a)
            need(status == 2 and err, (a, status, err))
        status, _, err = tools.run("scan", n(os.path.join(work, "nowhere")), "-o",
                                   n(os.path.join(work, "n.kq3")))
        need(status == 1 and "not a folder" in err, (status, err))

    for fn in (scan, player_playlists, damaged_files):
        c.step(fn.__name__, fn)
    return c.finish("playlist cli")


if __name__ == "__main__":
    sys.exit(main())
