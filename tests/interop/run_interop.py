#!/usr/bin/python3
"""Interoperability checks between the Tunedeck tag engine and mutagen.

    run_interop.py --cli PATH/tunedeck --tagwrite PATH/td_tagwrite --work DIR

Both ways: what mutagen (and the id3v2 tool, and lame) wrote, `tunedeck info
--json` must read the same; what `td_tagwrite` wrote, mutagen must read back,
with the frames nobody touched and the audio stream unchanged. Exits non-zero
on any failure and ends with a "N passed, N failed" line.
"""

import argparse
import hashlib
import json
import os
import shutil
import subprocess
import sys
import traceback

try:
    import mutagen.mp3
    from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1
except ImportError:
    sys.exit("run_interop.py: python3-mutagen is required (run with /usr/bin/python3)")

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
BINARY_IDS = {"APIC", "POPM"}
LANGUAGE_IDS = {"COMM", "USLT"}
# Identifiers that exist only in ID3v2.4 and have no place in a v2.3 tag.
V24_ONLY_IDS = {"TDRC", "TDRL", "TDEN", "TDOR", "TDTG", "TSOA", "TSOP", "TSOT", "TMCL",
                "TIPL", "TSST", "TMOO", "TPRO", "SEEK", "SIGN", "ASPI", "EQU2", "RVA2"}
JSON_KEYS = {"path", "tagFlags", "tagKind", "audioSize", "sizeDelta", "rating", "mpeg",
             "id3v1", "id3v2"}
MPEG_KEYS = ["fileSize", "channels", "lsf", "mpeg25", "layer", "crcProtected", "frequency",
             "bitrate", "vbr", "frames", "seconds", "padding", "privateBit", "mode",
             "modeExtension", "copyright", "original", "emphasis", "frameSize"]
ID3V1_KEYS = {"title", "artist", "album", "year", "comment", "genre", "genreName", "track"}
POPM_EMAIL = "Tunedeck plug-ins for Winamp"
STARS_TO_BYTE = {0: 0, 1: 32, 2: 64, 3: 128, 4: 196, 5: 255}


def stars_of(byte):
    for limit, stars in ((0, 0), (32, 1), (64, 2), (128, 3), (196, 4)):
        if byte <= limit:
            return stars
    return 5


def ansi(text):
    """What a text looks like after a trip through Windows-1252."""
    return text.encode("cp1252", "replace").decode("cp1252")


def v1_text(text):
    """mutagen decodes ID3v1 text as Latin-1; the engine uses Windows-1252."""
    return text.encode("latin-1").decode("cp1252").strip()


# --- raw file structure ---------------------------------------------------

def synchsafe(b):
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]


def raw_tag(data):
    """(major, total size, [(id, body)]) of the ID3v2 tag at the head, or None."""
    if len(data) < 10 or data[:3] != b"ID3" or any(x & 0x80 for x in data[6:10]):
        return None
    major, flags = data[3], data[5]
    size = synchsafe(data[6:10])
    total = 10 + size + (10 if major >= 4 and flags & 0x10 else 0)
    frames = []
    pos = 10
    end = 10 + size
    while pos + 10 <= end and major >= 3:
        fid = data[pos:pos + 4]
        if not all(48 <= c <= 57 or 65 <= c <= 90 for c in fid):
            break
        n = synchsafe(data[pos + 4:pos + 8]) if major >= 4 else int.from_bytes(
            data[pos + 4:pos + 8], "big")
        frames.append((fid.decode("ascii"), data[pos + 10:pos + 10 + n]))
        pos += 10 + n
    return major, total, frames


def audio_stream(data):
    """The MPEG data: after the ID3v2 tag, before an ID3v1 trailer."""
    tag = raw_tag(data)
    start = tag[1] if tag else 0
    end = len(data) - 128 if len(data) >= 128 and data[-128:-125] == b"TAG" else len(data)
    return data[start:end]


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(audio_stream(f.read())).hexdigest()


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def load_id3(path):
    try:
        return ID3(path, translate=False, load_v1=False)
    except ID3NoHeaderError:
        return None


