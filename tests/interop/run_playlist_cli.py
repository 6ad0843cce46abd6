#!/usr/bin/python3
"""End-to-end checks of `tunedeck scan` and `tunedeck list`.

    run_playlist_cli.py --cli PATH/tunedeck --work DIR [--runner wine64]

Builds a small folder tree of MP3/MP2 files tagged by mutagen, scans it into a
.kq3 file, lists that file, the folder itself, M3U and PLS playlists written
the way players write them (relative paths, CR LF, #EXTINF, File2 before
File1) and damaged files, and compares every line with what the tags say.
Exits non-zero on any failure and ends with a "N passed, N failed" line.
"""

import argparse
import os
import shutil
import subprocess
import sys
import traceback

try:
    from mutagen.id3 import ID3, TALB, TIT2, TPE1, TRCK
except ImportError:
    sys.exit("run_playlist_cli.py: python3-mutagen is required (run with /usr/bin/python3)")

# MPEG-1 Layer III, 128 kbit/s, 44100 Hz, no padding: 417-byte frames.
FRAME = b"\xff\xfb\x90\x00" + bytes(413)
FRAMES_3S = 115  # 115 * 1152 / 44100 = 3.004 s

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


class Tools:
    def __init__(self, cli, runner=None):
        self.cli = cli
        self.runner = runner
        self.env = dict(os.environ, WINEDEBUG="-all") if runner else None

    def native(self, path):
        """A path as the program sees it (Z:\\... under Wine)."""
        if not self.runner:
            return os.path.abspath(path)
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def native_dir(self, path):
        return self.native(path) + ("\\" if self.runner else "/")

    def run(self, *args, cwd=None):
        cmd = ([self.runner] if self.runner else []) + [self.cli] + list(args)
        proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=cwd,
                              env=self.env, timeout=300)
        return proc.returncode, proc.stdout.decode("utf-8"), proc.stderr.decode("utf-8")

    def lines(self, *args, cwd=None):
        status, out, err = self.run(*args, cwd=cwd)
        if status != 0:
            raise AssertionError("tunedeck %s: exit %d: %s" % (" ".join(args), status, err))
        return out.splitlines()


def make_library(root):
    if os.path.exists(root):
        shutil.rmtree(root)
    for name, tags in SONGS:
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(b"RIFF" if name.endswith(".wav") else FRAME * FRAMES_3S)
        if tags and not name.endswith((".wav", ".txt")):
            id3 = ID3()
            id3.add(TPE1(encoding=0, text=tags[0]))
            id3.add(TIT2(encoding=0, text=tags[1]))
            id3.add(TALB(encoding=0, text=tags[2]))
            id3.add(TRCK(encoding=0, text=tags[3]))
            id3.save(path, v2_version=3, v1=2)


def expected_row(tools, lib, name):
    """FILENAME, ARTIST, TITLE, TRACK, TIME, ID3TAG as `list --view 1` shows them."""
    tags = dict(SONGS)[name]
    path = tools.native(os.path.join(lib, name))
    if tags is None:
        base = os.path.basename(name)
        return [path, base[0].upper() + base[1:], " ", " ", "00:03", "None"]
    return [path, tags[0], tags[1], tags[3], "00:03", "ID3v1+v2"]


COLUMNS = ["--columns", "FILENAME,0,TITLE,13,TIME,ID3TAG", "--view", "1"]
TOP = ["a.mp3", "B.MP3", "c.Mp2", "z.mp3"]
ALL = ["a.mp3", "B.MP3", "c.Mp2", "sub/d.mp3", "sub/deeper/e.mp3", "z.mp3"]


def rows(lines):
    return [line.split("\t") for line in lines]


def check_scan_top_folder(tools, work, lib):
    out = os.path.join(work, "top.kq3")
    status, text, err = tools.run("scan", tools.native(lib), "-o", tools.native(out))
    assert status == 0, err
    assert text.startswith("4 files saved"), text
    got = rows(tools.lines("list", tools.native(out), *COLUMNS))
    assert got == [expected_row(tools, lib, n) for n in TOP], got


def check_scan_recursive_matches_folder_listing(tools, work, lib):
    out = os.path.join(work, "all.kq3")
    status, _, err = tools.run("scan", "-r", tools.native(lib), "-o", tools.native(out))
    assert status == 0, err
    from_file = tools.lines("list", tools.native(out), *COLUMNS)
    assert rows(from_file) == [expected_row(tools, lib, n) for n in ALL], from_file
    # Every column of the saved list equals what reading the files gives.
    every = ["--columns", ",".join(str(i) for i in range(20))]
    for view in ("0", "1", "2", "3"):
        saved = tools.lines("list", tools.native(out), *every, "--view", view)
        read = tools.lines("list", tools.native(lib), "-r", *every, "--view", view)
        assert saved == read, (view, saved, read)
        assert len(saved) == len(ALL) and all(len(l.split("\t")) == 20 for l in saved)


def check_sort(tools, work, lib):
    got = rows(tools.lines("list", tools.native(lib), "-r", "--columns", "TRACK,ARTIST",
                           "--view", "1", "--sort", "-13"))
    assert [r[0] for r in got] == ["10", "4", "3", "2", "1", " "], got
    got = rows(tools.lines("list", tools.native(lib), "-r", "--columns", "ARTIST",
                           "--view", "1", "--sort", "ARTIST"))
    assert [r[0] for r in got] == ["Alpha", "Beta", "Delta", "Epsilon", "Gamma", "Z.mp3"], got


