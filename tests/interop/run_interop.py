#!/usr/bin/python3
"""Interoperability checks between the Tunedeck tag engine and mutagen.

    run_interop.py --cli PATH/tunedeck --tagwrite PATH/td_tagwrite --work DIR [--runner wine64]

Both ways: what mutagen (and the id3v2 tool, and lame) wrote, `tunedeck info
--json` must read the same; what `td_tagwrite` wrote, mutagen must read back,
with the frames nobody touched and the audio stream unchanged.
"""

import hashlib
import io
import json
import os
import shutil
import subprocess
import sys

import mutagen.id3
import mutagen.mp3
from interop_common import (POPM_EMAIL, ansi, audio_of, load_id3, load_v1, make_clip, raw_tag,
                            read_bytes, start, text_of, v1_fields, v1_text)

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_library  # noqa: E402

# Frame types the engine keeps in its records; everything else is carried.
KEPT_IDS = {
    "TIT1", "TIT2", "TIT3", "TPE1", "TPE2", "TPE3", "TPE4", "TCOM", "TEXT", "TCON",
    "TALB", "TRCK", "TYER", "TDAT", "TIME", "TBPM", "TCOP", "TPUB", "TENC", "TSSE",
    "TOPE", "TOFN", "TSIZ", "TKEY", "IPLS", "USLT", "COMM", "APIC", "POPM", "WPUB",
    "WCOM", "WCOP", "WOAF", "WOAR", "WOAS", "WORS", "WPAY", "WXXX",
}
# Identifiers that exist only in ID3v2.4 and have no place in a v2.3 tag.
V24_ONLY_IDS = {"TDRC", "TDRL", "TDEN", "TDOR", "TDTG", "TSOA", "TSOP", "TSOT", "TMCL",
                "TIPL", "TSST", "TMOO", "TPRO", "SEEK", "SIGN", "ASPI", "EQU2", "RVA2"}
JSON_KEYS = {"path", "damaged", "tagFlags", "tagKind", "audioSize", "sizeDelta", "rating", "mpeg",
             "id3v1", "id3v2"}
MPEG_KEYS = ["fileSize", "channels", "lsf", "mpeg25", "layer", "crcProtected", "frequency",
             "bitrate", "vbr", "frames", "seconds", "padding", "privateBit", "mode",
             "modeExtension", "copyright", "original", "emphasis", "frameSize"]


def stars_of(byte):
    return next((s for limit, s in ((0, 0), (32, 1), (64, 2), (128, 3), (196, 4))
                 if byte <= limit), 5)


def digest(path):
    return hashlib.sha256(audio_of(read_bytes(path))).hexdigest()


def frame_bodies(path):
    out = {}
    for fid, body in raw_tag(read_bytes(path))[2]:
        out.setdefault(fid, []).append(body)
    return out


def expected_frames(tags):
    """The kept frames as the engine's JSON shows them, from mutagen's reading."""
    out = []
    for frame in tags.values():
        fid = frame.FrameID
        if fid == "TDRC" and tags.version[1] >= 4:
            # A v2.4 recording time becomes the v2.3 year, date and time frames.
            stamp = frame.text[0] if frame.text else None
            if stamp is not None and stamp.year:
                out.append({"id": "TYER", "fields": ["%04d" % stamp.year]})
                if stamp.month and stamp.day:
                    out.append({"id": "TDAT", "fields": ["%02d%02d" % (stamp.day, stamp.month)]})
                if stamp.hour is not None and stamp.minute is not None:
                    out.append({"id": "TIME",
                                "fields": ["%02d%02d" % (stamp.hour, stamp.minute)]})
        elif fid not in KEPT_IDS:
            continue
        elif fid in ("APIC", "POPM"):
            out.append({"id": fid})
        elif fid in ("COMM", "USLT"):
            text = frame.text if isinstance(frame.text, str) else "\x00".join(frame.text)
            out.append({"id": fid, "lang": frame.lang, "fields": [ansi(frame.desc), ansi(text)]})
        else:
            fields = ([frame.desc, frame.url] if fid == "WXXX" else [frame.url]
                      if fid.startswith("W") else [str(t) for t in frame.text])
            out.append({"id": fid, "fields": [ansi(f) for f in fields]})
    return out


