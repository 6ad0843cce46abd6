#!/usr/bin/python3
"""Checks the tag tool commands (tag, convert, rate) with mutagen.

    check_tools.py --cli PATH/tunedeck --work DIR

Each check copies a lame-made clip, tags it with mutagen where it needs
tags, runs a `tunedeck` tool command over it and reads the result back with
mutagen: the fields asked for, the frames nobody touched, the audio bytes,
the trace log and the exit status. Ends with a "N passed, N failed" line and
exits non-zero on any failure.
"""

import argparse
import os
import shutil
import stat
import subprocess
import sys
import traceback

try:
    from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1
    from mutagen.id3 import APIC, COMM, POPM, TALB, TCON, TIT2, TPE1, TRCK, TXXX, TYER
except ImportError:
    sys.exit("check_tools.py: python3-mutagen is required (run with /usr/bin/python3)")

POPM_EMAIL = "Tunedeck plug-ins for Winamp"


class Checker:
    def __init__(self, cli, work):
        self.cli = cli
        self.work = work
        self.passed = 0
        self.failed = 0
        self.clip = None

    # --- files ------------------------------------------------------------

    def make_clip(self):
        wav = os.path.join(self.work, "tone.wav")
        self.clip = os.path.join(self.work, "clip.mp3")
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", wav, "synth", "1.5", "sine", "440"],
                       check=True)
        subprocess.run(["lame", "--quiet", "-b", "128", wav, self.clip], check=True)

    def fresh(self, name):
        path = os.path.join(self.work, name)
        if os.path.exists(path):
            os.chmod(path, stat.S_IWUSR | stat.S_IRUSR)
            os.remove(path)
        shutil.copyfile(self.clip, path)
        return path

    def tagged(self, name, v1=True):
        """A clip with a rich ID3v2.3 tag (and an ID3v1 trailer)."""
        path = self.fresh(name)
        tag = ID3()
        tag.add(TIT2(encoding=1, text="Caf\u00e9 Song"))
        tag.add(TPE1(encoding=0, text="Old Band"))
        tag.add(TALB(encoding=0, text="Old Album"))
        tag.add(TCON(encoding=0, text="Jazz"))
        tag.add(TRCK(encoding=0, text="4/10"))
        tag.add(COMM(encoding=0, lang="eng", desc="", text="Old comment"))
        tag.add(TXXX(encoding=0, desc="custom", text="kept"))
        tag.add(APIC(encoding=0, mime="image/png", type=3, desc="cover", data=b"\x89PNG fake"))
        tag.save(path, v2_version=3, v1=2 if v1 else 0)
        return path

    def with_v1(self, name, title, artist, genre_number, track):
        path = self.fresh(name)
        with open(path, "ab") as f:
            f.write(v1_trailer(title, artist, "", "1999", "", genre_number, track))
        return path

    # --- running ----------------------------------------------------------

    def run(self, *args, stdin=None):
        return subprocess.run([self.cli] + list(args), input=stdin, capture_output=True,
                              timeout=120)

    def check(self, name, fn):
        try:
            fn()
            self.passed += 1
            print("ok   " + name)
        except Exception:  # noqa: BLE001 - report every failure and go on
            self.failed += 1
            print("FAIL " + name)
            traceback.print_exc()


def v1_trailer(title, artist, album, year, comment, genre, track):
    def field(text, width):
        return text.encode("cp1252")[:width].ljust(width, b"\0")
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
            field(comment, 28) + b"\0" + bytes([track, genre]))


def id3(path):
    """The ID3v2 tag alone (mutagen would otherwise fall back to ID3v1)."""
    tag = ID3()
    tag.load(path, translate=False, load_v1=False)
    return tag


def id3_or_none(path):
    try:
        return id3(path)
    except ID3NoHeaderError:
        return None


