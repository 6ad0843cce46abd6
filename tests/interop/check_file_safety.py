#!/usr/bin/python3
"""Checks that `tunedeck` keeps files safe from concurrent writers, kills,
links, size limits, FIFOs, locks and hostile names.

    check_file_safety.py --cli PATH/tunedeck --work DIR

POSIX only: the checks use fork/kill, symbolic and hard links, FIFOs, locks
and resource limits.
"""

import fcntl
import os
import random
import re
import resource
import signal
import stat
import subprocess
import time

from interop_common import Clips, audio_of, load_id3, read_bytes, start, text_of


def temporaries(folder):
    return sorted(n for n in os.listdir(folder) if re.fullmatch(r"~td[0-9a-f]+-[0-9a-f]+\.tmp", n))


def main():
    tools, c, work = start(__doc__)
    clips = Clips(work)
    clip_bytes = read_bytes(clips.clip)
    run = tools.run

    def song(folder, name, data=clip_bytes):
        folder = os.path.join(work, folder)
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def tagging(*args, **kwargs):
        return subprocess.Popen([tools.cli, "tag", "--yes", *args], stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, **kwargs)

    def concurrent_writers():
        long_a, long_b = "A" * 2000, "B" * 4000
        for _ in range(6):
            path = song("concurrent", "c.mp3")
            writers = [tagging("--title", long_a, path), tagging("--title", long_b, path)]
            results = [(p.wait(), p.stderr.read().decode()) for p in writers]
            title = text_of(load_id3(path), "TIT2")
            c.check(title in ([long_a], [long_b]) and audio_of(path) == clips.audio,
                    "one writer's whole title, the audio intact", title and title[0][:20])
            c.check(any(rc == 0 for rc, _ in results) and all(rc == 0 or "another" in err for rc, err in results),
                    "one writer succeeded, the other names its reason", results)
            c.equal(temporaries(os.path.dirname(path)), [], "no temporary file left")

    def killed_runs():
        big = song("killed", "big.mp3", clip_bytes + clips.audio * 400)
        original = audio_of(big)
        rng = random.Random(15)
        for _ in range(8):
            p = tagging("--comment", "x" * rng.randint(3000, 9000), big)
            time.sleep(rng.uniform(0.0, 0.08))
            p.send_signal(signal.SIGKILL)
            p.wait()
            c.equal(audio_of(big), original, "audio intact after a kill")
        foreign = song("killed", "~tdcopy3.tmp", b"not ours")
        # A later run on the same folder takes the left-overs away.
        rc, _, err = run("tag", "--yes", "--title", "T" * 3000, song("killed", "other.mp3"))
        c.equal((rc, temporaries(os.path.dirname(big)), os.path.exists(foreign)), (0, [], True),
                "a later run removes the stale temporary files, not a file not ours: " + err)

    def size_limit_and_lock():
        path = song("limit", "s.mp3")

        def limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (len(clip_bytes) // 2, resource.RLIM_INFINITY))

        p = tagging("--title", "T" * 3000, path, preexec_fn=limit)
        c.check(p.wait() == 1 and "too large" in p.stderr.read().decode(), "a size limit fails the file, with a reason")
        c.equal((read_bytes(path), temporaries(os.path.dirname(path))), (clip_bytes, []), "song untouched, no temporary")
        with open(path, "rb") as f:
            fcntl.flock(f, fcntl.LOCK_EX)
            rc, _, err = run("tag", "--yes", "--title", "x" * 3000, path)
        c.check(rc == 1 and "Failed: %s: " % path in err and "in use" in err, "a held song fails with its reason", err)

    def links():
        real = song("links", "real.mp3")
        folder = os.path.dirname(real)
        link = os.path.join(folder, "link.mp3")
        victim = song("links", "victim.bin", b"victim")
        for target, name in ((real, link), (victim, real + ".mp3tmp")):
            os.symlink(target, name)
        os.chmod(real, 0o640)
        rc, _, err = run("tag", "--yes", "--title", "L" * 3000, link)
        c.equal((rc, os.path.islink(link), text_of(load_id3(real), "TIT2"), stat.S_IMODE(os.stat(real).st_mode)),
                (0, True, ["L" * 3000], 0o640), "tagging through a link tags the song, keeps link and mode: " + err)
        hard = os.path.join(folder, "hard.mp3")
        os.link(real, hard)
        rc, _, err = run("tag", "--yes", "--comment", "C" * 5000, real)
        c.check(rc == 1 and "hard links" in err, "a rewrite of a hard-linked song is refused, saying why", err)
        c.equal(read_bytes(hard), read_bytes(real), "the names still share the song")
        # Exports and scans write through a link at OUT to the file it names.
        out_real = song("links", "out.m3u", b"old list")
        out_link = os.path.join(folder, "out-link.m3u")
        os.symlink(out_real, out_link)
        os.symlink(victim, out_link + ".tmp~")
        rc, _, err = run("export", "--format", "m3u", "-o", out_link, folder)
        c.check(os.path.islink(out_link) and read_bytes(out_real).startswith(b"#EXTM3U"), "export through a link", err)
        os.symlink(victim, os.path.join(folder, "list.kq3.tmp~"))
        run("scan", folder, "-o", os.path.join(folder, "list.kq3"))
        c.equal(read_bytes(victim), b"victim", "a link at a temporary name is never followed")

    def fifo_and_unreadable():
        good = song("fifo", "good.mp3")
        folder = os.path.dirname(good)
        os.mkfifo(os.path.join(folder, "pipe.mp3"))
        os.mkdir(os.path.join(folder, "folder.mp3"))
        os.symlink("loop.mp3", os.path.join(folder, "loop.mp3"))
        m3u = song("fifo", "list.m3u", b"pipe.mp3\ngood.mp3\n")
        kq3 = os.path.join(work, "fifo.kq3")
        for args in (("scan", folder, "-o", kq3), ("list", folder), ("info", os.path.join(folder, "pipe.mp3"))):
            rc, out, err = run(*args)
            c.check(rc == 1 and "not a regular file" in err, "%s reports the FIFO" % args[0], err)
        run("list", m3u)  # a playlist keeps its entries, readable or not; it must not hang
        rc, out, _ = run("list", kq3, "--columns", "FILENAME")
        c.equal([os.path.basename(p) for p in out.decode().split()], ["good.mp3"], "only the readable song is listed")

    def hostile_names_and_damage():
        song("names", "a.mp3")
        song("names", "evil\n_etc_passwd.mp3")
        for fmt in ("m3u", "pls"):
            out = os.path.join(work, "names." + fmt)
            rc, _, err = run("export", "--format", fmt, "-o", out, os.path.join(work, "names"))
            lines = read_bytes(out).split(b"\r\n")
            c.check(not any(line.startswith(b"_etc") for line in lines) and "left out" in err,
                    "%s: no injected entry, the name reported" % fmt, lines)
        out = song("export", "report.html", b"previous report")
        bad = song("export", "bad.kq3", b"KQ3 damaged" + bytes(100))
        rc, _, err = run("export", "--format", "html", "-o", out, bad)
        c.equal((rc, read_bytes(out)), (1, b"previous report"), "a damaged source fails the export, OUT kept: " + err)

    return c.run_all("file safety", concurrent_writers, killed_runs, size_limit_and_lock, links, fifo_and_unreadable,
                     hostile_names_and_damage)


if __name__ == "__main__":
    raise SystemExit(main())