def frame_key(frame):
    return json.dumps({k: frame[k] for k in ("id", "lang", "fields") if k in frame},
                      sort_keys=True, ensure_ascii=False)


# --- reading: what others wrote, the engine reads --------------------------

def check_mpeg(c, entry, path, rec):
    m = rec["mpeg"]
    if entry.get("garbage") or entry.get("unreadable"):
        # mutagen takes garbage for the first frame too, and refuses some tags
        # outright: the truth is the audio alone.
        audio = audio_of(read_bytes(path))[entry.get("garbage", 0):]
        info = mutagen.mp3.MPEGInfo(io.BytesIO(audio))
    else:
        info = mutagen.mp3.MP3(path).info
    c.equal(list(m), MPEG_KEYS, "MPEG keys in order")
    got = (2.5 if m["mpeg25"] else (2 if m["lsf"] else 1), m["layer"], m["frequency"],
           m["channels"], m["mode"], m["fileSize"], m["vbr"])
    c.equal(got, (info.version, info.layer, info.sample_rate, info.channels, info.mode,
                  os.path.getsize(path), entry["vbr"]), "MPEG header fields and VBR flag")
    c.check(abs(m["seconds"] - info.length) <= 1.0, "length within 1 s of mutagen's",
            "got %d s, mutagen %.3f s" % (m["seconds"], info.length))
    if entry["vbr"]:
        c.check(m["frames"] > 0, "frame count from the Xing header", m["frames"])


def check_id3v1(c, path, rec):
    v1, got = load_v1(path), rec["id3v1"]
    c.equal(bool(rec["tagFlags"] & 1), v1 is not None, "ID3v1 bit of tagFlags")
    if v1 is None or not c.check(got is not None, "ID3v1 block present"):
        return
    c.equal([got[k] for k in ("title", "artist", "album", "year")],
            [v1_text(str(v1[f])) if f in v1 else "" for f in ("TIT2", "TPE1", "TALB", "TDRC")],
            "v1 title, artist, album, year")
    # mutagen always takes trailer byte 126 as a track; the published rule
    # (and the engine) do so only when byte 125 is zero, so that a 30-character
    # ID3v1.0 comment stays whole. Comment and track come from the bytes here.
    trailer = read_bytes(path)[-128:]
    comment, track = ((trailer[97:125], trailer[126]) if trailer[125] == 0
                      else (trailer[97:127], 0))
    comment = comment.split(b"\x00")[0].decode("cp1252", "replace").strip()
    c.equal((got["comment"], got["track"]), (comment, track), "v1 comment and track")
    number = int(v1["TCON"].text[0]) if "TCON" in v1 else 255
    c.equal((got["genre"], got["genreName"]),
            ((number + 1) % 256, v1["TCON"].genres[0] if number < 145 else "???"), "v1 genre")


