#!/usr/bin/python3
"""Checks the exports of `tunedeck export` with real parsers.

    check_exports.py --cli PATH/tunedeck --work DIR

Exports a small library whose tags hold markup, quotes, ampersands, accented
letters and the euro sign and reads the results back: HTML with html.parser
(the table's cells and links, no element a tag smuggled in), XML with
xml.etree, CSV with the csv module, text split at its tabs. The expected texts
come from `tunedeck list`, which shows the same columns in UTF-8.
"""

import csv
import io
import os
import struct
import sys
import urllib.parse
import xml.etree.ElementTree as ElementTree
from html.parser import HTMLParser

from interop_common import start, tag_file, v1_trailer
from mutagen.id3 import TALB, TIT2, TPE1, TYER, Encoding

# Artist, title, album, year, time, size, file name, ID3 tags: the list's
# column numbers and the keys of the XML export.
COLUMNS = [0, 1, 4, 3, 10, 11, 12, 14]
KEYS = ["ARTIST", "TITLE", "ALBUM", "YEAR", "TIME", "SIZE", "FILENAME", "ID3TAG"]
HOSTILE_ARTIST = '<script>alert("pwned")</script>'
HOSTILE_TITLE = '"><img src=x onerror=alert(1)>'

# (file name, ID3v1 (title, artist, album, year) or None, ID3v2 texts or None)
SONGS = [
    ("01 plain.mp3", ("Plain Song", "Plain Artist", "Album", "2001"),
     {TPE1: "Plain Artist", TIT2: "Plain Song", TALB: "Album", TYER: "2001"}),
    ("02 hostile.mp3", ("</td><td>x", "<b>v1</b> & co", "a\"b", "1999"),
     {TPE1: HOSTILE_ARTIST, TIT2: HOSTILE_TITLE, TALB: "Rock & Roll 'n' <b>bold</b>"}),
    ('03 Café "q" & <n> 日本.mp3', ("5 € Café", "Björk", "Ça ira", "2010"),
     {TPE1: "Björk", TIT2: "5 € Café", TALB: "Ça ira – Édition"}),
    ("04 semi;colon.mp3", None, {TIT2: 'a;b "c" ;', TPE1: "line1\nline2"}),
    ("05 no tags.mp3", None, None),
]
PAGE_ELEMENTS = {"html", "head", "meta", "title", "style", "body", "center", "h1", "table", "tbody", "tr", "th",
                 "td", "a", "br", "b"}


def norm(text):
    """Texts compared by their words: parsers and the list treat blanks,
    line breaks and non-breaking spaces differently."""
    return " ".join(text.split())


def make_library(folder):
    os.makedirs(folder)
    for name, v1, v2 in SONGS:
        path = os.path.join(folder, name)
        with open(path, "wb") as f:  # MPEG 1 layer III, 128 kbit/s, 44100 Hz
            f.write((b"\xff\xfb\x90\x64" + bytes(413)) * 120)
        if v2:
            tag_file(path, [kind(encoding=Encoding.UTF16, text=text) for kind, text in v2.items()])
        if v1:
            with open(path, "ab") as f:
                f.write(v1_trailer(*v1, "", 255, 1))


def settings_file(path):
    """A settings file image (5,528 bytes): hyperlinks on, view 1, our columns."""
    data = bytearray(5528)
    struct.pack_into("<4i", data, 0, 0, 0, 1, 0)
    struct.pack_into("<i", data, 32, 1)
    struct.pack_into("<20i", data, 80, *COLUMNS, *[i for i in range(20) if i not in COLUMNS])
    struct.pack_into("<20i", data, 160, *[int(i in COLUMNS) for i in range(20)])
    struct.pack_into("<20i", data, 240, *([100] * 20))
    with open(path, "wb") as f:
        f.write(bytes(data))
    return path


class Page(HTMLParser):
    """The elements, event handler attributes, table rows and links of a
    page, as an HTML parser finds them."""

    def __init__(self, markup):
        super().__init__(convert_charrefs=True)
        self.elements, self.handlers, self.rows, self.links = set(), [], [], []
        self.cell = None
        self.feed(markup)

    def handle_starttag(self, tag, attrs):
        self.elements.add(tag)
        self.handlers += [name for name, _ in attrs if name.startswith("on")]
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag == "a":
            url = urllib.parse.urlsplit(dict(attrs)["href"])
            self.links.append((url.scheme, urllib.parse.unquote(url.path, errors="strict")))

    def handle_endtag(self, tag):
        if tag in ("td", "th") and self.cell is not None:
            self.rows[-1].append(norm(self.cell))
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def main():
    tools, c, work = start(__doc__)
    library = os.path.join(work, "library")
    make_library(library)
    settings = settings_file(os.path.join(work, "settings.ini"))
    out = tools.ok("list", library, "--view", "1", "--columns", ",".join(str(k) for k in COLUMNS))
    rows = [line.split("\t") for line in out.split("\n") if line]
    paths = [row[KEYS.index("FILENAME")] for row in rows]
    want = [[norm(x) for x in row] for row in rows]

    def export(form):
        path = os.path.join(work, "list." + form)
        tools.ok("export", "--format", form, "--settings", settings, "-o", path, library)
        with open(path, "rb") as f:
            return f.read()

    def table():
        c.equal(sorted(os.path.basename(p) for p in paths), sorted(s[0] for s in SONGS), "the list shows every song")
        page = Page(export("html").decode("cp1252"))
        c.check(page.elements <= PAGE_ELEMENTS and not page.handlers, "only the page's own elements",
                "extra: %s %s" % (sorted(page.elements - PAGE_ELEMENTS), page.handlers))
        c.equal([row[1:] for row in page.rows[1:]], want, "the table's cells")
        c.equal(page.links, [("file", p) for p in paths], "links to the files")

    def xml():
        root = ElementTree.fromstring(export("xml"))
        got = [(e.tag, e.get("FILENAME"), [(child.tag, norm(child.text or "")) for child in e]) for e in root]
        expected = []
        for row, path in zip(want, paths):
            row = list(row)
            minutes, seconds = row[KEYS.index("TIME")].split(":")
            row[KEYS.index("TIME")] = str(int(minutes) * 60 + int(seconds))
            row[KEYS.index("SIZE")] = str(os.path.getsize(path))
            expected.append(("MEDIAFILE", path, list(zip(KEYS, row))))
        c.equal(got, expected, "one MEDIAFILE per row, its keys in column order, TIME in seconds, SIZE in bytes")

    def text_forms():
        # What Windows-1252 cannot hold is shown as '?'.
        ansi = [[norm(x.encode("cp1252", "replace").decode("cp1252")) for x in row] for row in rows]
        cells = csv.reader(io.StringIO(export("csv").decode("cp1252"), newline=""), delimiter=";", strict=True)
        c.equal([[norm(x) for x in row] for row in cells][1:], ansi, "csv cells")
        lines = export("txt").decode("cp1252").split("\r\n")
        c.equal([[norm(x) for x in line.split("\t")] for line in lines[1:-1]], ansi, "txt cells")

    return c.run_all("exports", table, xml, text_forms)


if __name__ == "__main__":
    sys.exit(main())
