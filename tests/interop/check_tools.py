#!/usr/bin/python3
"""Checks the tool commands (tag, convert, from-name, rename, organize) with
mutagen.

    check_tools.py --cli PATH/tunedeck --work DIR

Each check runs a `tunedeck` tool command over copies of a lame-made clip
and reads the result back with mutagen: the fields asked for, the frames
nobody touched, the audio bytes, the names the files end up under, the trace
log and the exit status.
"""

import os
import stat
import sys

from interop_common import Clips, audio_of, load_id3, need, read_bytes, start, texts, v1_fields
from mutagen.id3 import COMM, TALB, TIT2, TPE1


def main():
    tools, c, work = start(__doc__)
    clips = Clips(work)
    run = tools.run

    def tagged(name):
        return clips.copy(name, TIT2(encoding=1, text="Caf\u00e9 Song"), TPE1(encoding=0, text="Old Band"),
                          COMM(encoding=0, lang="eng", desc="", text="Old comment"), v1=2)

    def failures_and_questions():
        good, ro = tagged("good.mp3"), tagged("ro.mp3")
        missing, log = os.path.join(work, "missing.mp3"), os.path.join(work, "fail.log")
        os.chmod(ro, stat.S_IRUSR)
        ro_before = read_bytes(ro)
        rc, out, err = run("tag", "--year", "2020", "-y", "--log", log, good, missing, ro)
        need(rc == 1 and "Failed: " in err, (rc, err))
        need(texts(good)["TYER"] == "2020" and read_bytes(ro) == ro_before and not os.path.exists(missing))
        text = read_bytes(log)
        need(all(x in text for x in (b"file1=(Success): " + good.encode(), b"file2=(Failed)", b"file3=(Failed)")))
        # Forced with --force: written, and read-only again afterwards.
        tools.ok("tag", "--year", "2021", "-y", "--force", ro)
        need(texts(ro)["TYER"] == "2021" and not os.stat(ro).st_mode & stat.S_IWUSR)
        # Without --yes the question is asked; no and end of input leave the file.
        path = tagged("ask.mp3")
        before = read_bytes(path)
        rc, _, err = run("convert", "remove-v2", path, stdin=b"n\n")
        need(rc == 1 and "?" in err and run("convert", "remove-v2", path, stdin=b"")[0] == 1, err)
        need(read_bytes(path) == before)
        need(run("convert", "remove-v2", path, stdin=b"y\n")[0] == 0 and load_id3(path) is None)

    def from_name():
        d = clips.folder("from-name")
        for name, pattern, want in (
                ("03 - Some Band - A Song.mp3", "%N - %A - %T", {"TRCK": "3", "TPE1": "Some Band", "TIT2": "A Song"}),
                ("Band - Song - Live.mp3", "%A - %T", {"TPE1": "Band", "TIT2": "Song - Live"}),
                ("[07] Caf\u00e9.mp3", "[%N] %T", {"TRCK": "7", "TIT2": "Caf\u00e9"})):
            path = clips.copy(os.path.join(d, name))
            tools.ok("from-name", pattern, "--yes", path)
            need({k: texts(path).get(k) for k in want} == want, (name, texts(path)))
            need({k: v1_fields(path).get(k) for k in want} == want, (name, v1_fields(path)))
            need(audio_of(path) == clips.audio, name)

    def rename():
        # A taken name is not overwritten; hostile tags stay one name in the
        # folder; every name gets the .mp3 extension.
        d = clips.folder("rename")
        a = clips.copy("rename/a.mp2", TPE1(encoding=0, text="AC/DC"), TIT2(encoding=0, text="Why?"))
        b = clips.copy("rename/b.mp3", TPE1(encoding=0, text="AC/DC"), TIT2(encoding=0, text="Why?"),
                       TALB(encoding=0, text="b"))
        h = clips.copy("rename/c.mp3", TPE1(encoding=0, text="X"), TIT2(encoding=0, text="../../etc/CON"))
        contents = [read_bytes(p) for p in (a, b, h)]
        rc, _, err = run("rename", "%A - %T", "--source", "1", "--yes", a, b, h)
        need(rc == 1 and "b.mp3" in err, (rc, err))
        names = ["AC DC - Why .mp3", "b.mp3", "X - .. .. etc CON.mp3"]
        need(sorted(os.listdir(d)) == sorted(names), os.listdir(d))
        need([read_bytes(os.path.join(d, name)) for name in names] == contents)

    def organize():
        d = clips.folder("organize")
        target = clips.folder("organize/target")
        band = (TPE1(encoding=0, text="Band"), TALB(encoding=0, text="Live"))
        one = clips.copy("organize/src/01.mp3", *band)
        two = clips.copy("organize/src/sub/01.mp3", *band)
        contents = read_bytes(one), read_bytes(two)
        log = os.path.join(d, "log.txt")
        tools.ok("organize", "--target", target, "--layout", "3", "--source", "v2", "--yes", "--log", log, one, two)
        live = os.path.join(target, "Band", "Live")
        need((read_bytes(os.path.join(live, "01.mp3")), read_bytes(os.path.join(live, "01(1).mp3"))) == contents)
        need(not os.path.exists(one) and not os.path.exists(two))
        need("file2=(Success): %s --> %s" % (two, os.path.join(live, "01(1).mp3")) in read_bytes(log).decode())

    return c.run_all("tools", failures_and_questions, from_name, rename, organize)


if __name__ == "__main__":
    sys.exit(main())
