#!/usr/bin/python3
"""Interoperability checks between the Tunedeck tag engine and mutagen.

    run_interop.py --cli PATH/tunedeck --work DIR [--runner wine64]

Both ways: what mutagen (and the id3v2 tool, and lame) wrote, `tunedeck info
--json` must read the same; what the tag commands wrote, mutagen must read
back, with the frames nobody touched and the audio stream unchanged.
"""

import json
import os
import shutil
import subprocess
import sys

import mutagen.mp3
from interop_common import (audio_of, frame_bodies, load_id3, load_v1, raw_tag, read_bytes, start, text_of,
                            v1_fields, v1_text)

import make_library

# The frame types in the library that the engine does not keep in its records
# but carries through a save.
CARRIED_IDS = {"TXXX", "PRIV", "TLEN"}
# Identifiers that exist only in ID3v2.4 and have no place in a v2.3 tag.
V24_ONLY_IDS = {"TDRC", "TDRL", "TDEN", "TDOR", "TDTG", "TSOA", "TSOP", "TSOT", "TMCL",
                "TIPL", "TSST", "TMOO", "TPRO", "SEEK", "SIGN", "ASPI", "EQU2", "RVA2"}


def ansi(text):
    """`text` as the ANSI code page (Windows-1252) can hold it."""
    return text.encode("cp1252", "replace").decode("cp1252")


def stars_of(byte):
    return next((s for limit, s in ((0, 0), (32, 1), (64, 2), (128, 3), (196, 4)) if byte <= limit), 5)


def content(frame):
    """A frame's fields but for its text encoding."""
    return [(field.name, str(getattr(frame, field.name))) for field in frame._framespec if field.name != "encoding"]


def expected_frames(tags):
    """The kept frames as the engine's JSON shows them, from mutagen's reading."""
    out = []
    for frame in tags.values():
        fid = frame.FrameID
        if fid == "TDRC" and tags.version[1] >= 4:
            # A v2.4 recording time becomes the v2.3 year and date frames.
            stamp = frame.text[0]
            out.append({"id": "TYER", "fields": ["%04d" % stamp.year]})
            if stamp.month and stamp.day:
                out.append({"id": "TDAT", "fields": ["%02d%02d" % (stamp.day, stamp.month)]})
        elif fid in CARRIED_IDS:
            continue
        elif fid in ("APIC", "POPM"):
            out.append({"id": fid})
        elif fid in ("COMM", "USLT"):
            text = frame.text if isinstance(frame.text, str) else "\x00".join(frame.text)
            out.append({"id": fid, "lang": frame.lang, "fields": [ansi(frame.desc), ansi(text)]})
        elif fid == "WXXX":
            out.append({"id": fid, "fields": [frame.desc, frame.url]})
        elif fid.startswith("W"):
            out.append({"id": fid, "fields": [frame.url]})
        else:
            out.append({"id": fid, "fields": [ansi(str(t)) for t in frame.text]})
    return sorted(json.dumps(f, sort_keys=True, ensure_ascii=False) for f in out)


def check_read(c, entry, path, rec, rc, err):
    m = rec["mpeg"]
    info = mutagen.mp3.MP3(path).info
    got = (2.5 if m["mpeg25"] else (2 if m["lsf"] else 1), m["layer"], m["frequency"],
           m["channels"], m["mode"], m["fileSize"], m["vbr"])
    c.equal(got, (info.version, info.layer, info.sample_rate, info.channels, info.mode,
                  os.path.getsize(path), entry["vbr"]), "MPEG header fields and VBR flag")
    c.check(abs(m["seconds"] - info.length) <= 1.0, "length within 1 s of mutagen's",
            "got %d s, mutagen %.3f s" % (m["seconds"], info.length))
    c.equal((rc, err), (0, ""), "exit status and standard error")
    v1, got = load_v1(path), rec["id3v1"]
    c.equal(bool(rec["tagFlags"] & 1), v1 is not None, "ID3v1 bit of tagFlags")
    if v1 is not None:
        c.equal([got[k] for k in ("title", "artist", "album", "year")],
                [v1_text(str(v1[f])) if f in v1 else "" for f in ("TIT2", "TPE1", "TALB", "TDRC")],
                "v1 title, artist, album, year")
        # mutagen always takes trailer byte 126 as a track; the published rule
        # (and the engine) do so only when byte 125 is zero, so that a
        # 30-character ID3v1.0 comment stays whole.
        trailer = read_bytes(path)[-128:]
        comment, track = (trailer[97:125], trailer[126]) if trailer[125] == 0 else (trailer[97:127], 0)
        comment = comment.split(b"\x00")[0].decode("cp1252").strip()
        c.equal((got["comment"], got["track"]), (comment, track), "v1 comment and track")
        number = int(v1["TCON"].text[0]) if "TCON" in v1 else 255
        c.equal((got["genre"], got["genreName"]),
                ((number + 1) % 256, v1["TCON"].genres[0] if number < 145 else "???"), "v1 genre")
    tags = load_id3(path)
    kept = [f for f in rec["id3v2"] if "kept" not in f]
    carried = [f for f in rec["id3v2"] if "kept" in f]
    if tags is None:
        c.equal((rec["tagFlags"] & 2, carried), (0, []), "no ID3v2 tag")
        return
    # A frame without any text shows nothing; mutagen drops it as junk.
    shown = [{k: v for k, v in f.items() if k != "size"} for f in kept
             if f["id"] in ("APIC", "POPM") or any(f.get("fields", []))]
    c.equal(sorted(json.dumps(f, sort_keys=True, ensure_ascii=False) for f in shown),
            expected_frames(tags), "kept frames and texts equal mutagen's")
    # A frame of a kept type is carried only when it cannot be decoded.
    c.equal({f["id"] for f in carried if tags.getall(f["id"])}, {fid for fid in CARRIED_IDS if tags.getall(fid)},
            "the frames carried")
    data = read_bytes(path)
    major, total, raw_frames = raw_tag(data)
    c.equal(rec["audioSize"], len(data) - total - (128 if v1 else 0), "audio size: file less both tags")
    if major == 3:  # v2.3 bodies are taken as they stand: binary and carried sizes match
        sizes = [(fid, len(body)) for fid, body in raw_frames]
        c.equal([f for f in rec["id3v2"] if "size" in f and (f["id"], f["size"]) not in sizes], [],
                "frame sizes")
    popm = tags.getall("POPM")
    c.equal(rec["rating"], stars_of(popm[0].rating) if popm else 0, "rating from POPM")


