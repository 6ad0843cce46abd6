#!/usr/bin/python3
"""Checks the exports of `tunedeck export` with real parsers.

    check_exports.py --cli PATH/tunedeck --work DIR

Builds a small library of MPEG files whose tags hold markup, quotes,
ampersands, accented letters and the euro sign, exports it in every form
and reads the results back: the HTML pages in headless Chromium (the DOM it
builds must hold the expected rows, cells, links and styles, and no element
a tag smuggled in), the XML with xml.etree and xml.dom.minidom, the CSV with
the csv module in the semicolon dialect, the text forms by their columns.
The expected texts come from `tunedeck list`, which shows the same columns
in UTF-8. Exits non-zero on any failure; ends with "N passed, N failed".
"""

import argparse
import csv
import io
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import traceback
import urllib.parse
import xml.dom.minidom
import xml.etree.ElementTree as ElementTree
from concurrent.futures import ThreadPoolExecutor
from html.parser import HTMLParser

try:
    from mutagen.id3 import ID3, TALB, TIT2, TPE1, TRCK, TYER, Encoding
except ImportError:
    sys.exit("check_exports.py: python3-mutagen is required (run with /usr/bin/python3)")

CHROMIUM = "/usr/bin/chromium"
CHARSET = "windows-1252"

# Column ids and the titles the list shows for them.
TITLES = {0: "Artist", 1: "Title", 2: "Genre", 3: "Year", 4: "Album", 10: "Time",
          11: "Size", 12: "File name", 13: "Track#", 14: "ID3Tag"}
KEYS = {0: "ARTIST", 1: "TITLE", 2: "GENRE", 3: "YEAR", 4: "ALBUM", 10: "TIME",
        11: "SIZE", 12: "FILENAME", 13: "TRACK", 14: "ID3TAG"}
TAG_COLUMNS = {0, 1, 2, 3, 4, 13}
COLUMNS = [0, 1, 4, 3, 10, 11, 12, 14]

FONT_NAMES = ["Arial, Helvetica, sans-serif", '"Times New Roman", Times, serif',
              '"Courier New", Courier, mono', "Verdana, Arial, Helvetica, sans-serif"]
FONT_STYLES = [("normal", "normal"), ("normal", "bold"), ("italic", "normal"),
               ("italic", "bold")]
FONT_SIZES = ["xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large"]
CLASSES = ["TextPage", "TitlePage", "ColumnHeader", "ColumnText"]
# A template of our own in slot 5: (text, background, font, style, size) per
# class, then the link colour.
TEMPLATE = [("#123456", "#ABCDEF", 3, 3, 6), ("#010203", "#F0E0D0", 1, 2, 0),
            ("#FFFFFF", "#800000", 2, 1, 3), ("#0A0B0C", "#C0FFEE", 0, 0, 2)]
LINK = "#FF0080"

HOSTILE_ARTIST = '<script>alert("pwned")</script>'
HOSTILE_TITLE = '"><img src=x onerror=alert(1)>'
HOSTILE_ALBUM = "Rock & Roll 'n' <b>bold</b>"

# (file name, ID3v1 (artist, title, album, year) or None, ID3v2 frames or None)
SONGS = [
    ("01 plain.mp3", ("Plain Artist", "Plain Song", "Album", "2001"),
     {"TPE1": "Plain Artist", "TIT2": "Plain Song", "TALB": "Album", "TYER": "2001",
      "TRCK": "1"}),
    ("02 hostile.mp3", ("<b>v1</b> & co", "</td><td>x", "a\"b", "1999"),
     {"TPE1": HOSTILE_ARTIST, "TIT2": HOSTILE_TITLE, "TALB": HOSTILE_ALBUM}),
    ('03 Café "q" & <n> 日本.mp3', ("Björk", "5 € Café", "Ça ira", "2010"),
     {"TPE1": "Björk", "TIT2": "5 € Café", "TALB": "Ça ira – Édition"}),
    ("04 semi;colon.mp3", None, {"TIT2": 'a;b "c" ;', "TPE1": "line1\nline2"}),
    ("05 no tags.mp3", None, None),
]


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL: %s%s" % (what, (": " + detail) if detail else ""))
        return ok

    def equal(self, got, want, what):
        return self.check(got == want, what, "got %r, want %r" % (got, want))