def check_id3v2(c, path, rec):
    tags = load_id3(path)
    kept = [f for f in rec["id3v2"] if "kept" not in f]
    carried = [f for f in rec["id3v2"] if "kept" in f]
    if tags is None:
        c.equal((rec["tagFlags"] & 2, carried), (0, []), "no ID3v2 bit nor carried frames")
        # The record names an untagged file's artist after the file.
        name = os.path.basename(path)
        c.equal(kept, [{"id": "TPE1", "fields": [name[:1].upper() + name[1:]]}]
                if rec["tagFlags"] == 0 else [], "ID3v2 frames of a file without the tag")
        return
    c.equal(rec["tagFlags"] & 2, 2, "ID3v2 bit of tagFlags")
    # A frame without any text shows nothing; mutagen drops it as junk.
    got = [{k: v for k, v in f.items() if k != "size"} for f in kept
           if f["id"] in ("APIC", "POPM") or any(f.get("fields", []))]
    c.equal(sorted(map(frame_key, got)), sorted(map(frame_key, expected_frames(tags))),
            "kept frames and texts equal mutagen's")
    for f in carried:
        # A frame of a kept type is carried only when it cannot be decoded.
        c.check(f["kept"] is False and (f["id"] not in KEPT_IDS or not tags.getall(f["id"])),
                "carried frame " + f["id"])
    data = read_bytes(path)
    major, total, raw_frames = raw_tag(data)
    c.equal(rec["audioSize"], len(data) - total - (128 if rec["tagFlags"] & 1 else 0),
            "audio size: file less both tags")
    carried_ids = [f["id"] for f in carried]
    for fid in ("TXXX", "PRIV"):
        if tags.getall(fid):
            c.check(fid in carried_ids, fid + " listed as carried", carried_ids)
    if major == 3:  # v2.3 bodies are taken as they stand: binary and carried sizes match
        sizes = [(fid, len(body)) for fid, body in raw_frames]
        c.equal([(f["id"], f["size"]) for f in rec["id3v2"]
                 if "size" in f and (f["id"], f["size"]) not in sizes], [], "frame sizes")
    popm = tags.getall("POPM")
    c.equal(rec["rating"], stars_of(popm[0].rating) if popm else 0, "rating from POPM")


def check_reading(c, tools, library, manifest):
    for entry in manifest["files"]:
        path = os.path.join(library, entry["file"])
        c.group = "read " + entry["file"]
        if entry.get("odd") and tools.runner:
            continue  # quotes and Japanese have no place in an ANSI Windows path
        rc, out, err = tools.run("info", "--json", tools.native(path))
        lines = out.decode("utf-8").splitlines()
        if not c.equal(len(lines), 1, "one JSON line"):
            continue
        rec = json.loads(lines[0])
        c.equal(set(rec), JSON_KEYS, "JSON keys")
        c.equal(rec["path"], tools.native(path), "path in UTF-8")
        check_mpeg(c, entry, path, rec)
        if entry.get("unreadable"):
            c.equal(rc, 1, "exit status for an unreadable tag")
            c.check("ID3" in err or "encoding" in err or "corrupt" in err.lower(),
                    "reason on standard error", err)
            c.equal(rec["tagFlags"] & 2, 0, "unreadable tag counts as absent")
            continue
        c.equal((rc, err), (0, ""), "exit status and standard error")
        check_id3v1(c, path, rec)
        check_id3v2(c, path, rec)
        if entry.get("odd"):
            title = [f for f in rec["id3v2"] if f["id"] == "TIT2"][0]["fields"][0]
            c.equal(title, 'Tab\there "quoted" back\\slash \x01\x1f', "control characters")
            c.check(b"\\u0001" in out and b"\\u001f" in out.lower() and b"\\t" not in out,
                    "control characters escaped as \\u00XX", out[:200])


# --- writing: what the engine wrote, mutagen reads ---------------------------

def semantic(frame):
    """A frame's content without its text encoding, for v2.4 -> v2.3 checks."""
    attrs = {}
    for name in ("desc", "text", "url", "owner", "data", "mime", "type", "lang", "email",
                 "rating", "count"):
        if hasattr(frame, name):
            value = getattr(frame, name)
            attrs[name] = [str(v) for v in value] if isinstance(value, list) else value
    return frame.FrameID, repr(sorted(attrs.items()))


def first_comment(path):
    """(lang, desc) of the first COMM frame in file order: the one the
    engine's comment operations work on."""
    for fid, body in raw_tag(read_bytes(path))[2]:
        if fid == "COMM":
            if body[0] in (1, 2):
                codec = "utf-16" if body[0] == 1 else "utf-16-be"
                end = next(i for i in range(4, len(body) - 1, 2) if body[i:i + 2] == b"\0\0")
                return body[1:4].decode("latin-1"), body[4:end].decode(codec)
            return body[1:4].decode("latin-1"), body[4:].split(b"\0")[0].decode(
                "latin-1" if body[0] == 0 else "utf-8")
    return None


