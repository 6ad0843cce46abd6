#!/usr/bin/python3
"""Checks the exports of `tunedeck export` with real parsers.

    check_exports.py --cli PATH/tunedeck --work DIR

Exports a small library whose tags hold markup, quotes, ampersands, accented
letters and the euro sign and reads the results back: HTML in headless Chromium
(expected rows, cells, links and styles, no element a tag smuggled in), XML
with xml.etree, CSV with the csv module. The expected texts come from
`tunedeck list`, which shows the same columns in UTF-8.
"""

import csv
import io
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.parse
import xml.etree.ElementTree as ElementTree
from concurrent.futures import ThreadPoolExecutor
from html.parser import HTMLParser

from interop_common import ansi, need, start, v1_trailer
from mutagen.id3 import ID3, TALB, TIT2, TPE1, TRCK, TYER, Encoding

CHROMIUM = "/usr/bin/chromium"
TITLES = {0: "Artist", 1: "Title", 3: "Year", 4: "Album", 10: "Time", 11: "Size",
          12: "File name", 14: "ID3Tag"}
KEYS = {0: "ARTIST", 1: "TITLE", 3: "YEAR", 4: "ALBUM", 10: "TIME", 11: "SIZE",
        12: "FILENAME", 14: "ID3TAG"}
TAG_COLUMNS = {0, 1, 3, 4}
COLUMNS = [0, 1, 4, 3, 10, 11, 12, 14]

FONT_NAMES = ["Arial, Helvetica, sans-serif", '"Times New Roman", Times, serif',
              '"Courier New", Courier, mono', "Verdana, Arial, Helvetica, sans-serif"]
FONT_STYLES = [("normal", "normal"), ("normal", "bold"), ("italic", "normal"), ("italic", "bold")]
FONT_SIZES = ["xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large"]
CLASSES = ["TextPage", "TitlePage", "ColumnHeader", "ColumnText"]
# A template of our own in slot 5: (text, background, font, style, size) per
# class, then the link colour.
TEMPLATE = [("#123456", "#ABCDEF", 3, 3, 6), ("#010203", "#F0E0D0", 1, 2, 0),
            ("#FFFFFF", "#800000", 2, 1, 3), ("#0A0B0C", "#C0FFEE", 0, 0, 2)]
LINK = "#FF0080"

HOSTILE_ARTIST = '<script>alert("pwned")</script>'
HOSTILE_TITLE = '"><img src=x onerror=alert(1)>'

# (file name, ID3v1 (title, artist, album, year) or None, ID3v2 frames or None)
SONGS = [
    ("01 plain.mp3", ("Plain Song", "Plain Artist", "Album", "2001"),
     {"TPE1": "Plain Artist", "TIT2": "Plain Song", "TALB": "Album", "TYER": "2001",
      "TRCK": "1"}),
    ("02 hostile.mp3", ("</td><td>x", "<b>v1</b> & co", "a\"b", "1999"),
     {"TPE1": HOSTILE_ARTIST, "TIT2": HOSTILE_TITLE, "TALB": "Rock & Roll 'n' <b>bold</b>"}),
    ('03 Café "q" & <n> 日本.mp3', ("5 € Café", "Björk", "Ça ira", "2010"),
     {"TPE1": "Björk", "TIT2": "5 € Café", "TALB": "Ça ira – Édition"}),
    ("04 semi;colon.mp3", None, {"TIT2": 'a;b "c" ;', "TPE1": "line1\nline2"}),
    ("05 no tags.mp3", None, None),
]
ALLOWED_TAGS = {"html", "head", "meta", "title", "style", "body", "center", "h1", "table",
                "tbody", "tr", "th", "td", "a", "br", "b"}
VOID = {"meta", "br", "img", "input", "link", "hr", "area", "base", "col", "embed", "source",
        "track", "wbr", "param"}


def norm(text):
    """Texts compared by their words: parsers and the list treat blanks,
    line breaks and non-breaking spaces differently."""
    return " ".join(text.split())


def make_library(folder):
    kinds = {"TPE1": TPE1, "TIT2": TIT2, "TALB": TALB, "TYER": TYER, "TRCK": TRCK}
    os.makedirs(folder)
    for name, v1, v2 in SONGS:
        path = os.path.join(folder, name)
        with open(path, "wb") as f:  # MPEG 1 layer III, 128 kbit/s, 44100 Hz
            f.write((b"\xff\xfb\x90\x64" + bytes(413)) * 120)
        if v2:
            tag = ID3()
            for frame_id, text in v2.items():
                tag.add(kinds[frame_id](encoding=Encoding.UTF16, text=text))
            tag.save(path, v2_version=3)
        if v1:
            with open(path, "ab") as f:
                f.write(v1_trailer(*v1, "", 255, 1))