def ansi(text):
    """A text after a trip through Windows-1252: '?' for what it lacks."""
    return text.encode("cp1252", "replace").decode("cp1252")


def norm(text):
    """Texts compared by their words: parsers and the list treat blanks,
    line breaks and non-breaking spaces differently."""
    return " ".join(text.split())


# --- the library ---------------------------------------------------------------

# MPEG 1 layer III, 128 kbit/s, 44100 Hz, joint stereo: 417-byte frames.
FRAME = b"\xff\xfb\x90\x64" + bytes(413)


def id3v1(artist, title, album, year):
    def field(text, width):
        return text.encode("cp1252")[:width].ljust(width, b"\0")
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) +
            field(year, 4) + bytes(28) + b"\0\x01\xff")


def make_library(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    kinds = {"TPE1": TPE1, "TIT2": TIT2, "TALB": TALB, "TYER": TYER, "TRCK": TRCK}
    for name, v1, v2 in SONGS:
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(FRAME * 120)
        if v2:
            tag = ID3()
            for frame_id, text in v2.items():
                tag.add(kinds[frame_id](encoding=Encoding.UTF16, text=text))
            tag.save(path, v2_version=3)
        if v1:
            with open(path, "ab") as f:
                f.write(id3v1(*v1))


def colour(text):
    """'#RRGGBB' as the settings hold it: red in the low byte."""
    r, g, b = int(text[1:3], 16), int(text[3:5], 16), int(text[5:7], 16)
    return r | (g << 8) | (b << 16)


def settings_file(path, hyperlink=0, both=0, selected_only=0, view=1, listing=0):
    """A settings file image (5,528 bytes) with our columns and template 5."""
    data = bytearray(5528)
    struct.pack_into("<5i", data, 0, selected_only, listing, hyperlink, both, 0)
    struct.pack_into("<i", data, 32, view)
    order = COLUMNS + [i for i in range(20) if i not in COLUMNS]
    struct.pack_into("<20i", data, 80, *order)
    struct.pack_into("<20i", data, 160, *[1 if i in COLUMNS else 0 for i in range(20)])
    struct.pack_into("<20i", data, 240, *([100] * 20))
    struct.pack_into("<i", data, 328, 5)
    values = []
    for text, background, font, style, size in TEMPLATE:
        values += [colour(text), colour(background), font, style, size]
    values.append(colour(LINK))
    struct.pack_into("<21I", data, 332 + 5 * 84, *values)
    with open(path, "wb") as f:
        f.write(bytes(data))


# --- running the tool ----------------------------------------------------------

def run(cli, *args):
    p = subprocess.run([cli] + list(args), stdin=subprocess.DEVNULL, capture_output=True,
                       timeout=120)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")


def list_rows(cli, library, view):
    """The list's texts of our columns, per row, from `tunedeck list`."""
    rc, out, err = run(cli, "list", library, "--view", str(view),
                       "--columns", ",".join(str(c) for c in COLUMNS))
    if rc != 0:
        raise RuntimeError("tunedeck list failed: " + err)
    return [line.split("\t") for line in out.decode("utf-8").split("\n") if line]


# --- a DOM from Chromium's serialisation -----------------------------------------

VOID = {"meta", "br", "img", "input", "link", "hr", "area", "base", "col", "embed",
        "source", "track", "wbr", "param"}


class Node:
    def __init__(self, tag, attrs, parent):
        self.tag = tag
        self.attrs = dict(attrs)
        self.parent = parent
        self.children = []

    def text(self):
        return "".join(c if isinstance(c, str) else c.text() for c in self.children)

    def all(self, tag=None):
        for c in self.children:
            if isinstance(c, Node):
                if tag is None or c.tag == tag:
                    yield c
                yield from c.all(tag)


class DomBuilder(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.root = Node("#document", [], None)
        self.current = self.root

    def handle_starttag(self, tag, attrs):
        node = Node(tag, attrs, self.current)
        self.current.children.append(node)
        if tag not in VOID:
            self.current = node

    def handle_startendtag(self, tag, attrs):
        self.current.children.append(Node(tag, attrs, self.current))

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
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--user-data-dir=" + profile,
             "--dump-dom", page],
            stdin=subprocess.DEVNULL, capture_output=True, timeout=180)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if p.returncode != 0 or not p.stdout:
        raise RuntimeError("chromium failed on %s: %s" % (page, p.stderr[-500:]))
    builder = DomBuilder()
    builder.feed(p.stdout.decode("utf-8"))
    builder.close()
    return builder.root


