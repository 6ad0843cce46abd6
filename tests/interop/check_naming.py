#!/usr/bin/python3
"""Checks the naming commands (from-name, rename, organize) with mutagen.

    check_naming.py --cli PATH/tunedeck --work DIR

from-name: lame-made clips named after their songs are tagged from their
names; mutagen must read the fields the pattern gives, in ID3v2 and in the
ID3v1 trailer, and the audio must be the clip's to the byte. rename and
organize: clips tagged by mutagen (hostile texts included) must end up under
the expected names, inside their directory or the target, byte for byte the
files they were, and never over another file. Ends with a "N passed, N failed"
line and exits non-zero on any failure.
"""

import argparse
import os
import shutil
import subprocess
import sys
import traceback

try:
    from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1
    from mutagen.id3 import TALB, TCON, TIT2, TPE1, TRCK
except ImportError:
    sys.exit("check_naming.py: python3-mutagen is required (run with /usr/bin/python3)")


def audio_of(data):
    """The bytes between an ID3v2 tag and an ID3v1 trailer."""
    start = 0
    if data[:3] == b"ID3":
        size = 0
        for b in data[6:10]:
            size = (size << 7) | (b & 0x7F)
        start = 10 + size
    end = len(data) - 128 if data[-128:-125] == b"TAG" else len(data)
    return data[start:end]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def frames(path):
    try:
        tag = ID3(path)
    except ID3NoHeaderError:
        return {}
    return {key: str(tag[key].text[0]) if tag[key].text else "" for key in tag.keys()}


def id3v1(path):
    data = read(path)
    if data[-128:-125] != b"TAG":
        return None
    return {k: str(v.text[0]) for k, v in (ParseID3v1(data[-128:]) or {}).items()}


