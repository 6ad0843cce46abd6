#!/usr/bin/python3
"""Checks the tag tool commands (tag, convert, rate) with mutagen.

    check_tools.py --cli PATH/tunedeck --work DIR

Each check runs a `tunedeck` tool command over a lame-made clip and reads the
result back with mutagen: the fields asked for, the frames nobody touched,
the audio bytes, the trace log and the exit status.
"""

import os
import shutil
import stat
import sys

from interop_common import (POPM_EMAIL, audio_of, load_id3, make_clip, need,
                            read_bytes, start, text_of, v1_fields, v1_trailer)
from mutagen.id3 import ID3, APIC, COMM, TALB, TCON, TIT2, TPE1, TRCK, TXXX


def main():
    tools, c, work = start(__doc__)
    clip = make_clip(work)
    clip_audio = audio_of(read_bytes(clip))

    run = tools.run

    def fresh(name):
        path = os.path.join(work, name)
        shutil.copyfile(clip, path)
        return path

    def tagged(name, v1=True):
        path = fresh(name)
        tag = ID3()
        for frame in (TIT2(encoding=1, text="Caf\u00e9 Song"), TPE1(encoding=0, text="Old Band"),
                      TALB(encoding=0, text="Old Album"), TCON(encoding=0, text="Jazz"),
                      TRCK(encoding=0, text="4/10"),
                      COMM(encoding=0, lang="eng", desc="", text="Old comment"),
                      TXXX(encoding=0, desc="custom", text="kept"),
                      APIC(encoding=0, mime="image/png", type=3, desc="cover", data=b"\x89PNG")):
            tag.add(frame)
        tag.save(path, v2_version=3, v1=2 if v1 else 0)
        return path

    def tag_both_with_log():
        path, log = tagged("year.mp3"), os.path.join(work, "year.log")
        rc, out, err = run("tag", "--year", "1999", "--title", "Caf\u00e9 Neu", "--yes",
                           "--log", log, path)
        need(rc == 0, err)
        t = load_id3(path)
        need(t.version[:2] == (2, 3), t.version)
        need([text_of(t, f) for f in ("TYER", "TIT2", "TPE1", "TRCK")] ==
            [["1999"], ["Caf\u00e9 Neu"], ["Old Band"], ["4/10"]])
        need(str(t.getall("TXXX")[0].text[0]) == "kept" and t.getall("APIC")[0].data == b"\x89PNG")
        v1 = v1_fields(path)
        need((v1["TDRC"], v1["TIT2"], v1["TPE1"]) == ("1999", "Caf\u00e9 Neu", "Old Band"), v1)
        need(audio_of(read_bytes(path)) == clip_audio)
        lines = read_bytes(log).split(b"\r\n")
        need(lines[:2] == [b"Tunedeck for Winamp", b"-" * 22], lines)
        need(lines[2].startswith(b"Date: ") and len(lines[2]) == 22, lines[2])
        need(lines[4] == b"Mass set ID3v1+v2 TAG 1 files (Trace LOG)", lines[4])
        need(lines[6] == b"file1=(Success): " + path.encode(), lines[6])
        need(b"Mass set ID3TAG on 1 file(s)" in out, out)

    def tag_single_version():
        path = tagged("empty.mp3")
        rc, _, err = run("tag", "--album", "", "--comment=", "--v2", "-y", path)
        need(rc == 0, err)
        t = load_id3(path)
        need(t.getall("TALB") == [] and t.getall("COMM") == [], "empty value removes the frame")
        need(v1_fields(path)["TALB"] == "Old Album", "ID3v1 untouched with --v2")
        path = fresh("bare.mp3")
        rc, _, err = run("tag", "--v1", "--artist", "Band", "--genre", "Rock", "--track", "7",
                         "-y", path)
        need(rc == 0 and load_id3(path) is None, err)
        need(v1_fields(path) == {"TPE1": "Band", "TCON": "Rock", "TRCK": "7"}, v1_fields(path))
        need(os.path.getsize(path) == os.path.getsize(clip) + 128)
        path = fresh("named song.mp3")
        rc, _, err = run("tag", "--v2", "--year", "2001", "-y", path)
        t = load_id3(path)
        need(rc == 0 and text_of(t, "TYER") == ["2001"], err)
        need(t.getall("TPE1") == [], "no artist made from the file name")
        need(audio_of(read_bytes(path)) == clip_audio)

    def convert():
        # Copies and removals are read back with mutagen in run_interop.py;
        # here the command itself: its summary, and a failure with nothing to copy.
        path = fresh("v1.mp3")
        with open(path, "ab") as f:
            f.write(v1_trailer("Song", "Band", "", "1999", "", 17, 3))
        rc, out, err = run("convert", "v1-to-v2", "-y", path)
        need(rc == 0 and b"Copy ID3v1 --> ID3v2 on 1 file(s)" in out, (err, out))
        need(text_of(load_id3(path), "TCON") == ["Rock"])
        # Nothing to copy from: a failure, the file untouched.
        path, log = fresh("nothing.mp3"), os.path.join(work, "nothing.log")
        rc, _, _ = run("convert", "v1-to-v2", "-y", "--log", log, path)
        need(rc == 1 and read_bytes(path) == read_bytes(clip))
        need(b"file1=(Failed): " in read_bytes(log))

    def rate():
        a, b = tagged("rate_a.mp3"), fresh("rate_b.mp3")
        rc, out, err = run("rate", "4", "-y", a, b)
        need(rc == 0 and b"2 / 2 Total" in out, (err, out))
        for path in (a, b):
            popm = load_id3(path).getall("POPM")
            need(len(popm) == 1 and popm[0].email == POPM_EMAIL, popm)
            need(129 <= popm[0].rating <= 196, popm[0].rating)
            need(audio_of(read_bytes(path)) == clip_audio)
        need(text_of(load_id3(a), "TIT2") == ["Caf\u00e9 Song"], "other frames stay")

    def failures_and_exit_status():
        good, missing, ro = tagged("good.mp3"), os.path.join(work, "missing.mp3"), tagged("ro.mp3")
        os.chmod(ro, stat.S_IRUSR)
        ro_before, log = read_bytes(ro), os.path.join(work, "fail.log")
        rc, out, err = run("tag", "--year", "2020", "-y", "--log", log, good, missing, ro)
        need(rc == 1 and "Failed: " in err, (rc, err))
        need(text_of(load_id3(good), "TYER") == ["2020"], "good file written")
        need(read_bytes(ro) == ro_before and not os.path.exists(missing))
        text = read_bytes(log)
        need(all(x in text for x in (b"file1=(Success)", b"file2=(Failed)", b"file3=(Failed)")))
        need(b"Mass set ID3TAG on 3 file(s)" in out, out)
        # Forced with --force: written, and read-only again afterwards.
        rc, _, err = run("tag", "--year", "2021", "-y", "--force", ro)
        need(rc == 0 and text_of(load_id3(ro), "TYER") == ["2021"], err)
        need(not os.stat(ro).st_mode & stat.S_IWUSR, "read-only again")
        os.chmod(ro, stat.S_IRUSR | stat.S_IWUSR)
        # Without --yes the question is asked; no and end of input leave the file.
        path = tagged("ask.mp3")
        before = read_bytes(path)
        rc, _, err = run("convert", "remove-v2", path, stdin=b"n\n")
        need(rc == 1 and "Remove ID3v2 on 1 file(s) ?" in err, err)
        need(run("convert", "remove-v2", path, stdin=b"")[0] == 1)
        need(read_bytes(path) == before)
        need(run("convert", "remove-v2", path, stdin=b"y\n")[0] == 0 and load_id3(path) is None)
        for argv in (["tag", "-y", clip], ["convert", "swap", clip], ["rate", "6", clip]):
            need(run(*argv)[0] == 2, argv)

    for fn in (tag_both_with_log, tag_single_version, convert, rate, failures_and_exit_status):
        c.step(fn.__name__, fn)
    return c.finish("tools")


if __name__ == "__main__":
    sys.exit(main())