def check_write_v23(c, tools, path):
    before_audio, before_bodies = digest(path), frame_bodies(path)
    before_comments = {(f.lang, f.desc): list(f.text) for f in load_id3(path).getall("COMM")}
    # Comment edits work on the first comment frame, whatever its description;
    # keep its language and description so that mutagen's keys stay apart.
    lang, desc = first_comment(path)
    title = "Nouveau titre ÿ € – fin"
    rc, _, err = tools.write(
        path, "--set", "TIT2=" + title, "--set", "TPE1=Artiste Ä",
        "--set", "TALB=Album ß", "--comm", "%s:%s:Nouveau commentaire é" % (lang, desc),
        "--set", "TYER=2011", "--set", "TRCK=7/9", "--set", "TCON=Jazz", "--rating", "4",
        "--v1", "title=V1 Titel é", "--v1", "artist=V1 Artist", "--v1", "album=V1 Album",
        "--v1", "year=1999", "--v1", "comment=V1 comment €", "--v1", "genre=Jazz",
        "--v1", "track=5")
    if not c.equal(rc, 0, "td_tagwrite exit status: " + err):
        return
    tags = load_id3(path)
    c.equal(tags.version, (2, 3, 0), "written as ID3v2.3.0")
    c.equal([text_of(tags, f) for f in ("TIT2", "TPE1", "TALB", "TYER", "TRCK", "TCON")],
            [[title], ["Artiste Ä"], ["Album ß"], ["2011"], ["7/9"], ["Jazz"]],
            "texts, those outside Latin-1 included")
    comms = {(f.lang, f.desc): list(f.text) for f in tags.getall("COMM")}
    c.equal(comms.pop((lang, desc)), ["Nouveau commentaire é"], "comment")
    c.equal(comms, {k: v for k, v in before_comments.items() if k != (lang, desc)},
            "other comments untouched")
    popm = tags.getall("POPM")
    c.check(len(popm) == 1 and popm[0].email == POPM_EMAIL and popm[0].rating == 196,
            "rating frame for 4 stars", popm)
    c.equal(text_of(tags, "TSIZ"), [str(len(audio_of(read_bytes(path))))],
            "size frame holds the audio size")
    after_bodies = frame_bodies(path)
    for fid in ("TXXX", "PRIV", "APIC"):
        c.equal(after_bodies.get(fid), before_bodies.get(fid), fid + " byte-identical")
    for fid in ("WXXX", "WOAR"):
        # mutagen ends URLs with a terminator that the frame format leaves
        # optional; the engine writes none. Every other byte must match.
        c.equal([b.rstrip(b"\x00") for b in after_bodies.get(fid, [])],
                [b.rstrip(b"\x00") for b in before_bodies.get(fid, [])],
                fid + " byte-identical but for the final terminator")
    c.equal(str(tags.getall("USLT")[0].text), "La la la\nsecond line", "lyrics untouched")
    c.equal(digest(path), before_audio, "audio stream unchanged")
    c.equal(v1_fields(path), {"TIT2": "V1 Titel é", "TPE1": "V1 Artist", "TALB": "V1 Album",
                              "TDRC": "1999", "COMM": "V1 comment €", "TCON": "Jazz",
                              "TRCK": "5"}, "ID3v1 trailer")
    rc, out, err = tools.run("info", "--json", tools.native(path))
    rec = json.loads(out.decode("utf-8").splitlines()[0])
    c.equal((rc, rec["rating"], rec["tagFlags"]), (0, 4, 3), "engine reads its own file")

    # A second, smaller change fits the room the first rewrite left.
    size = os.path.getsize(path)
    rc, _, err = tools.write(path, "--set", "TIT2=Short")
    c.equal((rc, os.path.getsize(path), text_of(load_id3(path), "TIT2"), digest(path)),
            (0, size, ["Short"], before_audio), "rewritten in place: " + err)
    c.check(not os.path.exists(path + ".mp3tmp"), "no temporary file left")
    rc, _, err = tools.write(path, "--set", "TALB=")
    c.equal((rc, load_id3(path).getall("TALB")), (0, []), "an empty value removes the frame")


