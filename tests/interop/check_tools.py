#!/usr/bin/python3
"""Checks the tool commands on real files, read back with mutagen: the fields
asked for, the trace log and the exit status; and that the files stay safe
from concurrent writers, kills, links, size limits and FIFOs.

    check_tools.py --cli PATH/tunedeck --work DIR

POSIX only: the checks use fork/kill, symbolic and hard links, FIFOs and
resource limits.
"""

import os
import random
import re
import resource
import signal
import stat
import subprocess
import sys
import time

from interop_common import Clips, audio_of, load_id3, need, read_bytes, start, text_of, texts
from mutagen.id3 import COMM, TIT2, TPE1


def temporaries(folder):
    return sorted(n for n in os.listdir(folder) if re.fullmatch(r"~td[0-9a-f]+-[0-9a-f]+\.tmp", n))


def main():
    tools, c, work = start(__doc__)
    clips = Clips(work)
    run = tools.run

    def tagged(name):
        return clips.copy(name, TIT2(encoding=1, text="Caf\u00e9 Song"), TPE1(encoding=0, text="Old Band"),
                          COMM(encoding=0, lang="eng", desc="", text="Old comment"), v1=2)

    def tagging(*args, **kwargs):
        return subprocess.Popen([tools.cli, "tag", "--yes", *args], stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, **kwargs)

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
        # Without --yes the question is asked; no and end of input leave the file.
        path = tagged("ask.mp3")
        before = read_bytes(path)
        rc, _, err = run("convert", "remove-v2", path, stdin=b"n\n")
        need(rc == 1 and "?" in err and run("convert", "remove-v2", path, stdin=b"")[0] == 1, err)
        need(read_bytes(path) == before)
        need(run("convert", "remove-v2", path, stdin=b"y\n")[0] == 0 and load_id3(path) is None)

    def concurrent_writers():
        long_a, long_b = "A" * 2000, "B" * 4000
        for _ in range(6):
            path = clips.copy("concurrent/c.mp3")
            writers = [tagging("--title", long_a, path), tagging("--title", long_b, path)]
            results = [(p.wait(), p.stderr.read().decode()) for p in writers]
            title = text_of(load_id3(path), "TIT2")
            c.check(title in ([long_a], [long_b]) and audio_of(path) == clips.audio,
                    "one writer's whole title, the audio intact", title and title[0][:20])
            c.check(any(rc == 0 for rc, _ in results) and all(rc == 0 or "another" in err for rc, err in results),
                    "one writer succeeded, the other names its reason", results)
            c.equal(temporaries(os.path.dirname(path)), [], "no temporary file left")

    def killed_runs():
        big = clips.copy("killed/big.mp3", data=clips.bytes + clips.audio * 400)
        original = audio_of(big)
        rng = random.Random(15)
        for _ in range(8):
            p = tagging("--comment", "x" * rng.randint(3000, 9000), big)
            time.sleep(rng.uniform(0.0, 0.08))
            p.send_signal(signal.SIGKILL)
            p.wait()
            c.equal(audio_of(big), original, "audio intact after a kill")

    def size_limit():
        path = clips.copy("limit/s.mp3")

        def limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (len(clips.bytes) // 2, resource.RLIM_INFINITY))

        p = tagging("--title", "T" * 3000, path, preexec_fn=limit)
        c.check(p.wait() == 1 and "too large" in p.stderr.read().decode(), "a size limit fails the file, with a reason")
        c.equal((read_bytes(path), temporaries(os.path.dirname(path))), (clips.bytes, []),
                "song untouched, no temporary")

    def links():
        real = clips.copy("links/real.mp3")
        folder = os.path.dirname(real)
        link = os.path.join(folder, "link.mp3")
        os.symlink(real, link)
        os.chmod(real, 0o640)
        rc, _, err = run("tag", "--yes", "--title", "L" * 3000, link)
        c.equal((rc, os.path.islink(link), text_of(load_id3(real), "TIT2"), stat.S_IMODE(os.stat(real).st_mode)),
                (0, True, ["L" * 3000], 0o640), "tagging through a link tags the song, keeps link and mode: " + err)
        hard = os.path.join(folder, "hard.mp3")
        os.link(real, hard)
        rc, _, err = run("tag", "--yes", "--comment", "C" * 5000, real)
        c.check(rc == 1 and "hard links" in err, "a rewrite of a hard-linked song is refused, saying why", err)
        c.equal(read_bytes(hard), read_bytes(real), "the names still share the song")

    def fifo_and_unreadable():
        good = clips.copy("fifo/good.mp3")
        folder = os.path.dirname(good)
        os.mkfifo(os.path.join(folder, "pipe.mp3"))
        os.mkdir(os.path.join(folder, "folder.mp3"))
        os.symlink("loop.mp3", os.path.join(folder, "loop.mp3"))
        m3u = clips.copy("fifo/list.m3u", data=b"pipe.mp3\ngood.mp3\n")
        kq3 = os.path.join(work, "fifo.kq3")
        for args in (("scan", folder, "-o", kq3), ("list", folder), ("info", os.path.join(folder, "pipe.mp3"))):
            rc, out, err = run(*args)
            c.check(rc == 1 and "not a regular file" in err, "%s reports the FIFO" % args[0], err)
        run("list", m3u)  # a playlist keeps its entries, readable or not; it must not hang
        rc, out, _ = run("list", kq3, "--columns", "FILENAME")
        c.equal([os.path.basename(p) for p in out.decode().split()], ["good.mp3"], "only the readable song is listed")

    def failed_export():
        out = clips.copy("export/report.html", data=b"previous report")
        bad = clips.copy("export/bad.kq3", data=b"KQ3 damaged" + bytes(100))
        rc, _, err = run("export", "--format", "html", "-o", out, bad)
        c.equal((rc, read_bytes(out)), (1, b"previous report"), "a damaged source fails the export, OUT kept: " + err)

    return c.run_all("tools", failures_and_questions, concurrent_writers, killed_runs, size_limit, links,
                     fifo_and_unreadable, failed_export)


if __name__ == "__main__":
    sys.exit(main())
