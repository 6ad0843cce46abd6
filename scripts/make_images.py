#!/usr/bin/env python3
"""Draws the plug-in's icons, cursor and bitmaps into a directory.

    make_images.py OUTDIR

Every picture is drawn here from simple shapes (no image library needed), the
same bytes on every run:

  icon_<id>.ico    16x16 and 32x32, 32-bit BGRA with an AND mask
  cursor_160.cur   32x32 monochrome, hot spot in the centre
  bitmap_<id>.bmp  24-bit; magenta RGB(255, 0, 255) marks what is transparent

Shapes are signed distance functions over a 16-unit design square (negative
inside); a canvas samples each pixel 4 x 4 times to find how much of it a
shape covers.
"""

import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)

# --- shapes --------------------------------------------------------------------


def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    qx, qy = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(qx * qx + qy * qy)


def polygon(*points):
    edges = list(zip(points, points[1:] + points[:1]))

    def sd(x, y):
        inside = False
        nearest = float("inf")
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
            nearest = min(nearest, _segment_distance(x, y, ax, ay, bx, by))
        return -nearest if inside else nearest

    return sd


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry, degrees=0.0):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))

    def sd(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (math.hypot(u / rx, v / ry) - 1.0) * min(rx, ry)

    return sd


def box(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def sd(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return sd


def segment(ax, ay, bx, by, width):
    return lambda x, y: _segment_distance(x, y, ax, ay, bx, by) - width / 2


def arc(cx, cy, r, width, start_deg, end_deg):
    """A band of the circle around (cx, cy) between two angles (y down)."""
    lo, hi = math.radians(start_deg), math.radians(end_deg)
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (lo, hi)]

    def sd(x, y):
        a = math.atan2(y - cy, x - cx)
        if lo <= a <= hi:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - width / 2

    return sd


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, hole):
    return lambda x, y: max(shape(x, y), -hole(x, y))


def star(cx, cy, outer, inner):
    points = []
    for i in range(10):
        r = outer if i % 2 == 0 else inner
        a = math.radians(-90 + 36 * i)
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(*points)


# --- the canvas ------------------------------------------------------------------


class Canvas:
    """Straight-alpha RGBA pixels, painted with shapes in design units."""

    SAMPLES = 4

    def __init__(self, size, units=16.0):
        self.size = size
        self.scale = size / units
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, shape, colour, grow=0.0):
        """Paints `shape` (grown by `grow` units) in `colour`: an RGB tuple,
        or a function of the design coordinates giving one."""
        n = self.SAMPLES
        for py in range(self.size):
            row = self.pixels[py]
            for px in range(self.size):
                hits = 0
                for sy in range(n):
                    y = (py + (sy + 0.5) / n) / self.scale
                    for sx in range(n):
                        x = (px + (sx + 0.5) / n) / self.scale
                        if shape(x, y) <= grow:
                            hits += 1
                if not hits:
                    continue
                cover = hits / (n * n)
                cx, cy = (px + 0.5) / self.scale, (py + 0.5) / self.scale
                rgb = colour(cx, cy) if callable(colour) else colour
                r, g, b, a = row[px]
                out_a = cover + a * (1.0 - cover)
                mix = [(c * cover + d * a * (1.0 - cover)) / out_a for c, d in zip(rgb, (r, g, b))]
                row[px] = (mix[0], mix[1], mix[2], out_a)

    def outlined(self, shape, fill, outline, width=1.0):
        """`shape` in `fill` with an `outline` of `width` pixels around it."""
        half = width / 2 / self.scale
        self.fill(shape, outline, grow=half)
        self.fill(shape, fill, grow=-half)

    def rgba8(self):
        out = []
        for row in self.pixels:
            out.append([tuple(int(round(max(0.0, min(255.0, c)))) for c in (r, g, b))
                        + (int(round(a * 255)),) for r, g, b, a in row])
        return out


def vertical(top, bottom, y0=0.0, y1=16.0):
    """A colour function running from `top` at y0 to `bottom` at y1."""
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