def check_write_v24(c, tools, path):
    before, before_audio = load_id3(path), digest(path)
    rc, _, err = tools.write(path, "--set", "TPE1=Nouvel artiste", "--set", "TYER=2011",
                             "--comm", "eng::Changed", "--rating", "2")
    if not c.equal(rc, 0, "td_tagwrite exit status: " + err):
        return
    after = load_id3(path)
    c.equal(after.version, (2, 3, 0), "rewritten as ID3v2.3.0")
    c.equal([text_of(after, f) for f in ("TIT2", "TPE1", "TYER")],
            [[make_library.TITLE_JAPANESE], ["Nouvel artiste"], ["2011"]],
            "texts; the Japanese title kept although the ANSI code page cannot hold it")
    c.equal(set(frame_bodies(path)) & V24_ONLY_IDS, set(), "no v2.4-only frames in the v2.3 tag")
    for fid in ("TXXX", "PRIV", "APIC", "WXXX", "WOAR", "USLT"):
        c.equal([semantic(f) for f in after.getall(fid)],
                [semantic(f) for f in before.getall(fid)], fid + " content unchanged")
    popm = after.getall("POPM")
    c.check(len(popm) == 1 and popm[0].rating == 64, "rating frame for 2 stars", popm)
    c.equal(digest(path), before_audio, "audio stream unchanged")


def check_removal_and_copy(c, tools, fresh):
    source = fresh("vbr_v2_stereo_v23.mp3", "orig")
    data, audio = read_bytes(source), digest(source)
    for what, keeps_v1, keeps_v2 in (("v2", True, False), ("v1", False, True),
                                     ("all", False, False)):
        path = fresh("vbr_v2_stereo_v23.mp3", "remove-" + what)
        rc, _, err = tools.write(path, "--remove", what)
        after = read_bytes(path)
        c.equal((rc, after[-128:] if load_v1(path) else None, text_of(load_id3(path), "TIT2")),
                (0, data[-128:] if keeps_v1 else None, text_of(load_id3(source), "TIT2") if keeps_v2 else None),
                "remove " + what + ": " + err)
        c.equal(digest(path), audio, "remove %s: audio stream unchanged" % what)
    c.equal(hashlib.sha256(after).hexdigest(), audio, "remove all: the file is the audio")

    path = fresh("v1only_track.mp3", "copy")
    audio, trailer = digest(path), read_bytes(path)[-128:]
    rc, _, err = tools.write(path, "--copy", "v1-to-v2")
    tags = load_id3(path)
    c.equal([text_of(tags, f) for f in ("TIT2", "TPE1", "TALB", "TYER", "TCON", "TRCK")],
            [[make_library.TITLE_ACCENTS[:30]], [make_library.ARTIST_ACCENTS], ["Old Album"],
             ["1987"], ["Jazz"], ["7"]], "v1 to v2: texts, genre name from number 8: " + err)
    c.equal([(f.lang, f.desc, list(f.text)) for f in tags.getall("COMM")],
            [("eng", "", ["v1.1 comment"])], "v1 to v2: comment")
    c.equal((read_bytes(path)[-128:], digest(path)), (trailer, audio),
            "v1 to v2: trailer and audio unchanged")

    path = fresh("cbr128_v23.mp3", "copy")
    audio = digest(path)
    comment = [str(f.text[0]) for f in load_id3(path).getall("COMM")
               if (f.lang, f.desc) == first_comment(path)][0]
    rc, _, err = tools.write(path, "--copy", "v2-to-v1")
    c.equal(v1_fields(path), {"TIT2": make_library.TITLE_ACCENTS[:30],
                              "TPE1": make_library.ARTIST_ACCENTS,
                              "TALB": make_library.ALBUM_ACCENTS[:30], "TDRC": "2004",
                              "TCON": "Rock", "TRCK": "3", "COMM": comment[:30]},
            "v2 to v1: track from 3/12, comment from the first COMM: " + err)
    c.equal(digest(path), audio, "v2 to v1: audio stream unchanged")