def main():
    tools, c, work = start(__doc__, clean=False)
    library = os.path.join(work, "library")
    manifest = make_library.ensure(library)
    scratch = os.path.join(work, "scratch")
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    n = tools.native

    def fresh(name, label="edit"):
        target = os.path.join(scratch, label + "-" + name)
        shutil.copyfile(os.path.join(library, name), target)
        return target

    def info(path):
        rc, out, err = tools.run("info", "--json", n(path))
        lines = out.decode("utf-8").splitlines()
        return rc, (json.loads(lines[0]) if len(lines) == 1 else None), err, out

    def read_library():
        for entry in manifest:
            path = os.path.join(library, entry["file"])
            c.group = "read " + entry["file"]
            if entry.get("odd") and tools.runner:
                continue  # quotes and Japanese have no place in an ANSI Windows path
            rc, rec, err, out = info(path)
            if not c.check(rec is not None and rec["path"] == n(path), "one JSON line with the path", out):
                continue
            check_read(c, entry, path, rec, rc, err)
            if entry.get("odd"):
                c.check(b"\\u0001" in out and b"\\u001f" in out.lower() and b"\\t" not in out,
                        "control characters escaped as \\u00XX", out[:200])
        # A POSIX file name need not be UTF-8; the JSON must stay valid anyway.
        if not tools.runner:
            odd = os.path.join(os.fsencode(scratch), b"latin1-\xe9t\xe9.mp3")
            shutil.copyfile(os.fsencode(os.path.join(library, "untagged.mp3")), odd)
            p = subprocess.run([tools.cli, "info", "--json", odd], capture_output=True, timeout=30)
            c.check(json.loads(p.stdout.decode("utf-8"))["path"].endswith("latin1-\ufffdt\ufffd.mp3"),
                    "invalid UTF-8 shown as U+FFFD", p.stdout)

    def write():
        path = fresh("cbr128_v23.mp3")
        before, bodies, audio = load_id3(path), frame_bodies(path), audio_of(path)
        title = "Nouveau titre ÿ € – fin"
        tools.ok("tag", "--title", title, "--artist", "Artiste Ä", "--album", "Album ß", "--year", "2011",
                 "--track", "7", "--genre", "Blues", "--comment", "Nouveau é", "--yes", n(path))
        tags = load_id3(path)
        c.equal(tags.version, (2, 3, 0), "written as ID3v2.3.0")
        c.equal([text_of(tags, f) for f in ("TIT2", "TPE1", "TALB", "TYER", "TRCK", "TCON")],
                [[title], ["Artiste Ä"], ["Album ß"], ["2011"], ["7"], ["Blues"]],
                "texts, those outside Latin-1 included")
        c.equal(v1_fields(path), {"TIT2": title, "TPE1": "Artiste Ä", "TALB": "Album ß", "TDRC": "2011",
                                  "COMM": "Nouveau é", "TCON": "Blues", "TRCK": "7"}, "ID3v1 trailer")
        after = frame_bodies(path)
        for fid in ("TXXX", "PRIV", "APIC", "POPM"):
            c.equal(after.get(fid), bodies.get(fid), fid + " byte-identical")
        c.equal(content(tags.getall("USLT")[0]), content(before.getall("USLT")[0]), "lyrics unchanged")
        for fid in ("WXXX", "WOAR"):
            # mutagen ends URLs with a terminator that the frame format leaves
            # optional; the engine writes none. Every other byte must match.
            c.equal([b.rstrip(b"\x00") for b in after[fid]], [b.rstrip(b"\x00") for b in bodies[fid]],
                    fid + " byte-identical but for the final terminator")
        c.equal(audio_of(path), audio, "audio stream unchanged")

        path = fresh("cbr128_v24.mp3")
        before, audio = load_id3(path), audio_of(path)
        tools.ok("tag", "--v2", "--artist", "Nouvel artiste", "--year", "2011", "--yes", n(path))
        after = load_id3(path)
        c.equal(after.version, (2, 3, 0), "a v2.4 tag rewritten as ID3v2.3.0")
        c.equal([text_of(after, f) for f in ("TIT2", "TPE1", "TYER")],
                [[make_library.TITLE_JAPANESE], ["Nouvel artiste"], ["2011"]],
                "texts; the Japanese title kept although the ANSI code page cannot hold it")
        c.equal(set(frame_bodies(path)) & V24_ONLY_IDS, set(), "no v2.4-only frames in the v2.3 tag")
        for fid in ("TXXX", "PRIV", "APIC", "WXXX", "WOAR", "USLT", "COMM", "POPM"):
            c.equal([content(f) for f in after.getall(fid)], [content(f) for f in before.getall(fid)],
                    fid + " content unchanged")
        c.equal(audio_of(path), audio, "audio stream unchanged")

    return c.run_all("interop", read_library, write)


if __name__ == "__main__":
    sys.exit(main())
