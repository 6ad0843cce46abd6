"""What the interoperability checks share: running `tunedeck` (natively or
under Wine), tagging and reading files with mutagen, counting results."""

import argparse
import os
import shutil
import subprocess
import sys
import traceback

try:
    from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1
except ImportError:
    sys.exit("%s: python3-mutagen is required (run with /usr/bin/python3)"
             % os.path.basename(sys.argv[0]))


def start(doc, clean=True):
    """(tools, checks, work folder) from --cli, --work and --runner; the work folder emptied unless not `clean`."""
    parser = argparse.ArgumentParser(description=doc.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runner", help="emulator for the programs, e.g. wine64")
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    if clean:
        shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work, exist_ok=True)
    return Tools(args.cli, args.runner), Checks(), work


def need(ok, detail=""):
    """Stops the group being run when a check fails; unlike assert it also
    runs under python -O."""
    if not ok:
        raise AssertionError(str(detail))


class Checks:
    """Runs groups of checks (functions) and counts the failed checks; a
    group stops at its first failed need() or exception, the others run."""

    def __init__(self):
        self.failed = 0
        self.group = ""

    def check(self, ok, what, detail=""):
        if not ok:
            self.failed += 1
            print("FAIL [%s] %s: %s" % (self.group, what, str(detail)[:600]))
        return ok

    def equal(self, got, want, what):
        return self.check(got == want, what, "got %r, want %r" % (got, want))

    def run_all(self, label, *groups):
        for fn in groups:
            self.group = fn.__name__
            try:
                fn()
            except Exception:
                self.check(False, "unexpected exception", traceback.format_exc())
        print("%s: %d groups, %d failed checks" % (label, len(groups), self.failed))
        return 1 if self.failed else 0


class Tools:
    """Runs the programs, natively or through an emulator (Wine for the
    Windows build, which then gets its paths as Z:\\... drive paths)."""

    def __init__(self, cli, runner=None):
        self.cli = os.path.abspath(cli)
        self.runner = runner
        self.env = dict(os.environ, WINEDEBUG="-all") if runner else None

    def native(self, path):
        path = os.path.abspath(path)
        return "Z:" + path.replace("/", "\\") if self.runner else path

    def run(self, *args, stdin=None, cwd=None):
        """(exit status, standard output bytes, standard error text)."""
        cmd = ([self.runner] if self.runner else []) + [self.cli] + list(args)
        p = subprocess.run(cmd, input=stdin, stdin=None if stdin is not None else subprocess.DEVNULL,
                           capture_output=True, timeout=300, env=self.env, cwd=cwd)
        return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")

    def ok(self, *args, stdin=None, cwd=None):
        """Runs `tunedeck`, stopping the group unless it succeeds; its output as text."""
        rc, out, err = self.run(*args, stdin=stdin, cwd=cwd)
        need(rc == 0, (args, rc, err))
        return out.decode("utf-8")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def synchsafe(b):
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]


def raw_tag(data):
    """(major, total size, [(id, body)]) of the ID3v2 tag at the head, or None."""
    if len(data) < 10 or data[:3] != b"ID3" or any(x & 0x80 for x in data[6:10]):
        return None
    major = data[3]
    size = synchsafe(data[6:10])
    total = 10 + size + (10 if major >= 4 and data[5] & 0x10 else 0)
    frames = []
    pos = 10
    while pos + 10 <= 10 + size and major >= 3:
        fid = data[pos:pos + 4]
        if not all(48 <= c <= 57 or 65 <= c <= 90 for c in fid):
            break
        if major >= 4:
            n = synchsafe(data[pos + 4:pos + 8])
        else:
            n = int.from_bytes(data[pos + 4:pos + 8], "big")
        frames.append((fid.decode("ascii"), data[pos + 10:pos + 10 + n]))
        pos += 10 + n
    return major, total, frames


def frame_bodies(path):
    """{frame id: [raw bodies]} of the file's ID3v2.3/2.4 tag."""
    out = {}
    for fid, body in raw_tag(read_bytes(path))[2]:
        out.setdefault(fid, []).append(body)
    return out


def audio_of(data):
    """The MPEG data (of a file's bytes or path): after the ID3v2 tag, before
    an ID3v1 trailer."""
    if isinstance(data, str):
        data = read_bytes(data)
    tag = raw_tag(data)
    end = len(data) - 128 if len(data) >= 128 and data[-128:-125] == b"TAG" else len(data)
    return data[tag[1] if tag else 0:end]


def load_id3(path):
    """The ID3v2 tag alone (mutagen would otherwise fall back to ID3v1)."""
    try:
        return ID3(path, translate=False, load_v1=False)
    except ID3NoHeaderError:
        return None


def load_v1(path):
    data = read_bytes(path)
    return ParseID3v1(data[-128:]) if len(data) >= 128 and data[-128:-125] == b"TAG" else None


def v1_text(text):
    """mutagen decodes ID3v1 text as Latin-1; the engine uses Windows-1252."""
    return text.encode("latin-1").decode("cp1252").strip()


def v1_fields(path):
    """The ID3v1 trailer as {frame id: text}, or None."""
    v1 = load_v1(path)
    if v1 is None:
        return None
    out = {k: v1_text(str(v)) for k, v in v1.items() if k not in ("TCON", "COMM")}
    if "COMM" in v1:
        out["COMM"] = v1_text(v1["COMM"].text[0])
    if "TCON" in v1 and v1["TCON"].genres:
        out["TCON"] = v1["TCON"].genres[0]
    return out


def v1_trailer(title, artist, album, year, comment, genre, track=None):
    """An ID3v1 (track None) or ID3v1.1 trailer; texts in Windows-1252."""
    def field(text, width):
        return text.encode("cp1252")[:width].ljust(width, b"\0")
    if track is None:
        comment_bytes = field(comment, 30)
    else:
        comment_bytes = field(comment, 28) + bytes((0, track))
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
            comment_bytes + bytes((genre,)))


def text_of(tags, fid):
    frames = tags.getall(fid) if tags else []
    return [str(t) for t in frames[0].text] if frames else None


def texts(path):
    """{frame id: first text} of the file's ID3v2 tag as mutagen reads it."""
    tags = load_id3(path)
    return {k: str(tags[k].text[0]) for k in tags.keys() if hasattr(tags[k], "text")} if tags else {}


def tag_file(path, frames, version=3, v1=0):
    """Tags `path` with mutagen: the frames as given, in an ID3v2.`version`
    tag (v1=2 adds an ID3v1 trailer)."""
    tags = ID3()
    for frame in frames:
        tags.add(frame)
    tags.save(path, v1=v1, v2_version=version, v23_sep="/")


class Clips:
    """Copies of one lame-made MP3 clip (128 kbit/s, stereo), bare or tagged
    by mutagen."""

    def __init__(self, work):
        self.work = work
        wav = os.path.join(work, "tone.wav")
        self.clip = os.path.join(work, "clip.mp3")
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", wav, "synth", "1.5", "sine", "440"], check=True)
        subprocess.run(["lame", "--quiet", "-b", "128", wav, self.clip], check=True)
        self.bytes = read_bytes(self.clip)
        self.audio = audio_of(self.bytes)

    def copy(self, path, *frames, v1=0, data=None):
        """The clip (or `data`) at `path`, relative to the work folder, with
        the frames as an ID3v2.3 tag; returns the path."""
        path = os.path.join(self.work, path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(self.bytes if data is None else data)
        if frames:
            tag_file(path, frames, 3, v1)
        return path