def check_m3u_relative_paths(tools, work, lib):
    lists = os.path.join(work, "lists")
    os.makedirs(lists, exist_ok=True)
    rel = os.path.relpath(lib, lists).replace(os.sep, "/")
    m3u = os.path.join(lists, "player.m3u")
    with open(m3u, "wb") as f:
        f.write(("\ufeff#EXTM3U\r\n#EXTINF:3,Alpha - First song\r\n%s/a.mp3\r\n"
                 "#EXTINF:3,Delta - Fourth song\r\n%s/sub/./d.mp3\r\n"
                 "#EXTINF:0,skip\r\n%s/skip.wav\r\n%s/z.mp3" % (rel, rel, rel, rel)).encode("utf-8"))
    # Run from another folder: relative paths belong to the playlist's folder.
    got = rows(tools.lines("list", tools.native(m3u), *COLUMNS, cwd=work))
    assert got == [expected_row(tools, lib, n) for n in ("a.mp3", "sub/d.mp3", "z.mp3")], got
    plain = os.path.join(lists, "plain.m3u")
    with open(plain, "wb") as f:
        f.write(("%s/a.mp3\n%s/B.MP3\n%s/c.Mp2\n" % (rel, rel, rel)).encode("ascii"))
    got = rows(tools.lines("list", tools.native(plain), *COLUMNS, cwd=work))
    assert got == [expected_row(tools, lib, n) for n in ("B.MP3", "c.Mp2")], got


def check_pls_version2(tools, work, lib):
    lists = os.path.join(work, "lists")
    os.makedirs(lists, exist_ok=True)
    rel = os.path.relpath(lib, lists).replace(os.sep, "/")
    pls = os.path.join(lists, "player.pls")
    with open(pls, "wb") as f:
        f.write(("[playlist]\r\nFile2=%s/B.MP3\r\nTitle2=Beta - Second song\r\nLength2=3\r\n"
                 "File1=%s/sub/deeper/e.mp3\r\nTitle1=Epsilon\r\nLength1=3\r\n"
                 "NumberOfEntries=2\r\nVersion=2\r\n" % (rel, rel)).encode("ascii"))
    got = rows(tools.lines("list", tools.native(pls), *COLUMNS))
    assert got == [expected_row(tools, lib, n) for n in ("B.MP3", "sub/deeper/e.mp3")], got


def check_damaged_files(tools, work, lib):
    bad_pls = os.path.join(work, "bad.pls")
    with open(bad_pls, "wb") as f:
        f.write(b"\r\n[playlist]\r\nFile1=a.mp3\r\n")
    status, out, err = tools.run("list", tools.native(bad_pls))
    assert status == 1 and out == "" and "Bad file: PLS playlist" in err, (status, out, err)

    with open(os.path.join(work, "all.kq3"), "rb") as f:
        good = f.read()
    cut = os.path.join(work, "cut.kq3")
    for size in (len(good) - 1, len(good) // 2, 20):
        with open(cut, "wb") as f:
            f.write(good[:size])
        status, out, err = tools.run("list", tools.native(cut))
        assert status == 1 and out == "" and "Corrupt file: Tunedeck" in err, (size, status, err)
    with open(cut, "wb") as f:
        f.write(good[:11])
    status, out, err = tools.run("list", tools.native(cut))
    assert status == 1 and "Error file: Tunedeck" in err, (status, err)
    with open(cut, "wb") as f:
        f.write(b"KQ4DATA3" + good[8:])
    status, out, err = tools.run("list", tools.native(cut))
    assert status == 1 and "Bad file format: Tunedeck" in err, (status, err)


def check_usage_errors(tools, work, lib):
    for args in (["scan", tools.native(lib)], ["scan", "-o", "x.kq3"], ["list"],
                 ["list", tools.native(lib), "--columns", "20"],
                 ["list", tools.native(lib), "--view", "4"],
                 ["list", tools.native(os.path.join(lib, "a.mp3"))]):
        status, _, err = tools.run(*args)
        assert status == 2 and err, (args, status, err)
    status, _, err = tools.run("scan", tools.native(os.path.join(work, "nowhere")), "-o",
                               tools.native(os.path.join(work, "n.kq3")))
    assert status == 1 and "not a folder" in err, (status, err)


CHECKS = [
    check_scan_top_folder,
    check_scan_recursive_matches_folder_listing,
    check_sort,
    check_m3u_relative_paths,
    check_pls_version2,
    check_damaged_files,
    check_usage_errors,
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runner", help="emulator for the program, e.g. wine64")
    args = parser.parse_args()
    tools = Tools(os.path.abspath(args.cli), args.runner)
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    lib = os.path.join(work, "lib")
    make_library(lib)
    passed = failed = 0
    for check in CHECKS:
        try:
            check(tools, work, lib)
            passed += 1
            print("ok      %s" % check.__name__)
        except Exception:  # noqa: BLE001 - every failure is reported the same way
            failed += 1
            print("FAILED  %s" % check.__name__)
            traceback.print_exc()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
