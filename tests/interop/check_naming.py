#!/usr/bin/python3
"""Checks the naming commands (from-name, rename, organize) with mutagen.

    check_naming.py --cli PATH/tunedeck --work DIR

from-name: clips named after their songs must be tagged with the fields the
pattern gives, the audio the clip's to the byte. rename and organize: clips
tagged by mutagen (hostile texts included) must end up under the expected
names, inside their directory or the target, byte for byte the files they
were, and never over another file.
"""

import os
import shutil
import sys

from interop_common import audio_of, load_id3, make_clip, need, read_bytes, start, v1_fields
from mutagen.id3 import ID3, TALB, TCON, TIT2, TPE1, TRCK


def main():
    tools, c, work = start(__doc__)
    clip = make_clip(work, "1.2")
    clip_bytes = read_bytes(clip)

    def folder(name):
        path = os.path.join(work, name)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        return path

    def clip_at(path, *frames):
        shutil.copyfile(clip, path)
        if frames:
            tag = ID3()
            for frame in frames:
                tag.add(frame)
            tag.save(path, v2_version=3)
        return read_bytes(path)

    def frames(path):
        tag = load_id3(path)
        return {k: str(tag[k].text[0]) for k in tag.keys()} if tag else {}

    def from_name():
        d = folder("from-name")
        for name, pattern, want in (
                ("03 - Some Band - A Song.mp3", "%N - %A - %T",
                 {"TRCK": "3", "TPE1": "Some Band", "TIT2": "A Song"}),
                ("Band - Song - Live.mp3", "%A - %T", {"TPE1": "Band", "TIT2": "Song - Live"}),
                ("[07] Caf\u00e9.mp3", "[%N] %T", {"TRCK": "7", "TIT2": "Caf\u00e9"})):
            path = os.path.join(d, name)
            clip_at(path)
            rc, _, err = tools.run("from-name", pattern, "--yes", path)
            need(rc == 0, (name, err))
            need({k: frames(path).get(k) for k in want} == want, (name, frames(path)))
            v1 = v1_fields(path)
            need({k: v1.get(k) for k in want} == want, (name, v1))
            need(audio_of(read_bytes(path)) == clip_bytes, name)
        # --v2 alone: the other frames stay, no ID3v1 trailer, a trace log.
        path, log = os.path.join(d, "Artist X - Title Y.mp3"), os.path.join(d, "log.txt")
        clip_at(path, TALB(encoding=0, text="Kept Album"), TIT2(encoding=0, text="Old"))
        rc, _, err = tools.run("from-name", "%A - %T", "--v2", "--yes", "--log", log, path)
        need(rc == 0, err)
        got = frames(path)
        need((got["TPE1"], got["TIT2"], got["TALB"]) == ("Artist X", "Title Y", "Kept Album"), got)
        need(v1_fields(path) is None)
        text = read_bytes(log).decode("latin-1")
        need("Write ID3v2 Tag from 1 files (Trace LOG)" in text, text)
        need("file1=(Success): " + path in text, text)

    def rename():
        d = folder("rename")
        src = os.path.join(d, "x.mp2")
        before = clip_at(src, TPE1(encoding=0, text="AC/DC"), TIT2(encoding=0, text="Why?"),
                         TRCK(encoding=0, text="3"))
        rc, _, err = tools.run("rename", "%N - %A - %T", "--source", "1", "--yes", src)
        need(rc == 0 and os.listdir(d) == ["03 - AC DC - Why .mp3"], (err, os.listdir(d)))
        need(read_bytes(os.path.join(d, "03 - AC DC - Why .mp3")) == before)
        # A taken name is not overwritten; a hostile title stays in the folder.
        d = folder("rename-taken")
        a, b, h = (os.path.join(d, x) for x in ("a.mp3", "b.mp3", "c.mp3"))
        bytes_a = clip_at(a, TIT2(encoding=0, text="Same"))
        bytes_b = clip_at(b, TIT2(encoding=0, text="Same"), TALB(encoding=0, text="b"))
        bytes_h = clip_at(h, TIT2(encoding=0, text="../../etc/CON"))
        rc, _, err = tools.run("rename", "%T", "--source", "1", "--yes", a, b, h)
        need(rc == 1 and "b.mp3" in err, (rc, err))
        need(sorted(os.listdir(d)) == [".. .. etc CON.mp3", "Same.mp3", "b.mp3"], os.listdir(d))
        need(read_bytes(os.path.join(d, "Same.mp3")) == bytes_a and read_bytes(b) == bytes_b)
        need(read_bytes(os.path.join(d, ".. .. etc CON.mp3")) == bytes_h)

    def organize():
        d = folder("organize")
        src, target = folder("organize/src"), folder("organize/target")
        one = os.path.join(src, "01.mp3")
        two = os.path.join(folder("organize/src/sub"), "01.mp3")
        band = (TPE1(encoding=0, text="Band"), TALB(encoding=0, text="Live"))
        bytes_one, bytes_two = clip_at(one, *band), clip_at(two, *band)
        log = os.path.join(d, "log.txt")
        rc, out, err = tools.run("organize", "--target", target, "--layout", "3", "--source",
                                 "v2", "--yes", "--log", log, one, two)
        need(rc == 0, err)
        live = os.path.join(target, "Band", "Live")
        need(read_bytes(os.path.join(live, "01.mp3")) == bytes_one)
        need(read_bytes(os.path.join(live, "01(1).mp3")) == bytes_two)
        need(not os.path.exists(one) and not os.path.exists(two))
        need("file2=(Success): %s --> %s" % (two, os.path.join(live, "01(1).mp3"))
                in read_bytes(log).decode("latin-1"))
        need(b"Organize 2 file(s) to target directory: " + target.encode() in out, out)

    def organize_hostile_tags_stay_inside():
        d = folder("organize-hostile")
        src, target = folder("organize-hostile/src"), folder("organize-hostile/target")
        cases = {"a.mp3": ("../../etc", "_/_/etc"), "b.mp3": ("C:\\x", "C_/x"),
                 "c.mp3": ("CON", "_CON"), "d.mp3": ("a/b", "a/b"), "e.mp3": ("name. ", "name"),
                 "f.mp3": ("/abs", "abs")}
        contents = {name: clip_at(os.path.join(src, name), TPE1(encoding=0, text=artist))
                    for name, (artist, _) in cases.items()}
        rc, _, err = tools.run("organize", "--target", target, "--source", "v2", "--yes",
                               *(os.path.join(src, name) for name in sorted(cases)))
        need(rc == 0, err)
        for name, (_, sub) in cases.items():
            need(read_bytes(os.path.join(target, *sub.split("/"), name)) == contents[name], name)
        need(sorted(os.listdir(d)) == ["src", "target"] and os.listdir(src) == [])
        # --copy leaves the source; with v2 a file without any tag goes to the
        # "unknown" folder, with v1 it stays.
        src, target = folder("organize-copy/src"), folder("organize-copy/target")
        tagged, untagged = os.path.join(src, "song.mp2"), os.path.join(src, "plain.mp3")
        bytes_tagged = clip_at(tagged, TCON(encoding=0, text="Jazz"))
        bytes_untagged = clip_at(untagged)
        rc, _, err = tools.run("organize", "--target", target, "--layout", "2", "--source", "v2",
                               "--copy", "--yes", tagged, untagged)
        need(rc == 0, (rc, err))
        need(read_bytes(tagged) == bytes_tagged and os.path.exists(untagged))
        need(read_bytes(os.path.join(target, "Jazz", "song.mp3")) == bytes_tagged)
        need(read_bytes(os.path.join(target, "Unkown genre", "plain.mp3")) == bytes_untagged)
        need(sorted(os.listdir(target)) == ["Jazz", "Unkown genre"], os.listdir(target))
        rc, _, err = tools.run("organize", "--target", target, "--source", "v1", "--copy", "--yes",
                               untagged)
        need(rc == 1 and "plain.mp3" in err, (rc, err))

    for fn in (from_name, rename, organize, organize_hostile_tags_stay_inside):
        c.step(fn.__name__, fn)
    return c.finish("naming")


if __name__ == "__main__":
    sys.exit(main())