def load_v1(path):
    data = read_bytes(path)
    if len(data) < 128 or data[-128:-125] != b"TAG":
        return None
    return ParseID3v1(data[-128:])


# --- expectations from mutagen ---------------------------------------------

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
            continue
        elif fid not in KEPT_IDS:
            continue
        elif fid in BINARY_IDS:
            out.append({"id": fid})
            continue
        elif fid in LANGUAGE_IDS:
            text = frame.text if isinstance(frame.text, str) else "\x00".join(frame.text)
            out.append({"id": fid, "lang": frame.lang, "fields": [ansi(frame.desc), ansi(text)]})
            continue
        elif fid == "WXXX":
            fields = [frame.desc, frame.url]
        elif fid.startswith("W"):
            fields = [frame.url]
        else:
            fields = [str(t) for t in frame.text]
        out.append({"id": fid, "fields": [ansi(f) for f in fields]})
    return out


def frame_key(frame):
    return json.dumps({k: frame[k] for k in ("id", "lang", "fields") if k in frame},
                      sort_keys=True, ensure_ascii=False)


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.group = ""

    def text_equal(self, got, want, what):
        """Texts written by the engine as read by mutagen: characters outside
        Latin-1 (the euro sign, dashes, curly quotes) must survive too."""
        return self.equal(got, want, what)

    def check(self, condition, what, detail=""):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            line = "FAIL [%s] %s" % (self.group, what)
            if detail:
                detail = str(detail)
                line += ": " + (detail if len(detail) <= 600 else detail[:600] + "...")
            print(line)
        return condition

    def equal(self, got, want, what, context=""):
        detail = "got %r, want %r" % (got, want)
        if context:
            detail += " (" + str(context).strip() + ")"
        return self.check(got == want, what, detail)


class Tools:
    """Runs the two programs, natively or through an emulator (Wine for the
    Windows build, which then gets its paths as Z:\\... drive paths)."""

    def __init__(self, cli, tagwrite, runner=None):
        self.cli = cli
        self.tagwrite = tagwrite
        self.runner = runner
        self.env = dict(os.environ, WINEDEBUG="-all") if runner else None

    def native(self, path):
        if not self.runner:
            return path
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def run(self, program, *args, timeout=120):
        cmd = ([self.runner] if self.runner else []) + [program] + list(args)
        return subprocess.run(cmd, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=timeout, env=self.env)

    def info(self, *paths, json_output=True):
        args = ["info"] + (["--json"] if json_output else []) + [self.native(p) for p in paths]
        p = self.run(self.cli, *args)
        return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")

    def info_record(self, path):
        rc, out, err = self.info(path)
        lines = out.decode("utf-8").splitlines()
        return rc, (json.loads(lines[0]) if lines else None), err

    def write(self, path, *args):
        p = self.run(self.tagwrite, self.native(path), *args)
        return p.returncode, p.stderr.decode("utf-8", "replace")


# --- reading: what others wrote, the engine reads --------------------------

def check_record_shape(c, rec):
    c.equal(set(rec), JSON_KEYS, "JSON keys")
    c.equal(list(rec["mpeg"]), MPEG_KEYS, "MPEG keys in order")
    if rec["id3v1"] is not None:
        c.equal(set(rec["id3v1"]), ID3V1_KEYS, "ID3v1 keys")
    for frame in rec["id3v2"]:
        keys = set(frame)
        ok = keys in ({"id", "fields"}, {"id", "fields", "lang"}, {"id", "size"},
                      {"id", "size", "kept"})
        c.check(ok, "frame keys of " + frame.get("id", "?"), sorted(keys))