def check_faults(c, tools, fresh, work):
    path = fresh("v22_compressed.mp3", "edit")
    before = read_bytes(path)
    rc, _, _ = tools.write(path, "--set", "TIT2=x")
    c.equal((rc, read_bytes(path)), (1, before), "a save over an unreadable tag fails, file kept")
    rc, _, _ = tools.write(path, "--remove", "v2")
    c.equal((rc, read_bytes(path)), (0, audio_of(before)), "an asked-for removal removes it")

    for name in ("id3v2_tool.mp3", "lame_tagged.mp3", "id3v22.mp3"):
        path = fresh(name, "edit")
        before, audio = load_id3(path), digest(path)
        rc, _, err = tools.write(path, "--set", "TIT2=Edited")
        after = load_id3(path)
        c.equal((rc, after.version, text_of(after, "TIT2"), digest(path)),
                (0, (2, 3, 0), ["Edited"], audio), name + " edited: " + err)
        for fid in ("TPE1", "TALB", "TYER", "TRCK", "TCON"):
            c.equal(text_of(after, fid), text_of(before, fid), "%s: %s kept" % (name, fid))

    good, missing = fresh("cbr128_v23.mp3", "cli"), os.path.join(work, "does-not-exist.mp3")
    rc, out, err = tools.run("info", "--json", tools.native(good), tools.native(missing),
                             tools.native(good))
    c.check(rc == 1 and "Cannot open file" in err and tools.native(missing) in err,
            "missing file reported", err)
    c.equal(len(out.decode("utf-8").splitlines()), 2, "the other files still listed")
    rc, _, err = tools.run("info", tools.native(work))
    c.check(rc == 1 and "Cannot open file" in err, "a directory cannot be read", err)
    # A POSIX file name need not be UTF-8; the JSON must stay valid anyway.
    if os.name == "posix" and not tools.runner:
        odd = os.path.join(os.fsencode(work), b"latin1-\xe9t\xe9.mp3")
        shutil.copyfile(os.fsencode(good), odd)
        p = subprocess.run([tools.cli, "info", "--json", odd], capture_output=True, timeout=30)
        try:
            rec = json.loads(p.stdout.decode("utf-8"))
            c.check(p.returncode == 0 and rec["path"].endswith("latin1-\ufffdt\ufffd.mp3"),
                    "invalid UTF-8 shown as U+FFFD", rec["path"])
        except ValueError as e:
            c.check(False, "valid UTF-8 JSON for a non-UTF-8 file name", e)

    before = read_bytes(good)
    for args in (["--set", "TIT2=" + make_library.TITLE_JAPANESE], ["--set", "XXXX=1"],
                 ["--set", "TXXX=1"], ["--rating", "6"]):
        c.equal(tools.write(good, *args)[0], 2, "refused: %r" % args)
    c.equal(read_bytes(good), before, "file untouched by refused commands")
    rc, _, err = tools.write(os.path.join(work, "nope.mp3"), "--set", "TIT2=x")
    c.check(rc == 1 and "Cannot open file" in err, "missing file", err)


def check_genre_references(c, tools, work):
    """Genres stored as references ("(17)", "(17)Rock", v2.4 "17") read as the
    genre's name in the list, the statistics and a copy to ID3v1, while the
    stored text stays as mutagen wrote it."""
    folder = os.path.join(work, "genres")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    clip = make_clip(folder)
    stored = {"a.mp3": ("(17)", 3), "b.mp3": ("(17)Rock", 3), "c.mp3": ("17", 4),
              "d.mp3": ("(4)Eurodisco", 3)}
    for name, (genre, version) in stored.items():
        path = os.path.join(folder, name)
        shutil.copyfile(clip, path)
        tags = mutagen.id3.ID3()
        tags.add(mutagen.id3.TIT2(encoding=0, text=[name]))
        # Written as given: mutagen's own genre handling would rewrite it.
        tags.add(mutagen.id3.TCON(encoding=0, text=[genre]))
        tags.save(path, v2_version=version, v1=0)
    os.remove(clip)
    rc, out, err = tools.run("list", tools.native(folder), "--columns", "FILENAME,GENRE",
                             "--view", "1")
    rows = [line.split("\t") for line in out.decode("utf-8").splitlines()]
    c.equal((rc, [r[1] for r in rows]), (0, ["Rock", "Rock", "Rock", "Disco"]),
            "genre column shows the names: " + err)
    rc, out, err = tools.run("stats", "--view", "1", tools.native(folder))
    report = out.decode("utf-8")
    c.check(rc == 0 and "Rock" in report and "Disco" in report, "statistics count the names",
            report + err)
    path = os.path.join(folder, "b.mp3")
    rc, _, err = tools.write(path, "--copy", "v2-to-v1")
    c.equal((rc, v1_fields(path)["TCON"]), (0, "Rock"), "copy to ID3v1 keeps the genre: " + err)
    c.equal(frame_bodies(path)["TCON"], [b"\x00(17)Rock"], "the stored text is unchanged")