# --- pictograms ------------------------------------------------------------------
# Each draws into a canvas of any size; coordinates are in 16 units.

INK = (38, 44, 58)
WHITE = (255, 255, 255)
GLYPH = (52, 66, 96)
GREEN = (46, 160, 67)
RED = (208, 48, 48)
GOLD = (255, 196, 36)
GOLD_EDGE = (176, 112, 0)
PAPER = (252, 252, 250)
PAPER_EDGE = (110, 116, 128)
FOLDER = (247, 200, 80)
FOLDER_EDGE = (168, 120, 24)


def note_shape(dx=0.0, dy=0.0, s=1.0):
    """An eighth note whose head sits near (5.5, 12)."""
    def at(x, y):
        return dx + x * s, dy + y * s
    hx, hy = at(5.6, 11.6)
    sx, top = at(7.75, 3.0)
    _, base = at(7.75, 11.2)
    head = ellipse(hx, hy, 2.6 * s, 1.9 * s, -25)
    stem = box(sx - 0.7 * s, top, sx + 0.7 * s, base)
    flag = polygon(at(7.05, 3.0), at(8.6, 3.0), at(12.0, 6.2), at(11.4, 8.4), at(8.45, 5.6),
                   at(7.05, 5.6))
    return union(head, stem, flag)


def double_note_shape():
    heads = union(ellipse(4.7, 12.3, 2.4, 1.75, -25), ellipse(11.3, 10.8, 2.4, 1.75, -25))
    stems = union(box(6.1, 4.4, 7.3, 12.0), box(12.7, 2.9, 13.9, 10.5))
    beam = polygon((6.1, 3.9), (13.9, 1.9), (13.9, 4.3), (6.1, 6.3))
    return union(heads, stems, beam)


def previous_shape():
    return union(box(2.5, 3.5, 4.5, 12.5), polygon((9.5, 3.5), (9.5, 12.5), (4.5, 8.0)),
                 polygon((14.0, 3.5), (14.0, 12.5), (9.0, 8.0)))


def next_shape():
    return union(box(11.5, 3.5, 13.5, 12.5), polygon((6.5, 3.5), (6.5, 12.5), (11.5, 8.0)),
                 polygon((2.0, 3.5), (2.0, 12.5), (7.0, 8.0)))


def play_shape():
    return polygon((4.5, 2.5), (4.5, 13.5), (13.0, 8.0))


def pause_shape():
    return union(box(3.5, 3.0, 6.8, 13.0), box(9.2, 3.0, 12.5, 13.0))


def play_pause_shape():
    return union(polygon((1.8, 3.5), (1.8, 12.5), (7.6, 8.0)), box(9.0, 3.5, 11.0, 12.5),
                 box(12.4, 3.5, 14.4, 12.5))


def stop_shape():
    return box(3.5, 3.5, 12.5, 12.5, 0.6)


def eject_shape():
    return union(polygon((8.0, 2.5), (14.0, 9.0), (2.0, 9.0)), box(2.0, 10.5, 14.0, 13.2))


def speaker_shape():
    body = polygon((1.8, 6.0), (4.6, 6.0), (8.4, 2.6), (8.4, 13.4), (4.6, 10.0), (1.8, 10.0))
    waves = union(arc(8.4, 8.0, 3.1, 1.3, -50, 50), arc(8.4, 8.0, 5.6, 1.3, -50, 50))
    return union(body, waves)


def menu_shape():
    return union(segment(3.5, 4.5, 12.5, 4.5, 2.0), segment(3.5, 8.0, 12.5, 8.0, 2.0),
                 segment(3.5, 11.5, 12.5, 11.5, 2.0))


def plus_shape():
    return union(box(6.2, 2.0, 9.8, 14.0, 0.5), box(2.0, 6.2, 14.0, 9.8, 0.5))


def page_shape():
    return polygon((3.0, 1.5), (9.5, 1.5), (13.0, 5.0), (13.0, 14.5), (3.0, 14.5))