def check_mpeg(c, entry, path, rec):
    info = mutagen.mp3.MP3(path).info
    m = rec["mpeg"]
    version = 2.5 if m["mpeg25"] else (2 if m["lsf"] else 1)
    c.equal(version, info.version, "MPEG version")
    c.equal(m["layer"], info.layer, "layer")
    c.equal(m["frequency"], info.sample_rate, "frequency")
    c.equal(m["channels"], info.channels, "channels")
    c.equal(m["mode"], info.mode, "channel mode")
    c.equal(m["fileSize"], os.path.getsize(path), "file size")
    c.equal(m["vbr"], entry["vbr"], "VBR flag (%s header)" % entry.get("xing"))
    c.check(abs(m["seconds"] - info.length) <= 1.0, "length within 1 s of mutagen's",
            "got %d s, mutagen %.3f s" % (m["seconds"], info.length))
    if entry["vbr"]:
        c.check(m["frames"] > 0, "frame count from the Xing header", m["frames"])


def check_id3v1(c, path, rec):
    v1 = load_v1(path)
    got = rec["id3v1"]
    c.equal(bool(rec["tagFlags"] & 1), v1 is not None, "ID3v1 bit of tagFlags")
    if v1 is None:
        c.equal(got, None, "no ID3v1 block")
        return
    if not c.check(got is not None, "ID3v1 block present"):
        return
    c.equal(got["title"], v1_text(str(v1["TIT2"])) if "TIT2" in v1 else "", "v1 title")
    c.equal(got["artist"], v1_text(str(v1["TPE1"])) if "TPE1" in v1 else "", "v1 artist")
    c.equal(got["album"], v1_text(str(v1["TALB"])) if "TALB" in v1 else "", "v1 album")
    c.equal(got["year"], v1_text(str(v1["TDRC"])) if "TDRC" in v1 else "", "v1 year")
    # mutagen always takes trailer byte 126 as a track; the published rule
    # (and the engine) do so only when byte 125 is zero, so that a 30-character
    # ID3v1.0 comment stays whole. Comment and track come from the bytes here.
    trailer = read_bytes(path)[-128:]
    if trailer[125] == 0:
        comment, track = trailer[97:125], trailer[126]
    else:
        comment, track = trailer[97:127], 0
    comment = comment.split(b"\x00")[0].decode("cp1252", "replace").strip()
    c.equal(got["comment"], comment, "v1 comment")
    c.equal(got["track"], track, "v1 track")
    if track and "TRCK" in v1:
        c.equal(got["track"], int(str(v1["TRCK"])), "v1 track as mutagen reads it")
    number = int(v1["TCON"].text[0]) if "TCON" in v1 else 255
    c.equal(got["genre"], (number + 1) % 256, "v1 genre index")
    if number < 145:
        c.equal(got["genreName"], v1["TCON"].genres[0], "v1 genre name")
    else:
        c.equal(got["genreName"], "???", "v1 genre name of an unknown number")


def check_id3v2(c, entry, path, rec):
    tags = load_id3(path)
    kept = [f for f in rec["id3v2"] if "kept" not in f]
    carried = [f for f in rec["id3v2"] if "kept" in f]
    if tags is None:
        c.equal(rec["tagFlags"] & 2, 0, "no ID3v2 bit without a tag")
        c.equal(carried, [], "no carried frames without a tag")
        if rec["tagFlags"] == 0:
            # The record names an untagged file's artist after the file.
            name = os.path.basename(path)
            c.equal(kept, [{"id": "TPE1", "fields": [name[:1].upper() + name[1:]]}],
                    "file-name artist frame of an untagged file")
        else:
            c.equal(kept, [], "no ID3v2 frames")
        return
    c.equal(rec["tagFlags"] & 2, 2, "ID3v2 bit of tagFlags")
    want = expected_frames(tags)
    got = [{k: v for k, v in f.items() if k != "size"} for f in kept]
    c.equal(sorted(map(frame_key, got)), sorted(map(frame_key, want)),
            "kept frames and texts equal mutagen's")
    for f in carried:
        c.check(f["kept"] is False and f["id"] not in KEPT_IDS, "carried frame " + f["id"])
    data = read_bytes(path)
    major, total, raw_frames = raw_tag(data)
    expect_audio = len(data) - total - (128 if rec["tagFlags"] & 1 else 0)
    c.equal(rec["audioSize"], expect_audio, "audio size: file less both tags")
    carried_ids = [f["id"] for f in carried]
    for fid in ("TXXX", "PRIV"):
        if any(ff.FrameID == fid for ff in tags.values()):
            c.check(fid in carried_ids, fid + " listed as carried", carried_ids)
    if major == 3:
        # v2.3 bodies are taken as they stand: binary and carried sizes match.
        raw_sizes = {}
        for fid, body in raw_frames:
            raw_sizes.setdefault(fid, []).append(len(body))
        for f in rec["id3v2"]:
            if "size" in f:
                c.check(f["size"] in raw_sizes.get(f["id"], []), "size of " + f["id"],
                        "got %d, file has %r" % (f["size"], raw_sizes.get(f["id"])))
    popm = [f for f in tags.values() if f.FrameID == "POPM"]
    c.equal(rec["rating"], stars_of(popm[0].rating) if popm else 0, "rating from POPM")


