"""What the interoperability checks share: running `tunedeck` (natively or
under Wine), reading files back with mutagen, counting results."""

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

POPM_EMAIL = "Tunedeck plug-ins for Winamp"


def start(doc, clean=True, tagwrite=False):
    """Parses --cli, --work and --runner (and --tagwrite); empties the work
    folder unless told not to. Returns (tools, checks, work folder)."""
    parser = argparse.ArgumentParser(description=doc.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runner", help="emulator for the programs, e.g. wine64")
    parser.add_argument("--tagwrite", required=tagwrite)
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    if clean:
        shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work, exist_ok=True)
    return Tools(args.cli, args.runner, args.tagwrite), Checks(), work


class CheckFailed(Exception):
    pass


def need(ok, detail=""):
    """Stops the group being run when a check fails; unlike assert it also
    runs under python -O."""
    if not ok:
        raise CheckFailed(str(detail))


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.group = ""

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            detail = str(detail)
            print("FAIL [%s] %s%s" % (self.group, what, ": " + detail[:600] if detail else ""))
        return ok

    def equal(self, got, want, what):
        return self.check(got == want, what, "got %r, want %r" % (got, want))

    def step(self, name, fn, *args):
        """Runs one group of checks; a group of need() checks that runs
        through counts as one pass, an exception as one failure."""
        self.group = name
        before = self.passed + self.failed
        try:
            fn(*args)
            if self.passed + self.failed == before:
                self.passed += 1
        except Exception:  # one group's crash must not hide the others
            self.check(False, "unexpected exception", traceback.format_exc())

    def finish(self, label):
        print("%s: %d passed, %d failed" % (label, self.passed, self.failed))
        return 1 if self.failed else 0


class Tools:
    """Runs the programs, natively or through an emulator (Wine for the
    Windows build, which then gets its paths as Z:\\... drive paths)."""

    def __init__(self, cli, runner=None, tagwrite=None):
        self.cli = os.path.abspath(cli)
        self.tagwrite = tagwrite and os.path.abspath(tagwrite)
        self.runner = runner
        self.env = dict(os.environ, WINEDEBUG="-all") if runner else None

    def native(self, path):
        path = os.path.abspath(path)
        return "Z:" + path.replace("/", "\\") if self.runner else path

    def run(self, *args, program=None, stdin=None, cwd=None):
        """(exit status, standard output bytes, standard error text)."""
        cmd = ([self.runner] if self.runner else []) + [program or self.cli] + list(args)
        p = subprocess.run(cmd, input=stdin, stdin=None if stdin is not None else subprocess.DEVNULL,
                           capture_output=True, timeout=300, env=self.env, cwd=cwd)
        return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")

    def write(self, path, *args):
        """Runs td_tagwrite on one file: (exit status, output, error text)."""
        return self.run(self.native(path), *args, program=self.tagwrite)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def synchsafe(b):
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]


def raw_tag(data):
    """(major, total size, [(id, body)]) of the ID3v2 tag at the head, or None."""
    if len(data) < 10 or data[:3] != b"ID3" or any(x & 0x80 for x in data[6:10]):
        return None
    major, size = data[3], synchsafe(data[6:10])
    total = 10 + size + (10 if major >= 4 and data[5] & 0x10 else 0)
    frames, pos = [], 10
    while pos + 10 <= 10 + size and major >= 3:
        fid = data[pos:pos + 4]
        if not all(48 <= c <= 57 or 65 <= c <= 90 for c in fid):
            break
        n = synchsafe(data[pos + 4:pos + 8]) if major >= 4 else int.from_bytes(
            data[pos + 4:pos + 8], "big")
        frames.append((fid.decode("ascii"), data[pos + 10:pos + 10 + n]))
        pos += 10 + n
    return major, total, frames


def audio_of(data):
    """The MPEG data: after the ID3v2 tag, before an ID3v1 trailer."""
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
    comment_bytes = field(comment, 30) if track is None else field(comment, 28) + bytes((0, track))
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
            comment_bytes + bytes((genre,)))


def ansi(text):
    """`text` as the ANSI code page (Windows-1252) can hold it."""
    return text.encode("cp1252", "replace").decode("cp1252")


def text_of(tags, fid):
    frames = tags.getall(fid) if tags else []
    return [str(t) for t in frames[0].text] if frames else None


def make_clip(work, seconds="1.5"):
    """A lame-made MP3 clip (128 kbit/s, stereo) in `work`."""
    wav, clip = os.path.join(work, "tone.wav"), os.path.join(work, "clip.mp3")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", wav, "synth", seconds, "sine", "440"],
                   check=True)
    subprocess.run(["lame", "--quiet", "-b", "128", wav, clip], check=True)
    return clip