ALLOWED_TAGS = {"html", "head", "meta", "title", "style", "body", "center", "h1", "table",
                "tbody", "tr", "th", "td", "a", "br", "b"}


def check_no_injection(c, dom, what):
    tags = {n.tag for n in dom.all()}
    c.check(tags <= ALLOWED_TAGS, what + ": only the page's own elements",
            "extra: %s" % sorted(tags - ALLOWED_TAGS))
    handlers = [(n.tag, a) for n in dom.all() for a in n.attrs if a.startswith("on")]
    c.equal(handlers, [], what + ": no event handler attributes")


def check_head(c, dom, what, name):
    c.equal([m.attrs.get("charset") for m in dom.all("meta")], [CHARSET], what + ": charset")
    c.equal([t.text() for t in dom.all("title")], [name], what + ": title")
    c.equal([norm(h.text()) for h in dom.all("h1")], ["Playlist page:" + name], what + ": h1")
    c.equal([h.attrs.get("class") for h in dom.all("h1")], ["TitlePage"], what + ": h1 class")
    style = "".join(s.text() for s in dom.all("style"))
    rules = {m.group(1): dict(tuple(p.strip() for p in decl.split(":", 1))
                              for decl in m.group(2).split(";") if decl.strip())
             for m in re.finditer(r"\.(\w+)\s*\{([^}]*)\}", style)}
    for name_, (text, background, font, font_style, size) in zip(CLASSES, TEMPLATE):
        want = {"font-family": FONT_NAMES[font], "font-size": FONT_SIZES[size],
                "font-style": FONT_STYLES[font_style][0],
                "font-weight": FONT_STYLES[font_style][1],
                "color": text, "background-color": background}
        c.equal(rules.get(name_), want, "%s: style of .%s" % (what, name_))
    body = list(dom.all("body"))
    c.check(len(body) == 1 and body[0].attrs.get("class") == "TextPage" and
            (body[0].attrs.get("link") or "").upper() == LINK,
            what + ": body class and link colour", str(body[0].attrs if body else None))


def check_foot(c, dom, what, files):
    text = norm(dom.text())
    c.check("Total files: %d" % files in text, what + ": file count in the foot")
    c.check(re.search(r"Date: \d{4}/\d{2}/\d{2} ", text) is not None, what + ": date")


def file_of(href):
    url = urllib.parse.urlsplit(href)
    return url.scheme, urllib.parse.unquote(url.path, encoding="utf-8", errors="strict")


