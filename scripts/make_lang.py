#!/usr/bin/env python3
"""Builds a Tunedeck language file (*.lang.kqp) from a readable source.

The source is UTF-8 text with one entry per line, "id<TAB>text"; blank lines
and lines starting with "#" are comments. In the text, \\t, \\r, \\n and \\\\
stand for a tab, a carriage return, a line feed and a backslash.

The language file is Windows-1252 text: a comment line, then one record per
line, a number sign, the id, a blank and the text between double quotes, with
CR LF line ends. The record format has no escapes, so a text cannot hold a
double quote, and the comment cannot hold a number sign.

Usage: make_lang.py SOURCE OUTPUT [--check]
With --check, OUTPUT is compared with what would be written instead (exit
status 1 when it differs).
"""
import sys

MAX_ID = 4095
ESCAPES = {"t": "\t", "r": "\r", "n": "\n", "\\": "\\"}


def unescape(text, where):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            if i + 1 >= len(text) or text[i + 1] not in ESCAPES:
                raise ValueError(f"{where}: unknown escape")
            out.append(ESCAPES[text[i + 1]])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_source(path):
    texts = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            where = f"{path}:{number}"
            if "\t" not in line:
                raise ValueError(f"{where}: expected id<TAB>text")
            key, text = line.split("\t", 1)
            if not key.isdigit() or int(key) > MAX_ID:
                raise ValueError(f"{where}: id must be 0 to {MAX_ID}")
            ident = int(key)
            if ident in texts:
                raise ValueError(f"{where}: id {ident} given twice")
            text = unescape(text, where)
            if '"' in text:
                raise ValueError(f"{where}: a text cannot hold a double quote")
            texts[ident] = text
    return texts


def build(texts, source_name):
    comment = (f"Tunedeck language file, made from {source_name} by make_lang.py: "
               "edit the source, not this file.")
    lines = [comment, ""]
    for ident in sorted(texts):
        lines.append(f'#{ident} "{texts[ident]}"')
    data = "\r\n".join(lines) + "\r\n"
    return data.encode("cp1252")  # fails loudly on a character the code page lacks


def main(argv):
    if len(argv) not in (3, 4) or (len(argv) == 4 and argv[3] != "--check"):
        print(__doc__, file=sys.stderr)
        return 2
    source, output = argv[1], argv[2]
    try:
        data = build(read_source(source), source.replace("\\", "/").split("/")[-1])
    except (ValueError, UnicodeEncodeError) as error:
        print(f"make_lang: {error}", file=sys.stderr)
        return 1
    if len(argv) == 4:
        try:
            with open(output, "rb") as f:
                same = f.read() == data
        except OSError:
            same = False
        if not same:
            print(f"make_lang: {output} is not up to date with {source}", file=sys.stderr)
        return 0 if same else 1
    with open(output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
