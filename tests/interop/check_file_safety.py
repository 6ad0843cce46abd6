#!/usr/bin/python3
"""Checks that `tunedeck` keeps files safe from concurrent writers, kills,
links, size limits, FIFOs and hostile names (short forms of the probes).

    check_file_safety.py --cli PATH/tunedeck --work DIR

POSIX only: the checks use fork/kill, symbolic and hard links, FIFOs and
resource limits.
"""

import json
import os
import random
import re
import resource
import signal
import stat
import subprocess
import sys
import time

from interop_common import ID3, audio_of, load_id3, make_clip, read_bytes, start, text_of


def temporaries(folder):
    return sorted(n for n in os.listdir(folder) if re.fullmatch(r"~td[0-9a-f]+-[0-9a-f]+\.tmp", n))


def main():
    tools, c, work = start(__doc__)
    clip = make_clip(work)
    clip_bytes = read_bytes(clip)
    clip_audio = audio_of(clip_bytes)
    run = tools.run
    cli = tools.cli

    def song(folder, name, data=clip_bytes):
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def concurrent_writers():
        folder = os.path.join(work, "concurrent")
        long_a, long_b = "A" * 2000, "B" * 4000
        for _ in range(6):
            path = song(folder, "c.mp3")
            a = subprocess.Popen([cli, "tag", "--yes", "--title", long_a, path],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            b = subprocess.Popen([cli, "tag", "--yes", "--title", long_b, path],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            results = [(p.wait(), p.stderr.read().decode()) for p in (a, b)]
            data = read_bytes(path)
            c.equal(audio_of(data), clip_audio, "audio intact after two writers")
            title = text_of(load_id3(path), "TIT2")
            c.check(title in ([long_a], [long_b]), "one writer's whole title", title and title[0][:20])
            c.check(any(rc == 0 for rc, _ in results), "one writer succeeded", results)
            for rc, err in results:
                if rc != 0:
                    c.check("another" in err, "the failure names its reason", err)
            c.equal(temporaries(folder), [], "no temporary file left")

    def killed_runs():
        folder = os.path.join(work, "killed")
        big = song(folder, "big.mp3", clip_bytes + audio_of(clip_bytes) * 400)
        original = audio_of(read_bytes(big))
        rng = random.Random(15)
        for _ in range(8):
            p = subprocess.Popen([cli, "tag", "--yes", "--comment", "x" * rng.randint(3000, 9000), big],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.0, 0.08))
            p.send_signal(signal.SIGKILL)
            p.wait()
            c.equal(audio_of(read_bytes(big)), original, "audio intact after a kill")
        foreign = song(folder, "~tdcopy3.tmp", b"not ours")
        # A later run on the same folder takes the left-overs away.
        other = song(folder, "other.mp3")
        rc, _, err = run("tag", "--yes", "--title", "T" * 3000, other)
        c.equal(rc, 0, "later run succeeds")
        c.equal(temporaries(folder), [], "stale temporary files removed: %s" % err)
        c.check(os.path.exists(foreign), "a file not ours is kept")

    def size_limit():
        folder = os.path.join(work, "limit")
        path = song(folder, "s.mp3")

        def limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (len(clip_bytes) // 2, resource.RLIM_INFINITY))

        p = subprocess.run([cli, "tag", "--yes", "--title", "T" * 3000, path], capture_output=True,
                           preexec_fn=limit, timeout=60)
        c.equal(p.returncode, 1, "a size limit fails the file, not the run")
        c.check("too large" in p.stderr.decode(), "the reason is given", p.stderr)
        c.equal(read_bytes(path), clip_bytes, "song untouched")
        c.equal(temporaries(folder), [], "no temporary file left")

    def links():
        folder = os.path.join(work, "links")
        real = song(folder, "real.mp3")
        link = os.path.join(folder, "link.mp3")
        os.symlink(real, link)
        victim = song(folder, "victim.bin", b"victim")
        os.symlink(victim, real + ".mp3tmp")
        os.chmod(real, 0o640)
        rc, _, err = run("tag", "--yes", "--title", "L" * 3000, link)
        c.equal(rc, 0, "tagging through a link: " + err)
        c.check(os.path.islink(link), "the link stays a link")
        c.equal(text_of(load_id3(real), "TIT2"), ["L" * 3000], "the real song is tagged")
        c.equal(stat.S_IMODE(os.stat(real).st_mode), 0o640, "mode kept")
        c.equal(read_bytes(victim), b"victim", "a link at a temporary name is not followed")
        hard = os.path.join(folder, "hard.mp3")
        os.link(real, hard)
        rc, _, err = run("tag", "--yes", "--comment", "C" * 5000, real)
        c.equal(rc, 1, "a rewrite of a hard-linked song is refused")
        c.check("hard links" in err, "and says why", err)
        c.equal(read_bytes(hard), read_bytes(real), "the names still share the song")
        # Exports and scans write through a link at OUT to the file it names.
        out_real = song(folder, "out.m3u", b"old list")
        out_link = os.path.join(folder, "out-link.m3u")
        os.symlink(out_real, out_link)
        os.symlink(victim, out_link + ".tmp~")
        rc, _, err = run("export", "--format", "m3u", "-o", out_link, folder)
        c.check(os.path.islink(out_link) and read_bytes(out_real).startswith(b"#EXTM3U"),
                "export through a link", err)
        os.symlink(victim, os.path.join(folder, "list.kq3.tmp~"))
        rc, _, err = run("scan", folder, "-o", os.path.join(folder, "list.kq3"))
        c.equal(read_bytes(victim), b"victim", "victim untouched by export and scan")

    def damaged_export_source():
        folder = os.path.join(work, "export")
        out = song(folder, "report.html", b"previous report")
        bad = song(folder, "bad.kq3", b"KQ3 damaged" + bytes(100))
        rc, _, err = run("export", "--format", "html", "-o", out, bad)
        c.equal(rc, 1, "a damaged source fails the export")
        c.equal(read_bytes(out), b"previous report", "OUT left as it was: " + err)

    def fifo_and_unreadable():
        folder = os.path.join(work, "fifo")
        good = song(folder, "good.mp3")
        os.mkfifo(os.path.join(folder, "pipe.mp3"))
        os.mkdir(os.path.join(folder, "folder.mp3"))
        os.symlink("loop.mp3", os.path.join(folder, "loop.mp3"))
        m3u = song(folder, "list.m3u", b"pipe.mp3\ngood.mp3\n")
        kq3 = os.path.join(work, "fifo.kq3")
        for args in (("scan", folder, "-o", kq3), ("list", folder), ("info", os.path.join(folder, "pipe.mp3")),
                     ("list", m3u)):
            try:
                rc, out, err = run(*args)
            except subprocess.TimeoutExpired:
                c.check(False, "%s returns" % args[0])
                continue
            if args[1] == m3u:
                continue  # a playlist keeps its entries, readable or not; it must not hang
            c.equal(rc, 1, "%s reports the FIFO" % " ".join(args[:1]))
            c.check("not a regular file" in err, "%s gives the reason" % args[0], err)
        rc, out, _ = run("list", kq3, "--columns", "FILENAME")
        names = out.decode().split()
        c.check("good.mp3" in " ".join(names) and "pipe.mp3" not in " ".join(names) and
                "loop.mp3" not in " ".join(names), "only the readable song is listed", names)

    def hostile_names_and_damage():
        folder = os.path.join(work, "names")
        song(folder, "a.mp3")
        song(folder, "evil\n/etc/passwd.mp3".replace("/", "_"))
        for fmt in ("m3u", "pls"):
            out = os.path.join(work, "names." + fmt)
            rc, _, err = run("export", "--format", fmt, "-o", out, folder)
            lines = read_bytes(out).split(b"\r\n")
            c.check(not any(line.startswith(b"_etc") for line in lines), "%s: no injected entry" % fmt, lines)
            c.check("left out" in err, "%s: the name is reported" % fmt, err)
        damaged = song(folder, "damaged.mp3", b"ID3\x03\x00\x00\x00\x00\x7f\x7f" + clip_bytes[:4000])
        rc, out, err = run("info", "--json", damaged)
        c.equal(rc, 1, "a tag running past the end fails info")
        c.check(json.loads(out.decode())["damaged"], "and the JSON says so", out)

    def reasons():
        folder = os.path.join(work, "reasons")
        path = song(folder, "held.mp3")
        import fcntl
        with open(path, "rb") as f:
            fcntl.flock(f, fcntl.LOCK_EX)
            rc, _, err = run("tag", "--yes", "--title", "x" * 3000, path)
        c.equal(rc, 1, "a held song fails")
        c.check("Failed: %s: " % path in err and "in use" in err, "failure with its reason", err)

    def big_picture():
        # A picture frame far larger than what is shown: listing, scanning and
        # retitling read the tag without it and copy it across block by block.
        from mutagen.id3 import APIC, TIT2
        folder = os.path.join(work, "picture")
        path = song(folder, "big.mp3")
        small = song(os.path.join(work, "picture-small"), "small.mp3")
        picture = random.Random(11).randbytes(100 << 20)
        for target, data in ((path, picture), (small, picture[:1000])):
            tags = load_id3(target) or ID3()
            tags.add(TIT2(encoding=3, text=["Old"]))
            tags.add(APIC(encoding=3, mime="image/jpeg", type=3, desc="Cover \u00e9t\u00e9", data=data))
            tags.save(target, v2_version=4)

        # The peak is measured by a small process of its own: a child forked
        # from this one would count the picture this one holds.
        measure = ("import os, sys\n"
                   "pid = os.fork()\n"
                   "if pid == 0:\n"
                   "    os.execv(sys.argv[1], sys.argv[1:])\n"
                   "_, status, usage = os.wait4(pid, 0)\n"
                   "print(usage.ru_maxrss)\n"
                   "sys.exit(os.waitstatus_to_exitcode(status))\n")

        def peak_kib(*args):
            p = subprocess.run([sys.executable, "-c", measure, cli, *args], capture_output=True, timeout=120)
            c.equal(p.returncode, 0, "%s: %s" % (args[0], p.stderr.decode()))
            return int(p.stdout.split()[-1])

        kq3 = os.path.join(work, "picture.kq3")
        limit = len(picture) // 1024 // 4
        for args, small_args in ((("info", path), ("info", small)), (("list", folder), ("list", os.path.dirname(small))),
                                 (("scan", folder, "-o", kq3), ("scan", os.path.dirname(small), "-o", kq3)),
                                 (("tag", "--yes", "--title", "New", path), ("tag", "--yes", "--title", "New", small))):
            peak = peak_kib(*args)
            grown = peak - peak_kib(*small_args)
            c.check(grown < limit, "%s needs far less memory than the picture" % args[0],
                    "%d KiB more than with a small picture" % grown)
            print("%s of a song with a 100 MiB picture: peak memory %.3f of the picture, %d KiB more than with "
                  "a 1 KB picture" % (args[0], peak * 1024 / len(picture), grown))
        tags = load_id3(path)
        c.equal(text_of(tags, "TIT2"), ["New"], "retitled")
        pictures = tags.getall("APIC")
        c.equal(len(pictures), 1, "one picture")
        c.check(pictures[0].data == picture, "picture bytes intact", len(pictures[0].data))
        c.equal((pictures[0].mime, pictures[0].type, pictures[0].desc), ("image/jpeg", 3, "Cover \u00e9t\u00e9"),
                "picture header intact")
        c.equal(audio_of(read_bytes(path)), clip_audio, "audio intact")
        os.remove(path)

    c.step("concurrent writers", concurrent_writers)
    c.step("killed runs", killed_runs)
    c.step("file size limit", size_limit)
    c.step("links", links)
    c.step("damaged export source", damaged_export_source)
    c.step("FIFO and unreadable entries", fifo_and_unreadable)
    c.step("hostile names and damaged tags", hostile_names_and_damage)
    c.step("failure reasons", reasons)
    c.step("big picture", big_picture)
    return c.finish("file safety")


if __name__ == "__main__":
    raise SystemExit(main())