def draw_page(c, lines=True):
    c.outlined(page_shape(), PAPER, PAPER_EDGE)
    c.fill(polygon((9.0, 1.5), (13.0, 5.5), (9.0, 5.5)), (214, 218, 226))
    c.fill(union(segment(9.0, 1.5, 9.0, 5.5, 0.9), segment(9.0, 5.5, 13.0, 5.5, 0.9)), PAPER_EDGE)
    if lines:
        for y in (8.0, 10.2, 12.4):
            c.fill(segment(5.0, y, 11.0, y, 0.9), (150, 164, 190))


def draw_folder(c):
    back = polygon((1.0, 3.5), (6.0, 3.5), (7.5, 5.0), (15.0, 5.0), (15.0, 13.5), (1.0, 13.5))
    c.outlined(back, vertical((240, 186, 60), (220, 160, 40)), FOLDER_EDGE)
    front = polygon((1.0, 7.0), (15.0, 7.0), (15.0, 13.5), (1.0, 13.5))
    c.outlined(front, vertical((255, 222, 120), FOLDER), FOLDER_EDGE)


def draw_magnifier(c):
    c.fill(segment(9.8, 9.8, 14.0, 14.0, 2.6), INK)
    c.outlined(circle(6.5, 6.5, 4.6), vertical((214, 236, 255), (150, 196, 240)), INK, width=1.6)
    c.fill(arc(6.5, 6.5, 3.0, 0.9, -170, -100), WHITE)


def draw_star(c, filled):
    shape = star(8.0, 8.4, 7.4, 3.1)
    if filled:
        c.outlined(shape, vertical((255, 226, 110), GOLD), GOLD_EDGE)
    else:
        c.outlined(shape, (226, 226, 226), (140, 140, 140))


def draw_person(c):
    body = union(ellipse(8.0, 14.8, 6.2, 5.6), box(1.8, 14.8, 14.2, 16.0))
    c.outlined(subtract(body, box(0.0, 15.0, 16.0, 16.0)), vertical((90, 140, 220), (50, 96, 180)),
               INK)
    c.outlined(circle(8.0, 5.6, 3.6), vertical((255, 222, 190), (236, 190, 150)), INK)


def draw_disc(c):
    c.outlined(subtract(circle(8.0, 8.0, 7.0), circle(8.0, 8.0, 1.6)),
               lambda x, y: (214 - 3 * (x + y), 220 - 2 * (x + y), 236 - (x + y)), INK)
    c.fill(subtract(circle(8.0, 8.0, 3.4), circle(8.0, 8.0, 2.2)), (150, 160, 180))
    c.fill(arc(8.0, 8.0, 5.1, 0.9, -160, -110), WHITE)


def draw_library(c):
    """All songs: a stack of two boxes with a note on the front one."""
    c.outlined(box(4.0, 1.0, 15.0, 12.0, 1.5), (150, 176, 226), INK)
    c.outlined(box(1.0, 4.0, 12.0, 15.0, 1.5), vertical((96, 150, 236), (40, 86, 190)), INK)
    c.fill(note_shape(1.9, 4.4, 0.66), WHITE)


def draw_tile(c, top, bottom):
    c.fill(box(0.5, 0.5, 15.5, 15.5, 3.0), (0, 0, 0), grow=0.0)
    c.fill(box(0.5, 0.5, 15.5, 15.5, 3.0), vertical(top, bottom), grow=-0.5 / c.scale)


SLATE = ((96, 110, 140), (44, 54, 78))
BLUE = ((84, 148, 246), (28, 74, 178))


def tray(glyph, colours=SLATE):
    def draw(c):
        draw_tile(c, *colours)
        c.fill(glyph(), WHITE)
    return draw


def draw_app(c):
    draw_tile(c, *BLUE)
    c.fill(double_note_shape(), WHITE)


def draw_menu_item(c):
    c.outlined(circle(8.0, 8.0, 6.5), vertical((110, 170, 250), (40, 100, 210)), (24, 60, 140))
    c.fill(union(segment(6.6, 4.8, 9.8, 8.0, 1.9), segment(9.8, 8.0, 6.6, 11.2, 1.9)), WHITE)