def check_reading(c, tools, library, manifest):
    for entry in manifest["files"]:
        path = os.path.join(library, entry["file"])
        c.group = "read " + entry["file"]
        if entry.get("odd") and tools.runner:
            continue  # quotes and Japanese have no place in an ANSI Windows path
        rc, out, err = tools.info(path)
        lines = out.decode("utf-8").splitlines()
        if not c.equal(len(lines), 1, "one JSON line"):
            continue
        rec = json.loads(lines[0])
        check_record_shape(c, rec)
        c.equal(rec["path"], tools.native(path), "path in UTF-8")
        if entry.get("unreadable"):
            c.equal(rc, 1, "exit status for an unreadable tag")
            c.check("ID3" in err or "encoding" in err or "corrupt" in err.lower(),
                    "reason on standard error", err)
            c.equal(rec["tagFlags"] & 2, 0, "unreadable tag counts as absent")
            check_mpeg(c, entry, path, rec)
            continue
        c.equal(rc, 0, "exit status", err)
        c.equal(err, "", "nothing on standard error")
        check_mpeg(c, entry, path, rec)
        check_id3v1(c, path, rec)
        check_id3v2(c, entry, path, rec)
        if entry.get("odd"):
            title = [f for f in rec["id3v2"] if f["id"] == "TIT2"][0]["fields"][0]
            c.equal(title, 'Tab\there "quoted" back\\slash \x01\x1f', "control characters")
            c.check(b"\\u0001" in out and b"\\u001f" in out.lower() and b"\\t" not in out,
                    "control characters escaped as \\u00XX", out[:200])


# --- writing: what the engine wrote, mutagen reads ---------------------------

def frame_bodies(path):
    tag = raw_tag(read_bytes(path))
    out = {}
    for fid, body in (tag[2] if tag else []):
        out.setdefault(fid, []).append(body)
    return out


def semantic(frame):
    """A frame's content without its text encoding, for v2.4 -> v2.3 checks."""
    attrs = {}
    for name in ("desc", "text", "url", "owner", "data", "mime", "type", "lang", "email",
                 "rating", "count"):
        if hasattr(frame, name):
            value = getattr(frame, name)
            attrs[name] = [str(v) for v in value] if isinstance(value, list) else value
    return frame.FrameID, repr(sorted(attrs.items()))


def split_text(encoding, data):
    """Decodes the zero-separated strings of a text frame body."""
    if encoding in (1, 2):
        units = [data[i:i + 2] for i in range(0, len(data) - 1, 2)]
        parts, current = [], b""
        for u in units:
            if u == b"\x00\x00":
                parts.append(current)
                current = b""
            else:
                current += u
        parts.append(current)
        codec = "utf-16" if encoding == 1 else "utf-16-be"
        return [p.decode(codec) if p else "" for p in parts]
    codec = "latin-1" if encoding == 0 else "utf-8"
    return [p.decode(codec) for p in data.split(b"\x00")]


def first_comment(path):
    """(lang, desc, text) of the first COMM frame in file order: the one the
    engine's comment operations work on."""
    for fid, body in raw_tag(read_bytes(path))[2]:
        if fid == "COMM":
            parts = split_text(body[0], body[4:])
            return body[1:4].decode("latin-1"), parts[0], parts[1] if len(parts) > 1 else ""
    return None