def id3v1(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 128 or data[-128:-125] != b"TAG":
        return None
    frames = ParseID3v1(data[-128:])
    if not frames:
        return {}
    fields = {k: str(v) for k, v in frames.items()}
    if "TCON" in frames:
        fields["TCON"] = frames["TCON"].genres[0] if frames["TCON"].genres else ""
    return fields


def audio_bytes(path):
    """The MPEG stream between the ID3v2 tag and the ID3v1 trailer."""
    with open(path, "rb") as f:
        data = f.read()
    start = 0
    if data[:3] == b"ID3":
        size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
        start = 10 + size
        while start < len(data) and data[start] == 0:  # padding beyond the size
            start += 1
    end = len(data) - 128 if data[-128:-125] == b"TAG" else len(data)
    return data[start:end]


def expect(cond, message):
    if not cond:
        raise AssertionError(message)


def expect_eq(got, want, what):
    if got != want:
        raise AssertionError("%s: got %r, want %r" % (what, got, want))


def text_of(tag, frame_id):
    frames = tag.getall(frame_id)
    return str(frames[0].text[0]) if frames and frames[0].text else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    c = Checker(os.path.abspath(args.cli), args.work)
    c.make_clip()
    clip_audio = audio_bytes(c.clip)

    def tag_year_in_both():
        path = c.tagged("year.mp3")
        log = os.path.join(c.work, "year.log")
        r = c.run("tag", "--year", "1999", "--title", "Caf\u00e9 Neu", "--yes", "--log", log, path)
        expect_eq(r.returncode, 0, "exit status")
        t = id3(path)
        expect_eq(t.version[:2], (2, 3), "version")
        expect_eq(text_of(t, "TYER"), "1999", "TYER")
        expect_eq(text_of(t, "TIT2"), "Caf\u00e9 Neu", "TIT2")
        expect_eq(text_of(t, "TPE1"), "Old Band", "TPE1 untouched")
        expect_eq(text_of(t, "TRCK"), "4/10", "TRCK untouched")
        expect_eq(str(t.getall("TXXX")[0].text[0]), "kept", "TXXX carried")
        expect_eq(t.getall("APIC")[0].data, b"\x89PNG fake", "APIC carried")
        v1 = id3v1(path)
        expect_eq(v1.get("TDRC"), "1999", "ID3v1 year")
        expect_eq(v1.get("TIT2").encode("latin-1").decode("cp1252"), "Caf\u00e9 Neu", "ID3v1 title")
        expect_eq(v1.get("TPE1"), "Old Band", "ID3v1 artist untouched")
        expect_eq(audio_bytes(path), clip_audio, "audio")
        with open(log, "rb") as f:
            lines = f.read().split(b"\r\n")
        expect_eq(lines[0], b"Tunedeck for Winamp", "log title")
        expect_eq(lines[1], b"-" * 22, "log rule")
        expect(lines[2].startswith(b"Date: ") and len(lines[2]) == 22, "log date %r" % lines[2])
        expect_eq(lines[4], b"Mass set ID3v1+v2 TAG 1 files (Trace LOG)", "log header")
        expect_eq(lines[6], b"file1=(Success): " + os.path.abspath(path).encode(), "log line")
        expect(b"Mass set ID3TAG on 1 file(s)" in r.stdout, "summary %r" % r.stdout)

    def tag_empty_field_removes_frame():
        path = c.tagged("empty.mp3")
        r = c.run("tag", "--album", "", "--comment=", "--v2", "-y", path)
        expect_eq(r.returncode, 0, "exit status")
        t = id3(path)
        expect_eq(t.getall("TALB"), [], "TALB removed")
        expect_eq(t.getall("COMM"), [], "COMM removed")
        expect_eq(id3v1(path).get("TALB"), "Old Album", "ID3v1 untouched with --v2")

    def tag_v1_on_untagged():
        path = c.fresh("bare.mp3")
        r = c.run("tag", "--v1", "--artist", "Band", "--genre", "Rock", "--track", "7", "-y", path)
        expect_eq(r.returncode, 0, "exit status")
        expect(id3_or_none(path) is None, "no ID3v2 tag")
        v1 = id3v1(path)
        expect_eq(v1.get("TPE1"), "Band", "artist")
        expect_eq(v1.get("TCON"), "Rock", "genre")
        expect_eq(v1.get("TRCK"), "7", "track")
        expect_eq(v1.get("TIT2", ""), "", "title empty")
        expect_eq(os.path.getsize(path), os.path.getsize(c.clip) + 128, "size")

    def tag_v2_on_untagged_writes_no_file_name():
        path = c.fresh("named song.mp3")
        r = c.run("tag", "--v2", "--year", "2001", "-y", path)
        expect_eq(r.returncode, 0, "exit status")
        t = id3(path)
        expect_eq(text_of(t, "TYER"), "2001", "TYER")
        expect_eq(t.getall("TPE1"), [], "no artist made from the file name")
        expect_eq(audio_bytes(path), clip_audio, "audio")

    def convert_v1_to_v2():
        path = c.with_v1("v1.mp3", "Song", "Band", 17, 3)
        r = c.run("convert", "v1-to-v2", "-y", path)
        expect_eq(r.returncode, 0, "exit status")
        t = id3(path)
        expect_eq(text_of(t, "TIT2"), "Song", "TIT2")
        expect_eq(text_of(t, "TPE1"), "Band", "TPE1")
        expect_eq(text_of(t, "TCON"), "Rock", "TCON")
        expect_eq(text_of(t, "TRCK"), "3", "TRCK")
        expect_eq(text_of(t, "TYER"), "1999", "TYER")
        expect(b"Copy ID3v1 --> ID3v2 on 1 file(s)" in r.stdout, "summary")

    def convert_v2_to_v1():
        path = c.tagged("v2.mp3", v1=False)
        r = c.run("convert", "v2-to-v1", "-y", path)
        expect_eq(r.returncode, 0, "exit status")
        v1 = id3v1(path)
        expect_eq(v1.get("TIT2").encode("latin-1").decode("cp1252"), "Caf\u00e9 Song", "title")
        expect_eq(v1.get("TCON"), "Jazz", "genre")
        expect_eq(v1.get("TRCK"), "4", "track from 4/10")
        expect_eq(v1.get("COMM"), "Old comment", "comment")
        expect_eq(text_of(id3(path), "TIT2"), "Caf\u00e9 Song", "ID3v2 stays")

    def convert_removals():
        for op, has_v1, has_v2 in (("remove-v1", False, True), ("remove-v2", True, False),
                                   ("remove-all", False, False)):
            path = c.tagged(op + ".mp3")
            r = c.run("convert", op, "-y", path)
            expect_eq(r.returncode, 0, op + " exit status")
            expect_eq(id3v1(path) is not None, has_v1, op + " ID3v1")
            expect_eq(id3_or_none(path) is not None, has_v2, op + " ID3v2")
            expect_eq(audio_bytes(path), clip_audio, op + " audio")

    def convert_without_source_fails():
        path = c.fresh("nothing.mp3")
        log = os.path.join(c.work, "nothing.log")
        r = c.run("convert", "v1-to-v2", "-y", "--log", log, path)
        expect_eq(r.returncode, 1, "exit status")
        with open(path, "rb") as f, open(c.clip, "rb") as g:
            expect(f.read() == g.read(), "file untouched")
        with open(log, "rb") as f:
            expect(b"file1=(Failed): " in f.read(), "log says Failed")

    def rate_stores_popm():
        a = c.tagged("rate_a.mp3")
        b = c.fresh("rate_b.mp3")
        r = c.run("rate", "4", "-y", a, b)
        expect_eq(r.returncode, 0, "exit status %r" % r.stderr)
        for path in (a, b):
            popm = id3(path).getall("POPM")
            expect_eq(len(popm), 1, "one POPM")
            expect_eq(popm[0].email, POPM_EMAIL, "POPM e-mail")
            expect(129 <= popm[0].rating <= 196, "4 stars byte %d" % popm[0].rating)
            expect_eq(audio_bytes(path), clip_audio, "audio")
        expect_eq(text_of(id3(a), "TIT2"), "Caf\u00e9 Song", "other frames stay")
        expect(b"2 / 2 Total" in r.stdout, "count line %r" % r.stdout)

    def failures_and_exit_status():
        good = c.tagged("good.mp3")
        missing = os.path.join(c.work, "missing.mp3")
        ro = c.tagged("readonly.mp3")
        os.chmod(ro, stat.S_IRUSR)
        with open(ro, "rb") as f:
            ro_before = f.read()
        log = os.path.join(c.work, "fail.log")
        r = c.run("tag", "--year", "2020", "-y", "--log", log, good, missing, ro)
        expect_eq(r.returncode, 1, "exit status")
        expect_eq(text_of(id3(good), "TYER"), "2020", "good file written")
        with open(ro, "rb") as f:
            expect(f.read() == ro_before, "read-only file untouched")
        expect(not os.path.exists(missing), "missing file not created")
        with open(log, "rb") as f:
            text = f.read()
        expect(b"file1=(Success)" in text and b"file2=(Failed)" in text and
               b"file3=(Failed)" in text, "log lines")
        expect(b"Failed: " in r.stderr, "failures named")
        expect(b"Mass set ID3TAG on 3 file(s)" in r.stdout, "summary counts every file")
        # Forced with --force: written, and read-only again afterwards.
        r = c.run("tag", "--year", "2021", "-y", "--force", ro)
        expect_eq(r.returncode, 0, "forced exit status")
        expect_eq(text_of(id3(ro), "TYER"), "2021", "forced write")
        expect(not os.stat(ro).st_mode & stat.S_IWUSR, "read-only again")
        os.chmod(ro, stat.S_IRUSR | stat.S_IWUSR)

    def confirmation_from_stdin():
        path = c.tagged("ask.mp3")
        with open(path, "rb") as f:
            before = f.read()
        r = c.run("convert", "remove-v2", path, stdin=b"n\n")
        expect_eq(r.returncode, 1, "answered no")
        expect(b"Remove ID3v2 on 1 file(s) ?" in r.stderr, "question %r" % r.stderr)
        with open(path, "rb") as f:
            expect(f.read() == before, "nothing done")
        r = c.run("convert", "remove-v2", path, stdin=b"")
        expect_eq(r.returncode, 1, "end of input is no")
        r = c.run("convert", "remove-v2", path, stdin=b"y\n")
        expect_eq(r.returncode, 0, "answered yes")
        expect(id3_or_none(path) is None, "ID3v2 removed")

    def usage_errors():
        for argv in (["tag", "-y", c.clip], ["tag", "--year"], ["convert", "swap", c.clip],
                     ["convert", "remove-v1"], ["rate", "6", c.clip], ["rate", "3"],
                     ["tag", "--bogus", "x", c.clip]):
            r = c.run(*argv)
            expect_eq(r.returncode, 2, " ".join(argv[:2]))

    for name, fn in (("tag: year and title in both tags", tag_year_in_both),
                     ("tag: empty field removes the frame", tag_empty_field_removes_frame),
                     ("tag: ID3v1 on an untagged file", tag_v1_on_untagged),
                     ("tag: ID3v2 on an untagged file", tag_v2_on_untagged_writes_no_file_name),
                     ("convert v1-to-v2", convert_v1_to_v2),
                     ("convert v2-to-v1", convert_v2_to_v1),
                     ("convert removals", convert_removals),
                     ("convert without the source tag", convert_without_source_fails),
                     ("rate", rate_stores_popm),
                     ("failures and exit status", failures_and_exit_status),
                     ("confirmation on standard input", confirmation_from_stdin),
                     ("usage errors", usage_errors)):
        c.check(name, fn)
    print("%d passed, %d failed" % (c.passed, c.failed))
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