def glyph(shape, colour=GLYPH, outline=INK):
    def draw(c):
        c.outlined(shape(), colour, outline)
    return draw


def tagged_song(*badges):
    """A song whose tag kind shows as coloured corner marks: none (a grey
    note), ID3v1 (an orange mark at the bottom), ID3v2 (a blue mark at the
    top), both."""
    def draw(c):
        if not badges:
            c.fill(note_shape(0.5, 0.5), vertical((170, 174, 184), (120, 126, 140)))
            return
        c.fill(note_shape(-0.8, 0.5), vertical((70, 110, 200), (30, 60, 150)))
        for badge in badges:
            if badge == 1:
                c.outlined(box(10.5, 10.0, 15.5, 15.5, 1.0), (240, 150, 40), INK)
            else:
                c.outlined(box(10.5, 0.5, 15.5, 6.0, 1.0), (80, 170, 240), INK)
    return draw


def draw_duplicate(c):
    c.fill(note_shape(-1.0, -0.5, 0.8), (150, 160, 190))
    c.fill(note_shape(3.0, 3.2, 0.8), vertical((70, 110, 200), (30, 60, 150)))


def draw_playing_song(c):
    c.fill(note_shape(-1.2, 0.5), vertical((70, 190, 90), (30, 130, 50)))
    c.fill(union(arc(9.8, 8.5, 3.0, 1.1, -55, 55), arc(9.8, 8.5, 5.3, 1.1, -55, 55)), GREEN)


def draw_missing(c):
    draw_page(c, lines=False)
    cross = union(segment(5.3, 7.3, 10.7, 12.7, 2.2), segment(10.7, 7.3, 5.3, 12.7, 2.2))
    c.fill(cross, RED)


def drive_body(c, top, bottom):
    c.outlined(box(1.0, 5.0, 15.0, 12.5, 1.5), vertical(top, bottom), INK)
    c.fill(box(11.0, 9.5, 13.0, 10.8), GREEN)


def draw_hard_drive(c):
    drive_body(c, (200, 204, 214), (130, 136, 150))


def draw_removable_drive(c):
    drive_body(c, (250, 214, 120), (200, 150, 50))
    c.fill(box(3.0, 8.0, 9.0, 9.4), INK)


def draw_network_drive(c):
    c.outlined(box(2.0, 1.5, 14.0, 9.5, 1.5), vertical((120, 170, 240), (60, 110, 200)), INK)
    c.fill(union(segment(8.0, 9.5, 8.0, 13.0, 1.4), segment(3.0, 14.0, 13.0, 14.0, 1.4)), INK)


def draw_ram_drive(c):
    c.outlined(box(1.0, 4.0, 15.0, 11.0, 1.0), vertical((110, 190, 110), (50, 130, 60)), INK)
    for x in (3.0, 6.0, 9.0, 12.0):
        c.fill(box(x, 11.0, x + 1.2, 14.0), (200, 170, 60))


TRAY = {
    106: draw_app,
    107: tray(previous_shape),
    108: tray(play_pause_shape),
    109: tray(stop_shape),
    110: tray(next_shape),
    111: tray(eject_shape),
    112: tray(speaker_shape),
    113: tray(menu_shape),
}

ICONS = dict(TRAY)
# The tray configuration's check boxes show the tray pictures 106 to 112.
ICONS.update({125 + i: TRAY[106 + i] for i in range(7)})
ICONS[147] = draw_menu_item

BITMAPS = {
    169: [lambda c: draw_page(c)],
    170: [draw_magnifier],
    171: [glyph(pause_shape)],
    172: [glyph(play_shape, GREEN, (20, 90, 36))],
    173: [glyph(stop_shape, (196, 60, 52), (110, 24, 20))],
    174: [glyph(next_shape)],
    175: [glyph(previous_shape)],
    176: [glyph(plus_shape, GREEN, (20, 90, 36))],
    180: [lambda c: draw_star(c, True), lambda c: draw_star(c, False)],
    # Row images: tag kind 0 to 3, duplicate, playing, missing file.
    181: [tagged_song(), tagged_song(1), tagged_song(2), tagged_song(1, 2), draw_duplicate,
          draw_playing_song, draw_missing],
    182: [draw_library, draw_person, draw_disc, draw_folder],
    # Kinds of drive: hard disk, CD or DVD, removable, network, RAM disk.
    152: [draw_hard_drive, draw_disc, draw_removable_drive, draw_network_drive, draw_ram_drive],
}