def text_of(tags, fid):
    frames = tags.getall(fid)
    return [str(t) for t in frames[0].text] if frames else None


def fresh_copy(library, name, work, label):
    target = os.path.join(work, label + "-" + name)
    shutil.copyfile(os.path.join(library, name), target)
    return target


def check_write_v23(c, tools, library, work):
    c.group = "write v2.3"
    path = fresh_copy(library, "cbr128_v23.mp3", work, "edit")
    before_audio = digest(path)
    before_bodies = frame_bodies(path)
    before_comments = {(f.lang, f.desc): list(f.text) for f in load_id3(path).getall("COMM")}
    # Comment edits work on the first comment frame, whatever its description;
    # keep its language and description so that mutagen's keys stay apart.
    lang, desc, _ = first_comment(path)
    title = "Nouveau titre ÿ € – fin"
    rc, err = tools.write(
        path, "--set", "TIT2=" + title, "--set", "TPE1=Artiste Ä", "--set", "TALB=Album ß",
        "--comm", "%s:%s:Nouveau commentaire é" % (lang, desc), "--set", "TYER=2011", "--set", "TRCK=7/9",
        "--set", "TCON=Jazz", "--rating", "4",
        "--v1", "title=V1 Titel é", "--v1", "artist=V1 Artist", "--v1", "album=V1 Album",
        "--v1", "year=1999", "--v1", "comment=V1 comment €", "--v1", "genre=Jazz",
        "--v1", "track=5")
    if not c.equal(rc, 0, "td_tagwrite exit status", err):
        return
    tags = load_id3(path)
    if not c.check(tags is not None, "mutagen finds the tag"):
        return
    c.equal(tags.version, (2, 3, 0), "written as ID3v2.3.0")
    c.text_equal(text_of(tags, "TIT2"), [title], "title")
    c.equal(text_of(tags, "TPE1"), ["Artiste Ä"], "artist")
    c.equal(text_of(tags, "TALB"), ["Album ß"], "album")
    c.equal(text_of(tags, "TYER"), ["2011"], "year")
    c.equal(text_of(tags, "TRCK"), ["7/9"], "track")
    c.equal(text_of(tags, "TCON"), ["Jazz"], "genre")
    comms = {(f.lang, f.desc): list(f.text) for f in tags.getall("COMM")}
    c.equal(comms.get((lang, desc)), ["Nouveau commentaire é"], "comment")
    for key, text in before_comments.items():
        if key != (lang, desc):
            c.text_equal(comms.get(key), text, "other comment %r untouched" % (key,))
    popm = tags.getall("POPM")
    c.check(len(popm) == 1 and popm[0].email == POPM_EMAIL and popm[0].rating == 196,
            "rating frame for 4 stars", popm)
    c.equal(text_of(tags, "TSIZ"), [str(len(audio_stream(read_bytes(path))))],
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
    v1 = load_v1(path)
    if c.check(v1 is not None, "ID3v1 trailer written"):
        c.equal(v1_text(str(v1["TIT2"])), "V1 Titel é", "v1 title")
        c.equal(v1_text(str(v1["TPE1"])), "V1 Artist", "v1 artist")
        c.equal(v1_text(str(v1["TALB"])), "V1 Album", "v1 album")
        c.equal(str(v1["TDRC"]), "1999", "v1 year")
        c.equal(v1_text(v1["COMM"].text[0]), "V1 comment €", "v1 comment")
        c.equal(v1["TCON"].genres, ["Jazz"], "v1 genre")
        c.equal(str(v1["TRCK"]), "5", "v1 track")
    rc, rec, err = tools.info_record(path)
    if c.equal(rc, 0, "engine reads its own file", err):
        c.equal(rec["rating"], 4, "rating read back")
        c.equal(rec["tagFlags"], 3, "both tags")

    # A second, smaller change fits the room the first rewrite left.
    c.group = "write in place"
    size = os.path.getsize(path)
    rc, err = tools.write(path, "--set", "TIT2=Short")
    c.equal(rc, 0, "td_tagwrite exit status", err)
    c.equal(os.path.getsize(path), size, "file length unchanged")
    c.equal(text_of(load_id3(path), "TIT2"), ["Short"], "title")
    c.equal(digest(path), before_audio, "audio stream unchanged")
    c.check(not os.path.exists(path + ".mp3tmp"), "no temporary file left")

    # An empty value removes the frame.
    rc, err = tools.write(path, "--set", "TALB=")
    c.equal(rc, 0, "td_tagwrite exit status", err)
    c.equal(load_id3(path).getall("TALB"), [], "album frame removed by an empty value")


def check_write_v24(c, tools, library, work):
    c.group = "write v2.4 source"
    path = fresh_copy(library, "cbr128_v24.mp3", work, "edit")
    before = load_id3(path)
    before_audio = digest(path)
    rc, err = tools.write(path, "--set", "TPE1=Nouvel artiste", "--set", "TYER=2011",
                          "--comm", "eng::Changed", "--rating", "2")
    if not c.equal(rc, 0, "td_tagwrite exit status", err):
        return
    after = load_id3(path)
    c.equal(after.version, (2, 3, 0), "rewritten as ID3v2.3.0")
    c.equal(text_of(after, "TIT2"), [make_library.TITLE_JAPANESE],
            "Japanese title kept although the ANSI code page cannot hold it")
    c.equal(text_of(after, "TPE1"), ["Nouvel artiste"], "artist")
    c.equal(text_of(after, "TYER"), ["2011"], "year")
    ids = set(frame_bodies(path))
    c.equal(ids & V24_ONLY_IDS, set(), "no v2.4-only frames in the v2.3 tag")
    for fid in ("TXXX", "PRIV", "APIC", "WXXX", "WOAR", "USLT"):
        c.equal([semantic(f) for f in after.getall(fid)],
                [semantic(f) for f in before.getall(fid)], fid + " content unchanged")
    popm = after.getall("POPM")
    c.check(len(popm) == 1 and popm[0].rating == 64, "rating frame for 2 stars", popm)
    c.equal(digest(path), before_audio, "audio stream unchanged")


def check_removal(c, tools, library, work):
    source = "vbr_v2_stereo_v23.mp3"
    trailer = read_bytes(os.path.join(library, source))[-128:]
    audio = digest(os.path.join(library, source))
    title = text_of(load_id3(os.path.join(library, source)), "TIT2")

    c.group = "remove v2"
    path = fresh_copy(library, source, work, "remove-v2")
    rc, err = tools.write(path, "--remove", "v2")
    c.equal(rc, 0, "exit status", err)
    c.equal(load_id3(path), None, "no ID3v2 tag")
    c.equal(read_bytes(path)[-128:], trailer, "ID3v1 trailer unchanged")
    c.equal(digest(path), audio, "audio stream unchanged")

    c.group = "remove v1"
    path = fresh_copy(library, source, work, "remove-v1")
    rc, err = tools.write(path, "--remove", "v1")
    c.equal(rc, 0, "exit status", err)
    c.equal(load_v1(path), None, "no ID3v1 trailer")
    tags = load_id3(path)
    c.text_equal(text_of(tags, "TIT2") if tags else None, title, "ID3v2 tag kept")
    c.equal(digest(path), audio, "audio stream unchanged")

    c.group = "remove all"
    path = fresh_copy(library, source, work, "remove-all")
    rc, err = tools.write(path, "--remove", "all")
    c.equal(rc, 0, "exit status", err)
    c.equal((load_id3(path), load_v1(path)), (None, None), "no tags")
    c.equal(hashlib.sha256(read_bytes(path)).hexdigest(), audio,
            "the file is exactly the audio stream")


def check_copy(c, tools, library, work):
    c.group = "copy v1 to v2"
    path = fresh_copy(library, "v1only_track.mp3", work, "copy")
    audio = digest(path)
    trailer = read_bytes(path)[-128:]
    rc, err = tools.write(path, "--copy", "v1-to-v2")
    if c.equal(rc, 0, "exit status", err):
        tags = load_id3(path)
        if c.check(tags is not None, "ID3v2 tag created"):
            c.text_equal(text_of(tags, "TIT2"), [make_library.TITLE_ACCENTS[:30]], "title")
            c.text_equal(text_of(tags, "TPE1"), [make_library.ARTIST_ACCENTS], "artist")
            c.equal(text_of(tags, "TALB"), ["Old Album"], "album")
            c.equal(text_of(tags, "TYER"), ["1987"], "year")
            c.equal(text_of(tags, "TCON"), ["Jazz"], "genre name from genre number 8")
            c.equal(text_of(tags, "TRCK"), ["7"], "track")
            comm = tags.getall("COMM")
            c.check(len(comm) == 1 and comm[0].lang == "eng" and comm[0].desc == "" and
                    list(comm[0].text) == ["v1.1 comment"], "comment", comm)
        c.equal(read_bytes(path)[-128:], trailer, "ID3v1 trailer unchanged")
        c.equal(digest(path), audio, "audio stream unchanged")

    c.group = "copy v2 to v1"
    path = fresh_copy(library, "cbr128_v23.mp3", work, "copy")
    audio = digest(path)
    comment = first_comment(path)[2]
    rc, err = tools.write(path, "--copy", "v2-to-v1")
    if c.equal(rc, 0, "exit status", err):
        v1 = load_v1(path)
        if c.check(v1 is not None, "ID3v1 trailer created"):
            c.equal(v1_text(str(v1["TIT2"])), make_library.TITLE_ACCENTS[:30], "v1 title")
            c.equal(v1_text(str(v1["TPE1"])), make_library.ARTIST_ACCENTS, "v1 artist")
            c.equal(v1_text(str(v1["TALB"])), make_library.ALBUM_ACCENTS[:30], "v1 album")
            c.equal(str(v1["TDRC"]), "2004", "v1 year")
            c.equal(v1["TCON"].genres, ["Rock"], "v1 genre")
            c.equal(str(v1["TRCK"]), "3", "v1 track from 3/12")
            c.equal(v1_text(v1["COMM"].text[0]), comment[:30], "v1 comment from the first COMM")
        c.equal(digest(path), audio, "audio stream unchanged")


def check_unreadable(c, tools, library, work):
    c.group = "unreadable tag"
    path = fresh_copy(library, "bad_encoding.mp3", work, "edit")
    before = read_bytes(path)
    rc, err = tools.write(path, "--set", "TIT2=x")
    c.equal(rc, 1, "a save over a tag that could not be read fails", err)
    c.equal(read_bytes(path), before, "the file is left as it was")
    rc, err = tools.write(path, "--remove", "v2")
    c.equal(rc, 0, "an asked-for removal still removes it", err)
    c.equal(read_bytes(path), audio_stream(before), "only the audio is left")


def check_other_taggers(c, tools, library, work):
    for name in ("id3v2_tool.mp3", "lame_tagged.mp3", "id3v22.mp3"):
        c.group = "edit " + name
        path = fresh_copy(library, name, work, "edit")
        before = load_id3(path)
        audio = digest(path)
        rc, err = tools.write(path, "--set", "TIT2=Edited")
        if not c.equal(rc, 0, "exit status", err):
            continue
        after = load_id3(path)
        c.equal(after.version, (2, 3, 0), "written as ID3v2.3.0")
        c.equal(text_of(after, "TIT2"), ["Edited"], "title")
        for fid in ("TPE1", "TALB", "TYER", "TRCK", "TCON"):
            c.equal(text_of(after, fid), text_of(before, fid), fid + " kept")
        c.equal(digest(path), audio, "audio stream unchanged")


# --- the command line itself --------------------------------------------------

def check_command_line(c, tools, library, work):
    c.group = "cli"
    p = tools.run(tools.cli, "--help")
    c.equal(p.returncode, 0, "--help exit status")
    c.check(b"info" in p.stdout, "--help lists info")
    p = tools.run(tools.cli, "bogus")
    c.equal(p.returncode, 2, "unknown command exit status")

    missing = os.path.join(work, "does-not-exist.mp3")
    good = os.path.join(library, "cbr128_v23.mp3")
    rc, out, err = tools.info(good, missing, good)
    c.equal(rc, 1, "exit status with a missing file")
    c.check("Cannot open file" in err and tools.native(missing) in err,
            "missing file reported", err)
    c.equal(len(out.decode("utf-8").splitlines()), 2, "the other files still listed")
    rc, out, err = tools.info(work)
    c.equal(rc, 1, "a directory cannot be read")
    c.check("Cannot open file" in err, "directory reported", err)

    rc, out, err = tools.info(good, json_output=False)
    text = out.decode("utf-8")
    c.equal(rc, 0, "text output exit status", err)
    for piece in (make_library.TITLE_ACCENTS, "MPEG 1, layer 3", "128kb/s", "44100",
                  "Joint-Stereo", "00:03", "ID3v1+v2" if load_v1(good) else "ID3v2"):
        c.check(piece in text, "text output shows " + piece, text[:300])

    # A POSIX file name need not be UTF-8; the JSON must stay valid anyway.
    if os.name == "posix" and not tools.runner:
        odd = os.path.join(os.fsencode(work), b"latin1-\xe9t\xe9.mp3")
        shutil.copyfile(os.fsencode(good), odd)
        p = subprocess.run([tools.cli, "info", "--json", odd], capture_output=True, timeout=30)
        c.equal(p.returncode, 0, "exit status for a non-UTF-8 file name")
        try:
            rec = json.loads(p.stdout.decode("utf-8"))
            c.check(rec["path"].endswith("latin1-\ufffdt\ufffd.mp3"),
                    "invalid UTF-8 shown as U+FFFD", rec["path"])
        except ValueError as e:
            c.check(False, "valid UTF-8 JSON for a non-UTF-8 file name", e)

    c.group = "tagwrite usage"
    path = fresh_copy(library, "cbr128_v23.mp3", work, "usage")
    before = read_bytes(path)
    rc, err = tools.write(path, "--set", "TIT2=" + make_library.TITLE_JAPANESE)
    c.equal(rc, 2, "text outside the ANSI code page refused")
    rc, err = tools.write(path, "--set", "XXXX=1")
    c.equal(rc, 2, "unknown frame refused")
    rc, err = tools.write(path, "--set", "TXXX=1")
    c.equal(rc, 2, "a frame type the record does not keep refused")
    rc, err = tools.write(path, "--rating", "6")
    c.equal(rc, 2, "rating above 5 refused")
    c.equal(read_bytes(path), before, "file untouched by refused commands")
    rc, err = tools.write(os.path.join(work, "nope.mp3"), "--set", "TIT2=x")
    c.check(rc == 1 and "Cannot open file" in err, "missing file", err)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--tagwrite", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runner", help="emulator for the programs, e.g. wine64 for the "
                        "Windows build")
    args = parser.parse_args()

    library = os.path.join(args.work, "library")
    scratch = os.path.join(args.work, "scratch")
    p = subprocess.run([sys.executable, os.path.join(HERE, "make_library.py"), "--out", library],
                       stdin=subprocess.DEVNULL)
    if p.returncode != 0:
        print("run_interop.py: building the sample library failed")
        return 1
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    with open(os.path.join(library, "manifest.json"), encoding="utf-8") as f:
        manifest = json.load(f)

    tools = Tools(os.path.abspath(args.cli), os.path.abspath(args.tagwrite), args.runner)
    c = Checks()
    for step in (lambda: check_reading(c, tools, library, manifest),
                 lambda: check_write_v23(c, tools, library, scratch),
                 lambda: check_write_v24(c, tools, library, scratch),
                 lambda: check_removal(c, tools, library, scratch),
                 lambda: check_copy(c, tools, library, scratch),
                 lambda: check_unreadable(c, tools, library, scratch),
                 lambda: check_other_taggers(c, tools, library, scratch),
                 lambda: check_command_line(c, tools, library, scratch)):
        try:
            step()
        except Exception:  # a crash in one group must not hide the others
            c.check(False, "unexpected exception", traceback.format_exc())
    print("interop: %d passed, %d failed" % (c.passed, c.failed))
    return 0 if c.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