class Checker:
    def __init__(self, cli, work):
        self.cli = cli
        self.work = work
        self.passed = 0
        self.failed = 0

    def make_clip(self):
        wav = os.path.join(self.work, "tone.wav")
        self.clip = os.path.join(self.work, "clip.mp3")
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", wav, "synth", "1.2", "sine", "330"],
                       check=True)
        subprocess.run(["lame", "--quiet", "-b", "128", wav, self.clip], check=True)
        self.clip_bytes = read(self.clip)

    def folder(self, name):
        path = os.path.join(self.work, name)
        if os.path.exists(path):
            shutil.rmtree(path)
        os.makedirs(path)
        return path

    def clip_at(self, path, tags=None):
        shutil.copyfile(self.clip, path)
        if tags:
            tag = ID3()
            for frame in tags:
                tag.add(frame)
            tag.save(path, v2_version=3)
        return read(path)

    def run(self, *args):
        proc = subprocess.run([self.cli] + list(args), stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=300)
        return proc.returncode, proc.stdout.decode("utf-8"), proc.stderr.decode("utf-8")

    def check(self, name, func):
        try:
            func()
            self.passed += 1
            print("PASS", name)
        except Exception:
            self.failed += 1
            print("FAIL", name)
            traceback.print_exc()

    # --- from-name --------------------------------------------------------

    def from_name_documented(self):
        d = self.folder("from-name")
        cases = [
            ("03 - Some Band - A Song.mp3", "%N - %A - %T",
             {"TRCK": "3", "TPE1": "Some Band", "TIT2": "A Song"}),
            ("Band - Song - Live.mp3", "%A - %T", {"TPE1": "Band", "TIT2": "Song - Live"}),
            ("[07] Intro.mp3", "[%N] %T", {"TRCK": "7", "TIT2": "Intro"}),
            ("Caf\u00e9 - Cr\u00e8me br\u00fbl\u00e9e.mp3", "%A - %T",
             {"TPE1": "Caf\u00e9", "TIT2": "Cr\u00e8me br\u00fbl\u00e9e"}),
        ]
        for name, pattern, expected in cases:
            path = os.path.join(d, name)
            self.clip_at(path)
            status, out, err = self.run("from-name", pattern, "--yes", path)
            assert status == 0, (name, status, err)
            got = frames(path)
            for key, value in expected.items():
                assert got.get(key) == value, (name, key, got)
            v1 = id3v1(path)
            assert v1 is not None, name
            if "TIT2" in expected:
                assert v1["TIT2"] == expected["TIT2"][:30], (name, v1)
            if "TRCK" in expected:
                assert v1["TRCK"] == expected["TRCK"], (name, v1)
            assert audio_of(read(path)) == self.clip_bytes, name

    def from_name_v2_only_keeps_other_frames(self):
        d = self.folder("from-name-v2")
        path = os.path.join(d, "Artist X - Title Y.mp3")
        self.clip_at(path, [TALB(encoding=0, text="Kept Album"), TIT2(encoding=0, text="Old")])
        log = os.path.join(d, "log.txt")
        status, _, err = self.run("from-name", "%A - %T", "--v2", "--yes", "--log", log, path)
        assert status == 0, err
        got = frames(path)
        assert got["TPE1"] == "Artist X" and got["TIT2"] == "Title Y", got
        assert got["TALB"] == "Kept Album", got
        assert id3v1(path) is None
        text = read(log).decode("latin-1")
        assert "Write ID3v2 Tag from 1 files (Trace LOG)" in text, text
        assert "file1=(Success): " + path in text, text

    # --- rename -----------------------------------------------------------

    def rename_documented(self):
        d = self.folder("rename")
        src = os.path.join(d, "x.mp2")
        before = self.clip_at(src, [TPE1(encoding=0, text="AC/DC"), TIT2(encoding=0, text="Why?"),
                                    TRCK(encoding=0, text="3")])
        status, _, err = self.run("rename", "%N - %A - %T", "--source", "1", "--yes", src)
        assert status == 0, err
        assert os.listdir(d) == ["03 - AC DC - Why .mp3"], os.listdir(d)
        assert read(os.path.join(d, "03 - AC DC - Why .mp3")) == before

    def rename_existing_target_and_hostile_titles(self):
        d = self.folder("rename-taken")
        a = os.path.join(d, "a.mp3")
        b = os.path.join(d, "b.mp3")
        c = os.path.join(d, "c.mp3")
        bytes_a = self.clip_at(a, [TIT2(encoding=0, text="Same")])
        bytes_b = self.clip_at(b, [TIT2(encoding=0, text="Same"), TALB(encoding=0, text="b")])
        bytes_c = self.clip_at(c, [TIT2(encoding=0, text="../../etc/CON")])
        status, _, err = self.run("rename", "%T", "--source", "1", "--yes", a, b, c)
        assert status == 1, (status, err)
        assert "b.mp3" in err, err
        assert sorted(os.listdir(d)) == [".. .. etc CON.mp3", "Same.mp3", "b.mp3"], os.listdir(d)
        assert read(os.path.join(d, "Same.mp3")) == bytes_a
        assert read(b) == bytes_b
        assert read(os.path.join(d, ".. .. etc CON.mp3")) == bytes_c

    # --- organize ---------------------------------------------------------

    def organize_layouts_and_numbering(self):
        d = self.folder("organize")
        src = self.folder("organize/src")
        target = self.folder("organize/target")
        one = os.path.join(src, "01.mp3")
        bytes_one = self.clip_at(one, [TPE1(encoding=0, text="Band"), TALB(encoding=0, text="Live")])
        sub = self.folder("organize/src/sub")
        two = os.path.join(sub, "01.mp3")
        bytes_two = self.clip_at(two, [TPE1(encoding=0, text="Band"), TALB(encoding=0, text="Live")])
        log = os.path.join(d, "log.txt")
        status, out, err = self.run("organize", "--target", target, "--layout", "3", "--source",
                                    "v2", "--yes", "--log", log, one, two)
        assert status == 0, err
        live = os.path.join(target, "Band", "Live")
        assert sorted(os.listdir(live)) == ["01(1).mp3", "01.mp3"], os.listdir(live)
        assert read(os.path.join(live, "01.mp3")) == bytes_one
        assert read(os.path.join(live, "01(1).mp3")) == bytes_two
        assert not os.path.exists(one) and not os.path.exists(two)
        text = read(log).decode("latin-1")
        assert "file2=(Success): %s --> %s" % (two, os.path.join(live, "01(1).mp3")) in text, text
        assert "Organize 2 file(s) to target directory: " + target in out, out

    def organize_hostile_tags_stay_inside(self):
        d = self.folder("organize-hostile")
        src = self.folder("organize-hostile/src")
        target = self.folder("organize-hostile/target")
        artists = {"a.mp3": "../../etc", "b.mp3": "C:\\x", "c.mp3": "CON", "d.mp3": "a/b",
                   "e.mp3": "name. ", "f.mp3": "/abs"}
        expected = {"a.mp3": "_/_/etc", "b.mp3": "C_/x", "c.mp3": "_CON", "d.mp3": "a/b",
                    "e.mp3": "name", "f.mp3": "abs"}
        contents = {}
        paths = []
        for name, artist in sorted(artists.items()):
            path = os.path.join(src, name)
            contents[name] = self.clip_at(path, [TPE1(encoding=0, text=artist)])
            paths.append(path)
        status, _, err = self.run("organize", "--target", target, "--source", "v2", "--yes", *paths)
        assert status == 0, err
        for name, sub in expected.items():
            placed = os.path.join(target, *sub.split("/"), name)
            assert read(placed) == contents[name], placed
        assert sorted(os.listdir(d)) == ["src", "target"], os.listdir(d)
        assert os.listdir(src) == []

    def organize_copy_and_no_tag(self):
        self.folder("organize-copy")
        src = self.folder("organize-copy/src")
        target = self.folder("organize-copy/target")
        tagged = os.path.join(src, "song.mp2")
        bytes_tagged = self.clip_at(tagged, [TCON(encoding=0, text="Jazz")])
        untagged = os.path.join(src, "plain.mp3")
        self.clip_at(untagged)
        status, _, err = self.run("organize", "--target", target, "--layout", "2", "--source", "v2",
                                  "--copy", "--yes", tagged, untagged)
        assert status == 1, (status, err)
        assert "plain.mp3" in err, err
        assert read(tagged) == bytes_tagged
        assert read(os.path.join(target, "Jazz", "song.mp3")) == bytes_tagged
        assert os.listdir(target) == ["Jazz"], os.listdir(target)
        assert os.path.exists(untagged)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    checker = Checker(os.path.abspath(args.cli), os.path.abspath(args.work))
    checker.make_clip()
    for name in ["from_name_documented", "from_name_v2_only_keeps_other_frames",
                 "rename_documented", "rename_existing_target_and_hostile_titles",
                 "organize_layouts_and_numbering", "organize_hostile_tags_stay_inside",
                 "organize_copy_and_no_tag"]:
        checker.check(name, getattr(checker, name))
    print("%d passed, %d failed" % (checker.passed, checker.failed))
    return 1 if checker.failed else 0


if __name__ == "__main__":
    sys.exit(main())