# --- file formats ----------------------------------------------------------------


def render(draw, size):
    c = Canvas(size)
    draw(c)
    return c.rgba8()


def bitmap_info_header(width, height, bits, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours, 0)


def mask_rows(width, opaque_rows):
    """1-bit rows, bottom-up, each padded to 32 bits; `opaque_rows` gives,
    top-down, a boolean per pixel that is False where the mask bit is set."""
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for row in reversed(opaque_rows):
        bits = bytearray(stride)
        for x, opaque in enumerate(row):
            if not opaque:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def icon_image(pixels):
    size = len(pixels)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a)) if a else bytes(4)
    mask = mask_rows(size, [[p[3] > 0 for p in row] for row in pixels])
    return bitmap_info_header(size, size * 2, 32, len(colour) + len(mask)) + bytes(colour) + mask


def icon_file(images):
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image),
                               offset + len(data))
        data += image
    return head + entries + data


def bitmap_file(strip):
    """24-bit bottom-up BMP; pixels less than half covered become magenta."""
    height, width = len(strip), len(strip[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(strip):
        line = bytearray()
        for r, g, b, a in row:
            rgb = (r, g, b) if a >= 128 else MAGENTA
            if rgb == MAGENTA and a >= 128:
                rgb = (254, 0, 254)  # never transparent by accident
            line += bytes((rgb[2], rgb[1], rgb[0]))
        body += line + bytes(stride - len(line))
    info = bitmap_info_header(width, height, 24, len(body))
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return head + info + bytes(body)


# --- the splitter cursor ---------------------------------------------------------


def splitter_cursor():
    """A black double arrow through two bars, outlined in white, 32x32; the
    hot spot is the centre (16, 16)."""
    size = 32

    def black(x, y):
        if x in (14, 17) and 9 <= y <= 22:   # the two bars
            return True
        if 15 <= y <= 16 and (5 <= x <= 12 or 19 <= x <= 26):  # the shafts
            return True
        d = abs(y - 15.5)
        if 2 <= x <= 7 and d <= (x - 2) + 0.5:       # left head
            return True
        if 24 <= x <= 29 and d <= (29 - x) + 0.5:    # right head
            return True
        return False

    shape = [[black(x, y) for x in range(size)] for y in range(size)]
    white = [[not shape[y][x] and any(
        0 <= x + dx < size and 0 <= y + dy < size and shape[y + dy][x + dx]
        for dx in (-1, 0, 1) for dy in (-1, 0, 1)) for x in range(size)] for y in range(size)]
    xor = mask_rows(size, [[not w for w in row] for row in white])   # bit set = white
    and_mask = mask_rows(size, [[b or w for b, w in zip(rb, rw)] for rb, rw in zip(shape, white)])
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = (bitmap_info_header(size, size * 2, 1, len(xor) + len(and_mask), 2) + palette + xor
             + and_mask)
    hot_x = hot_y = size // 2
    head = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return head + entry + image


# --- main ------------------------------------------------------------------------


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_images.py OUTDIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    drawn = {}
    for number, draw in ICONS.items():
        if draw not in drawn:
            drawn[draw] = icon_file([(16, icon_image(render(draw, 16))),
                                     (32, icon_image(render(draw, 32)))])
        write(os.path.join(out, "icon_%d.ico" % number), drawn[draw])
    write(os.path.join(out, "cursor_160.cur"), splitter_cursor())
    for number, draws in BITMAPS.items():
        images = [render(draw, 16) for draw in draws]
        strip = [sum((image[y] for image in images), []) for y in range(16)]
        write(os.path.join(out, "bitmap_%d.bmp" % number), bitmap_file(strip))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