def colour(text):
    """'#RRGGBB' as the settings hold it: red in the low byte."""
    return int(text[1:3], 16) | int(text[3:5], 16) << 8 | int(text[5:7], 16) << 16


def settings_file(path, hyperlink=0, both=0, selected_only=0, view=1):
    """A settings file image (5,528 bytes) with our columns and template 5."""
    data = bytearray(5528)
    struct.pack_into("<4i", data, 0, selected_only, 0, hyperlink, both)
    struct.pack_into("<i", data, 32, view)
    struct.pack_into("<20i", data, 80, *COLUMNS, *[i for i in range(20) if i not in COLUMNS])
    struct.pack_into("<20i", data, 160, *[int(i in COLUMNS) for i in range(20)])
    struct.pack_into("<20i", data, 240, *([100] * 20))
    struct.pack_into("<i", data, 328, 5)
    values = [v for t, b, *rest in TEMPLATE for v in (colour(t), colour(b), *rest)]
    struct.pack_into("<21I", data, 332 + 5 * 84, *values, colour(LINK))
    with open(path, "wb") as f:
        f.write(bytes(data))
    return path


class Node:
    def __init__(self, tag, attrs, parent):
        self.tag, self.attrs, self.parent, self.children = tag, dict(attrs), parent, []

    def text(self):
        return "".join(c if isinstance(c, str) else c.text() for c in self.children)

    def all(self, tag=None):
        for c in self.children:
            if isinstance(c, Node):
                if tag is None or c.tag == tag:
                    yield c
                yield from c.all(tag)