def check_html_table(c, dom, what, rows, paths, both_rows=None):
    check_no_injection(c, dom, what)
    tables = list(dom.all("table"))
    if not c.equal(len(tables), 1, what + ": one table"):
        return
    trs = list(tables[0].all("tr"))
    header = [norm(th.text()) for th in trs[0].all("th")] if trs else []
    titles = []
    for column in COLUMNS:
        if both_rows is not None and column in TAG_COLUMNS:
            titles += [TITLES[column] + "(id3v1)", TITLES[column] + "(id3v2)"]
        else:
            titles.append(TITLES[column])
    c.equal(header, ["N°"] + titles, what + ": header cells")
    c.equal([tr.attrs.get("class") for tr in trs],
            ["ColumnHeader"] + ["ColumnText"] * len(rows), what + ": row classes")
    for number, (tr, row) in enumerate(zip(trs[1:], rows), 1):
        cells = [norm(td.text()) for td in tr.all("td")]
        want = [str(number)]
        for i, column in enumerate(COLUMNS):
            if both_rows is not None and column in TAG_COLUMNS:
                want += [norm(both_rows[0][number - 1][i]), norm(both_rows[1][number - 1][i])]
            else:
                want.append(norm(row[i]))
        c.equal(cells, want, "%s: cells of row %d" % (what, number))
        links = [a.attrs.get("href") for a in tr.all("a")]
        want_links = 2 if both_rows is not None else 1
        c.equal(len(links), want_links, "%s: links of row %d" % (what, number))
        for href in links:
            c.equal(file_of(href), ("file", paths[number - 1]), "%s: link of row %d"
                    % (what, number))


def check_html_listing(c, dom, what, rows, paths):
    check_no_injection(c, dom, what)
    c.equal(list(dom.all("table")), [], what + ": no table")
    links = list(dom.all("a"))
    c.equal([norm(a.text()) for a in links],
            [norm(row[0] + " - " + row[1]) for row in rows], what + ": headings")
    c.equal([file_of(a.attrs.get("href")) for a in links], [("file", p) for p in paths],
            what + ": heading links")
    text = dom.text()
    for row in rows:
        for i, column in enumerate(COLUMNS):
            if column in (0, 1):
                continue
            c.check(norm("- %s: %s" % (TITLES[column], row[i])) in norm(text),
                    "%s: line for %s" % (what, TITLES[column]), norm(row[i]))
    c.check("- Artist:" not in text and "- Title:" not in text,
            what + ": Artist and Title only in the heading")


# --- the checks -----------------------------------------------------------------

def check_pages(c, cli, library, work, rows_v1, rows_v2, paths):
    if not os.access(CHROMIUM, os.X_OK):
        print("SKIP: %s is not installed (scripts/setup.sh installs it); the HTML pages "
              "are not checked in a browser" % CHROMIUM)
        return
    plain = os.path.join(work, "plain.ini")
    linked = os.path.join(work, "linked.ini")
    both = os.path.join(work, "both.ini")
    selected = os.path.join(work, "selected.ini")
    settings_file(plain, view=1)
    settings_file(linked, hyperlink=1, view=1)
    settings_file(both, hyperlink=1, both=1, view=2)
    settings_file(selected, selected_only=1, view=1)
    jobs = {
        "table": ("html", linked, "table.html"),
        "listing": ("html-listing", linked, "listing.html"),
        "both": ("html", both, "both tags.html"),
        "plain": ("html", plain, "plain.html"),
        "none": ("html", selected, "nothing.selected.html"),
    }
    pages = {}
    for key, (form, settings, name) in jobs.items():
        out = os.path.join(work, name)
        rc, _, err = run(cli, "export", "--format", form, "--settings", settings, "-o", out,
                         library)
        c.equal(rc, 0, "export %s (%s)" % (form, err.strip()))
        with open(out, "rb") as f:
            c.check(b"\n" not in f.read().replace(b"\r\n", b""), name + ": CR LF line ends")
        pages[key] = out
    with ThreadPoolExecutor(max_workers=len(pages)) as pool:
        doms = dict(zip(pages, pool.map(dump_dom, pages.values())))

    check_head(c, doms["table"], "table", "table")
    check_html_table(c, doms["table"], "table", rows_v2, paths)
    check_foot(c, doms["table"], "table", len(rows_v2))
    artists = [norm(td.text()) for tr in list(doms["table"].all("tr"))[1:]
               for td in list(tr.all("td"))[1:2]]
    c.check(norm(HOSTILE_ARTIST) in artists, "table: the script tag is a cell's text",
            repr(artists))

    check_head(c, doms["listing"], "listing", "listing")
    check_html_listing(c, doms["listing"], "listing", rows_v2, paths)
    check_foot(c, doms["listing"], "listing", len(rows_v2))

    rows_v21 = [[b if (b.strip() and b != " ") else a for a, b in zip(r1, r2)]
                for r1, r2 in zip(rows_v1, rows_v2)]
    check_head(c, doms["both"], "both tags", "both tags")
    check_html_table(c, doms["both"], "both tags", rows_v21, paths, (rows_v1, rows_v2))

    plain_links = list(doms["plain"].all("a"))
    c.equal(plain_links, [], "without hyperlinks: no link")
    check_no_injection(c, doms["plain"], "plain")

    check_head(c, doms["none"], "selected only", "nothing.selected")
    trs = list(doms["none"].all("tr"))
    c.equal(len(trs), 1, "selected only, nothing selected: the header row alone")
    check_foot(c, doms["none"], "selected only", 0)