def check_damaged(c, tools, fresh):
    """Tags with frames that cannot be decoded, and a header announcing an
    extended header that is not there: a save keeps every frame, the carried
    ones byte for byte, and clears the flag."""
    for name, carried in (("damaged_v24.mp3", "TPE2"), ("bad_encoding.mp3", "TPE1")):
        path = fresh(name, "damaged")
        before, bodies, audio = load_id3(path), frame_bodies(path), digest(path)
        rc, _, err = tools.write(path, "--set", "TIT2=Edited")
        if not c.equal(rc, 0, name + ": td_tagwrite exit status: " + err):
            continue
        data = read_bytes(path)
        after = load_id3(path)
        c.equal((after.version, data[5]), ((2, 3, 0), 0), name + ": ID3v2.3.0 without flags")
        c.equal(text_of(after, "TIT2"), ["Edited"], name + ": title")
        for fid in ("TPE1", "TALB", "TRCK", "TCON"):
            c.equal(text_of(after, fid), text_of(before, fid), "%s: %s kept" % (name, fid))
        c.equal([(f.lang, f.desc, list(f.text)) for f in after.getall("COMM")],
                [(f.lang, f.desc, list(f.text)) for f in before.getall("COMM")],
                name + ": comment kept")
        c.equal(frame_bodies(path).get(carried), bodies.get(carried),
                name + ": undecodable frame written back byte for byte")
        c.equal(digest(path), audio, name + ": audio stream unchanged")
        rc, out, err = tools.run("info", "--json", tools.native(path))
        rec = json.loads(out.decode("utf-8").splitlines()[0])
        c.equal((rc, rec["mpeg"]["frequency"], rec["mpeg"]["bitrate"]), (0, 44100, 128),
                name + ": stream read behind the garbage")


def main():
    tools, c, work = start(__doc__, clean=False, tagwrite=True)
    library = os.path.join(work, "library")
    scratch = os.path.join(work, "scratch")
    if subprocess.run([sys.executable, os.path.join(HERE, "make_library.py"), "--out", library],
                      stdin=subprocess.DEVNULL).returncode != 0:
        print("run_interop.py: building the sample library failed")
        return 1
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    with open(os.path.join(library, "manifest.json"), encoding="utf-8") as f:
        manifest = json.load(f)

    def fresh(name, label):
        target = os.path.join(scratch, label + "-" + name)
        shutil.copyfile(os.path.join(library, name), target)
        return target

    c.step("read", check_reading, c, tools, library, manifest)
    c.step("write v2.3", check_write_v23, c, tools, fresh("cbr128_v23.mp3", "edit"))
    c.step("write v2.4 source", check_write_v24, c, tools, fresh("cbr128_v24.mp3", "edit"))
    c.step("remove and copy", check_removal_and_copy, c, tools, fresh)
    c.step("faults and other taggers", check_faults, c, tools, fresh, scratch)
    c.step("genre references", check_genre_references, c, tools, scratch)
    c.step("damaged tags", check_damaged, c, tools, fresh)
    return c.finish("interop")


if __name__ == "__main__":
    sys.exit(main())