class DomBuilder(HTMLParser):
    """A DOM from Chromium's serialisation."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = self.current = Node("#document", [], None)

    def handle_starttag(self, tag, attrs):
        node = Node(tag, attrs, self.current)
        self.current.children.append(node)
        if tag not in VOID:
            self.current = node

    def handle_endtag(self, tag):
        node = self.current
        while node is not None and node.tag != tag:
            node = node.parent
        if node is not None and node.parent is not None:
            self.current = node.parent

    def handle_data(self, data):
        self.current.children.append(data)


def dump_dom(page):
    profile = tempfile.mkdtemp(prefix="td-chromium-")
    try:
        p = subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--dump-dom", page],
            stdin=subprocess.DEVNULL, capture_output=True, timeout=180)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if p.returncode != 0 or not p.stdout:
        raise RuntimeError("chromium failed on %s: %s" % (page, p.stderr[-500:]))
    builder = DomBuilder()
    builder.feed(p.stdout.decode("utf-8"))
    return builder.root


def file_of(href):
    url = urllib.parse.urlsplit(href)
    return url.scheme, urllib.parse.unquote(url.path, encoding="utf-8", errors="strict")


def check_page(c, dom, what, name, files):
    """The parts every page has: no smuggled element, head, styles, foot."""
    tags = {n.tag for n in dom.all()}
    c.check(tags <= ALLOWED_TAGS, what + ": only the page's own elements",
            "extra: %s" % sorted(tags - ALLOWED_TAGS))
    c.equal([(n.tag, a) for n in dom.all() for a in n.attrs if a.startswith("on")], [],
            what + ": no event handler attributes")
    c.equal(([m.attrs.get("charset") for m in dom.all("meta")], [t.text() for t in dom.all("title")],
             [(norm(h.text()), h.attrs.get("class")) for h in dom.all("h1")]),
            (["windows-1252"], [name], [("Playlist page:" + name, "TitlePage")]), what + ": head")
    style = "".join(s.text() for s in dom.all("style"))
    rules = {m.group(1): dict(tuple(p.strip() for p in decl.split(":", 1))
                              for decl in m.group(2).split(";") if decl.strip())
             for m in re.finditer(r"\.(\w+)\s*\{([^}]*)\}", style)}
    c.equal(rules, {cls: {"font-family": FONT_NAMES[font], "font-size": FONT_SIZES[size],
                          "font-style": FONT_STYLES[fstyle][0],
                          "font-weight": FONT_STYLES[fstyle][1],
                          "color": text, "background-color": background}
                    for cls, (text, background, font, fstyle, size) in zip(CLASSES, TEMPLATE)},
            what + ": styles of the template")
    c.equal([(b.attrs.get("class"), (b.attrs.get("link") or "").upper()) for b in dom.all("body")],
            [("TextPage", LINK)], what + ": body class and link colour")
    text = norm(dom.text())
    c.check("Total files: %d" % files in text and
            re.search(r"Date: \d{4}/\d{2}/\d{2} ", text), what + ": file count and date")


def check_table(c, dom, what, rows, paths, both_rows=None):
    tables = list(dom.all("table"))
    if not c.equal(len(tables), 1, what + ": one table"):
        return
    trs = list(tables[0].all("tr"))
    titles, wants = ["N°"], [[str(n)] for n in range(1, len(rows) + 1)]
    for i, column in enumerate(COLUMNS):
        split = both_rows is not None and column in TAG_COLUMNS
        titles += [TITLES[column] + "(id3v1)", TITLES[column] + "(id3v2)"] if split else \
            [TITLES[column]]
        for n, want in enumerate(wants):
            want += [norm(both_rows[0][n][i]), norm(both_rows[1][n][i])] if split else \
                [norm(rows[n][i])]
    c.equal([norm(th.text()) for th in trs[0].all("th")] if trs else [], titles, what + ": header")
    c.equal([tr.attrs.get("class") for tr in trs], ["ColumnHeader"] + ["ColumnText"] * len(rows),
            what + ": row classes")
    c.equal([[norm(td.text()) for td in tr.all("td")] for tr in trs[1:]], wants, what + ": cells")
    links = 2 if both_rows is not None else 1
    c.equal([[file_of(a.attrs.get("href")) for a in tr.all("a")] for tr in trs[1:]],
            [[("file", p)] * links for p in paths], what + ": links to the files")


def check_pages(c, tools, library, work, rows_v1, rows_v2, paths):
    if not os.access(CHROMIUM, os.X_OK):
        print("SKIP: %s is not installed (scripts/setup.sh installs it); the HTML pages "
              "are not checked in a browser" % CHROMIUM)
        return
    linked = settings_file(os.path.join(work, "linked.ini"), hyperlink=1)
    jobs = {"table": ("html", linked, "table"),
            "listing": ("html-listing", linked, "listing"),
            "both": ("html", settings_file(os.path.join(work, "both.ini"), hyperlink=1, both=1,
                                           view=2), "both tags"),
            "plain": ("html", settings_file(os.path.join(work, "plain.ini")), "plain"),
            "none": ("html", settings_file(os.path.join(work, "selected.ini"), selected_only=1),
                     "nothing.selected")}
    pages = {}
    for key, (form, settings, name) in jobs.items():
        pages[key] = os.path.join(work, name + ".html")
        rc, _, err = tools.run("export", "--format", form, "--settings", settings, "-o",
                               pages[key], library)
        c.equal(rc, 0, "export %s (%s)" % (form, err.strip()))
        with open(pages[key], "rb") as f:
            c.check(b"\n" not in f.read().replace(b"\r\n", b""), name + ": CR LF line ends")
    with ThreadPoolExecutor(max_workers=len(pages)) as pool:
        doms = dict(zip(pages, pool.map(dump_dom, pages.values())))
    for key, (_, _, name) in jobs.items():
        check_page(c, doms[key], key, name, 0 if key == "none" else len(rows_v2))

    check_table(c, doms["table"], "table", rows_v2, paths)
    c.check(any(norm(HOSTILE_ARTIST) in norm(td.text()) for td in doms["table"].all("td")),
            "table: the script tag is a cell's text")
    rows_v21 = [[b if b.strip() else a for a, b in zip(r1, r2)] for r1, r2 in zip(rows_v1, rows_v2)]
    check_table(c, doms["both"], "both tags", rows_v21, paths, (rows_v1, rows_v2))
    c.equal(list(doms["plain"].all("a")), [], "without hyperlinks: no link")
    c.equal(len(list(doms["none"].all("tr"))), 1, "selected only, nothing selected: header row")

    dom = doms["listing"]
    c.equal(list(dom.all("table")), [], "listing: no table")
    c.equal([(norm(a.text()), file_of(a.attrs.get("href"))) for a in dom.all("a")],
            [(norm(row[0] + " - " + row[1]), ("file", p)) for row, p in zip(rows_v2, paths)],
            "listing: headings and their links")
    text = norm(dom.text())
    c.check(all(norm("- %s: %s" % (TITLES[k], row[i])) in text for row in rows_v2
                for i, k in enumerate(COLUMNS) if k not in (0, 1)) and "- Artist:" not in text
            and "- Title:" not in text,
            "listing: a line per column, Artist and Title only in the heading")


def check_xml(c, tools, library, work, rows, paths):
    out = os.path.join(work, "list.xml")
    rc, _, err = tools.run("export", "--format", "xml", "--settings",
                           settings_file(os.path.join(work, "xml.ini")), "-o", out, library)
    c.equal(rc, 0, "export xml (%s)" % err.strip())
    with open(out, "rb") as f:
        data = f.read()
    c.check(b"\n" not in data.replace(b"\r\n", b""), "xml: CR LF line ends")
    c.check(data.startswith(b'<?xml version="1.0" encoding="windows-1252"?>\r\n'),
            "xml: declaration names windows-1252", repr(data[:60]))
    root = ElementTree.fromstring(data)
    c.equal((root.tag, root.attrib), ("TUNEDECK", {"SUBJECT": "XML"}), "xml: root element")
    c.equal([(e.tag, e.get("FILENAME"), [child.tag for child in e]) for e in root],
            [("MEDIAFILE", p, [KEYS[k] for k in COLUMNS]) for p in paths],
            "xml: one MEDIAFILE per row, keys in column order")
    for element, row, path in zip(root, rows, paths):
        minutes, seconds = row[COLUMNS.index(10)].split(":")
        want = [str(int(minutes) * 60 + int(seconds)) if column == 10 else
                str(os.path.getsize(path)) if column == 11 else norm(text)
                for column, text in zip(COLUMNS, row)]
        c.equal([norm(child.text or "") for child in element], want,
                "xml: texts of " + path + " (TIME in seconds, SIZE in bytes)")
    titles = [e.findtext("TITLE") for e in root]
    c.check("5 € Café" in titles and HOSTILE_TITLE in titles,
            "xml: the euro sign decodes, markup in a tag stays text", repr(titles))
    c.equal(root[1].findtext("ARTIST"), HOSTILE_ARTIST, "xml: a script tag stays text")


def check_text_forms(c, tools, library, work, rows):
    settings = settings_file(os.path.join(work, "text.ini"))
    titles = [TITLES[k] for k in COLUMNS]
    outputs = {}
    for form in ("csv", "txt", "txt-aligned"):
        out = os.path.join(work, "list." + form)
        rc, _, err = tools.run("export", "--format", form, "--settings", settings, "-o", out,
                               library)
        with open(out, "rb") as f:
            outputs[form] = f.read()
        c.check(rc == 0 and b"\n" not in outputs[form].replace(b"\r\n", b""),
                form + ": exported with CR LF line ends", err)
    want = [[norm(ansi(x)) for x in row] for row in rows]
    parsed = list(csv.reader(io.StringIO(outputs["csv"].decode("cp1252"), newline=""),
                             delimiter=";", quotechar='"', doublequote=True, strict=True))
    c.equal(parsed[0], titles, "csv: header")
    c.equal([[norm(x) for x in r] for r in parsed[1:]], want, "csv: cells")
    lines = outputs["txt"].decode("cp1252").split("\r\n")
    c.equal((lines[0].split("\t"), lines[-1]), (titles, ""), "txt: header, final line break")
    c.equal([[norm(x) for x in line.split("\t")] for line in lines[1:-1]], want, "txt: cells")
    lines = outputs["txt-aligned"].decode("cp1252").split("\r\n")[:-1]
    bars = {tuple(m.start() for m in re.finditer(r"\|", line)) for line in lines
            if not line.startswith("-")}
    plus = tuple(m.start() for m in re.finditer(r"\+", lines[1]))
    c.check(bars == {plus} and len(lines) == len(rows) + 2,
            "txt-aligned: header, separator and rows; bars and plus signs line up",
            repr(bars) + " " + repr(plus))

    with open(os.path.join(work, "list.csv"), "rb") as f:
        c.equal(tools.run("export", "--format", "csv", "--settings", settings, library)[1],
                f.read(), "standard output holds the same bytes as -o")
    rc, _, err = tools.run("export", "--format", "csv", "-o",
                           os.path.join(work, "no", "such", "dir.csv"), library)
    c.check(rc == 1 and "cannot write" in err, "an export that cannot be written fails", err)


def main():
    tools, c, work = start(__doc__)
    library = os.path.join(work, "library")
    make_library(library)

    def rows(view):
        """The list's texts of our columns, per row, from `tunedeck list`."""
        rc, out, err = tools.run("list", library, "--view", str(view),
                                 "--columns", ",".join(str(k) for k in COLUMNS))
        need(rc == 0, "tunedeck list failed: " + err)
        return [line.split("\t") for line in out.decode("utf-8").split("\n") if line]

    rows_v1, rows_v2 = rows(0), rows(1)
    paths = [row[COLUMNS.index(12)] for row in rows_v2]
    c.equal(sorted(os.path.basename(p) for p in paths), sorted(s[0] for s in SONGS),
            "the list shows every song")
    c.step("html", check_pages, c, tools, library, work, rows_v1, rows_v2, paths)
    c.step("xml", check_xml, c, tools, library, work, rows_v2, paths)
    c.step("text forms", check_text_forms, c, tools, library, work, rows_v2)
    return c.finish("exports")


if __name__ == "__main__":
    sys.exit(main())