def check_xml(c, cli, library, work, rows, paths):
    settings = os.path.join(work, "xml.ini")
    settings_file(settings, view=1)
    out = os.path.join(work, "list.xml")
    rc, _, err = run(cli, "export", "--format", "xml", "--settings", settings, "-o", out,
                     library)
    c.equal(rc, 0, "export xml (%s)" % err.strip())
    with open(out, "rb") as f:
        data = f.read()
    c.check(b"\n" not in data.replace(b"\r\n", b""), "xml: CR LF line ends")
    c.check(data.startswith(b'<?xml version="1.0" encoding="windows-1252"?>\r\n'),
            "xml: declaration names windows-1252", repr(data[:60]))
    root = ElementTree.fromstring(data)
    c.equal((root.tag, root.attrib), ("TUNEDECK", {"SUBJECT": "XML"}), "xml: root element")
    files = list(root)
    c.equal(len(files), len(rows), "xml: one MEDIAFILE per row")
    for element, row, path in zip(files, rows, paths):
        c.equal(element.tag, "MEDIAFILE", "xml: element name")
        c.equal(element.get("FILENAME"), path, "xml: FILENAME is the path")
        c.equal([child.tag for child in element], [KEYS[k] for k in COLUMNS],
                "xml: keys in column order")
        for child, column, text in zip(element, COLUMNS, row):
            got = child.text or ""
            if column == 10:
                minutes, seconds = text.split(":")
                c.equal(got, str(int(minutes) * 60 + int(seconds)), "xml: TIME in seconds")
            elif column == 11:
                c.equal(got, str(os.path.getsize(path)), "xml: SIZE in bytes")
            else:
                c.equal(norm(got), norm(text), "xml: %s of %s" % (child.tag, path))
    titles = [e.findtext("TITLE") for e in files]
    c.check("5 € Café" in titles, "xml: euro sign and accents decode", repr(titles))
    c.check(HOSTILE_TITLE in titles, "xml: markup in a tag stays text", repr(titles))
    dom = xml.dom.minidom.parseString(data)
    c.equal(len(dom.getElementsByTagName("MEDIAFILE")), len(rows), "minidom: MEDIAFILE count")
    c.equal(dom.getElementsByTagName("ARTIST")[1].firstChild.data, HOSTILE_ARTIST,
            "minidom: markup in a tag stays text")


def check_csv_and_text(c, cli, library, work, rows):
    settings = os.path.join(work, "text.ini")
    settings_file(settings, view=1)
    titles = [TITLES[k] for k in COLUMNS]
    outputs = {}
    for form in ("csv", "txt", "txt-aligned"):
        out = os.path.join(work, "list." + form)
        rc, _, err = run(cli, "export", "--format", form, "--settings", settings, "-o", out,
                         library)
        c.equal(rc, 0, "export %s (%s)" % (form, err.strip()))
        with open(out, "rb") as f:
            outputs[form] = f.read()
        c.check(b"\n" not in outputs[form].replace(b"\r\n", b""),
                form + ": CR LF line ends")

    text = outputs["csv"].decode("cp1252")
    parsed = list(csv.reader(io.StringIO(text, newline=""), delimiter=";", quotechar='"',
                             doublequote=True, strict=True))
    c.equal(parsed[0], titles, "csv: header")
    c.equal(len(parsed), len(rows) + 1, "csv: one record per row")
    for got, want in zip(parsed[1:], rows):
        c.equal([norm(x) for x in got], [norm(ansi(x)) for x in want], "csv: cells")

    lines = outputs["txt"].decode("cp1252").split("\r\n")
    c.equal(lines[-1], "", "txt: ends with a line break")
    c.equal(lines[0].split("\t"), titles, "txt: header")
    c.equal([[norm(x) for x in line.split("\t")] for line in lines[1:-1]],
            [[norm(ansi(x)) for x in row] for row in rows], "txt: cells")

    lines = outputs["txt-aligned"].decode("cp1252").split("\r\n")[:-1]
    bars = {tuple(m.start() for m in re.finditer(r"\|", line)) for line in lines
            if not line.startswith("-")}
    plus = tuple(m.start() for m in re.finditer(r"\+", lines[1]))
    c.check(len(bars) == 1 and bars == {plus}, "txt-aligned: bars and plus signs line up",
            repr(bars) + " " + repr(plus))
    c.equal(len(lines), len(rows) + 2, "txt-aligned: header, separator and rows")


def check_playlists_and_stdout(c, cli, library, work, paths):
    rc, m3u, err = run(cli, "export", "--format", "m3u", library)
    c.equal(rc, 0, "export m3u to standard output (%s)" % err.strip())
    lines = m3u.decode("utf-8").split("\r\n")
    c.equal(lines[0], "#EXTM3U", "m3u: header")
    c.equal([line for line in lines[1:] if line and not line.startswith("#")], paths,
            "m3u: the paths in order")
    rc, pls, _ = run(cli, "export", "--format", "pls", library)
    text = pls.decode("utf-8")
    c.check(text.startswith("[playlist]\r\n") and
            text.endswith("NumberOfEntries=%d\r\nVersion=2" % len(paths)), "pls: frame")
    out = os.path.join(work, "same.csv")
    run(cli, "export", "--format", "csv", "-o", out, library)
    rc, csv_out, _ = run(cli, "export", "--format", "csv", library)
    with open(out, "rb") as f:
        c.equal(csv_out, f.read(), "standard output holds the same bytes as -o")
    rc, _, err = run(cli, "export", "--format", "rtf", library)
    c.equal(rc, 2, "unknown format is a usage error")
    rc, _, err = run(cli, "export", "--format", "csv", "-o",
                     os.path.join(work, "no", "such", "dir.csv"), library)
    c.check(rc == 1 and "cannot write" in err, "an export that cannot be written fails", err)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    work = os.path.abspath(args.work)
    library = os.path.join(work, "library")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    make_library(library)

    c = Checks()
    try:
        rows_v1 = list_rows(cli, library, 0)
        rows_v2 = list_rows(cli, library, 1)
    except Exception:
        traceback.print_exc()
        print("exports: 0 passed, 1 failed")
        return 1
    paths = [row[COLUMNS.index(12)] for row in rows_v2]
    c.equal(sorted(os.path.basename(p) for p in paths), sorted(s[0] for s in SONGS),
            "the list shows every song")
    for step in (lambda: check_pages(c, cli, library, work, rows_v1, rows_v2, paths),
                 lambda: check_xml(c, cli, library, work, rows_v2, paths),
                 lambda: check_csv_and_text(c, cli, library, work, rows_v2),
                 lambda: check_playlists_and_stdout(c, cli, library, work, paths)):
        try:
            step()
        except Exception:  # one group's crash must not hide the others
            c.check(False, "unexpected exception", traceback.format_exc())
    print("exports: %d passed, %d failed" % (c.passed, c.failed))
    return 0 if c.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
