#!/usr/bin/env python3
"""Composes the skin's two sprite sheets from their SVG sources.

  compose.py TABLE OUTDIR                 render every sprite, write the sheets
                                          at 1x, 1.5x and 2x (Base.png,
                                          Base@1.5x.png, Base@2x.png, ...)
  compose.py --skin TABLE SKINDIR         write the positions of the skin files
                                          in SKINDIR from the table
  compose.py --check-skin TABLE SKINDIR   exit 1 when any of them is stale
  compose.py --check-sheets TABLE OUTDIR  exit 1 when a composed sheet of any
                                          scale has the wrong size, stray pixels
                                          or pink fringes

The table gives every position at 1x (96 DPI). The larger sheets render each
frame from its vectors at the frame's rectangle mapped edge by edge with
floor(v * scale + 0.5), the rule the program maps its cuts with.

The table (sprites.csv) is the only place where a cut position is written by
hand; the skin files mark each line that takes one (see "skin positions").
Each row is one sprite or one strip of frames:

  name, sheet, x, y, width, height, source, frames, matte, slice

source   an SVG file beside the table, optionally with parameters and a
         variant: "button.svg?kind=primary#hp". In the file, {W} and {H} are
         the frame size, {F} and {N} the frame index and count, {V} the
         variant, {key} a parameter, and {=expression} a Python expression
         over those names. Elements of class "v" are hidden except those
         that also carry the class of the variant being drawn.
Rows named "@sheet" give a sheet's size (width, height) instead.

frames   empty (one picture), a list of variants "n h p hp d" laid left to
         right, or "16/8" (16 frames f0..f15, 8 to a row).
matte    the colour the sprite is rendered on: every pixel at least half
         covered is blended onto it, every other pixel becomes the key
         colour (255, 0, 255). Anti-aliasing never meets the key colour, so
         no pink fringe can appear on screen.
slice    "left top right bottom" insets of a nine-slice picture.

Standard library only; rsvg-convert (librsvg2-bin) does the rendering.
"""
import concurrent.futures
import csv
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

KEY = (255, 0, 255)
SHEETS = {}  # sheet name -> (width, height), from the table's @sheet rows


class Sprite:
    def __init__(self, row, line):
        self.line = line
        self.name = row["name"].strip()
        self.sheet = row["sheet"].strip()
        self.x, self.y = int(row["x"]), int(row["y"])
        self.w, self.h = int(row["width"]), int(row["height"])
        self.source = row["source"].strip()
        self.matte = row.get("matte", "").strip()
        frames = row.get("frames", "").strip()
        self.slice = [int(v) for v in row.get("slice", "").split()]
        if re.fullmatch(r"\d+/\d+", frames):
            count, per_row = (int(v) for v in frames.split("/"))
            self.variants = ["f%d" % i for i in range(count)]
            self.per_row = per_row
        else:
            self.variants = frames.split() or [""]
            self.per_row = len(self.variants)
        self.columns = min(self.per_row, len(self.variants))
        self.rows = (len(self.variants) + self.per_row - 1) // self.per_row

    def frame_origin(self, i):
        return (self.x + (i % self.per_row) * self.w, self.y + (i // self.per_row) * self.h)

    @property
    def right(self):
        return self.x + self.columns * self.w

    @property
    def bottom(self):
        return self.y + self.rows * self.h


def read_table(path):
    sprites = []
    with open(path, newline="", encoding="utf-8") as f:
        lines = [l for l in f if l.strip() and not l.lstrip().startswith("#")]
    for n, row in enumerate(csv.DictReader(lines, skipinitialspace=True), start=2):
        if row["name"].strip() == "@sheet":
            SHEETS[row["sheet"].strip()] = (int(row["width"]), int(row["height"]))
        else:
            sprites.append(Sprite(row, n))
    return sprites


def check_table(sprites):
    errors = []
    names = set()
    for s in sprites:
        if s.name in names:
            errors.append("%s: name used twice" % s.name)
        names.add(s.name)
        if s.sheet not in SHEETS:
            errors.append("%s: unknown sheet %s" % (s.name, s.sheet))
            continue
        sw, sh = SHEETS[s.sheet]
        if s.x < 0 or s.y < 0 or s.right > sw or s.bottom > sh:
            errors.append("%s: outside %s" % (s.name, s.sheet))
        if s.slice and (len(s.slice) != 4 or s.slice[0] + s.slice[2] >= s.w or s.slice[1] + s.slice[3] >= s.h):
            errors.append("%s: bad slice" % s.name)
    for i, a in enumerate(sprites):
        for b in sprites[i + 1:]:
            if a.sheet == b.sheet and a.x < b.right and b.x < a.right and a.y < b.bottom and b.y < a.bottom:
                errors.append("%s and %s overlap" % (a.name, b.name))
    return errors


# ---- PNG ---------------------------------------------------------------------

def read_png_rgba(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, width = 8, [], 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and ctype in (2, 6) and interlace == 0, "%s: expected 8-bit RGB(A)" % path
            channels = 4 if ctype == 6 else 3
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + length
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    out = bytearray(stride * height)
    prev = bytearray(stride)
    for y in range(height):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if ftype == 1:
            for i in range(channels, stride):
                line[i] = (line[i] + line[i - channels]) & 255
        elif ftype == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 255
        elif ftype == 3:
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 255
        elif ftype == 4:
            for i in range(stride):
                a = line[i - channels] if i >= channels else 0
                b = prev[i]
                c = prev[i - channels] if i >= channels else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        out[y * stride:(y + 1) * stride] = line
        prev = line
    if channels == 3:
        rgba = bytearray(width * height * 4)
        rgba[0::4], rgba[1::4], rgba[2::4] = out[0::3], out[1::3], out[2::3]
        rgba[3::4] = b"\xff" * (width * height)
        out = rgba
    return width, height, out


def write_png_rgb(path, width, height, rgb):
    # No row filters: tried (none, sub, up, average per row and per sheet),
    # they deflate these sheets worse, the keyed holes and repeated faces
    # matching best as they are.
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    stride = width * 3
    raw = b"".join(b"\x00" + bytes(rgb[y * stride:(y + 1) * stride]) for y in range(height))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path + ".tmp", "wb") as f:
        f.write(png)
    os.replace(path + ".tmp", path)


# ---- rendering -----------------------------------------------------------------

def expand(text, names):
    def sub(m):
        body = m.group(1)
        if body.startswith("="):
            value = eval(body[1:], {"__builtins__": {}, "min": min, "max": max, "abs": abs, "round": round}, names)
            return ("%.3f" % value).rstrip("0").rstrip(".") if isinstance(value, float) else str(value)
        return str(names[body]) if body in names else m.group(0)
    return re.sub(r"\{(=[^{}]+|[A-Za-z_][A-Za-z0-9_]*)\}", sub, text)


def svg_for(sprite, index, art_dir):
    source, _, variant = sprite.source.partition("#")
    path, _, query = source.partition("?")
    names = {"W": sprite.w, "H": sprite.h, "N": len(sprite.variants), "F": index}
    for pair in filter(None, query.split("&")):
        key, _, value = pair.partition("=")
        names[key] = value
    for key in list(names):
        if isinstance(names[key], str):
            names[key] = expand(names[key], names)
    v = sprite.variants[index] or variant
    names["V"] = v
    text = open(os.path.join(art_dir, path), encoding="utf-8").read()
    text = expand(text, names)
    style = "<style>.v{display:none}%s</style>" % (".v.%s{display:inline}" % v if v else "")
    text = re.sub(r"(<svg\b[^>]*>)", lambda m: m.group(1) + style, text, count=1)
    return text


def scaled(v, dpi):
    """A 96-DPI coordinate at dpi: floor(v * dpi / 96 + 0.5), exactly. The
    program maps every cut rectangle's edges by the same rule, so a cut
    lands on its sprite in the sheet of that scale."""
    return (2 * v * dpi + 96) // 192


def frame_rect(sprite, index, dpi):
    x, y = sprite.frame_origin(index)
    return scaled(x, dpi), scaled(y, dpi), scaled(x + sprite.w, dpi), scaled(y + sprite.h, dpi)


def sheet_file(name, dpi):
    """Base.png at 96 DPI, Base@1.5x.png at 144, Base@2x.png at 192."""
    if dpi == 96:
        return name
    stem, dot, ext = name.rpartition(".")
    factor = ("%g" % (dpi / 96.0))
    return "%s@%sx.%s" % (stem, factor, ext)


def render(job):
    """One frame rendered at its size for dpi and laid on its matte: rows of
    RGB, the key colour wherever the picture covers less than half a pixel."""
    sprite, index, dpi, art_dir, tmp = job
    x0, y0, x1, y1 = frame_rect(sprite, index, dpi)
    w, h = x1 - x0, y1 - y0
    svg = os.path.join(tmp, "%s.%d.%d.svg" % (sprite.name, index, dpi))
    png = svg[:-4] + ".png"
    with open(svg, "w", encoding="utf-8") as f:
        f.write(svg_for(sprite, index, art_dir))
    subprocess.run(["rsvg-convert", "--width", str(w), "--height", str(h), "-o", png, svg], check=True)
    rw, rh, rgba = read_png_rgba(png)
    assert (rw, rh) == (w, h), png
    matte = parse_colour(sprite.matte) if sprite.matte else (0, 0, 0)
    rows = []
    for y in range(h):
        line = rgba[y * w * 4:(y + 1) * w * 4]
        out = bytearray(bytes(KEY) * w)
        # Whole runs of opaque pixels are copied; only the edges blend.
        for run in re.finditer(rb"\xff+|[\x80-\xfe]+", bytes(line[3::4])):
            a0, a1 = run.start(), run.end()
            if line[4 * a0 + 3] == 255:
                seg = line[4 * a0:4 * a1]
                out[3 * a0:3 * a1:3], out[3 * a0 + 1:3 * a1:3], out[3 * a0 + 2:3 * a1:3] = seg[0::4], seg[1::4], seg[2::4]
                hole = seg.find(b"\xff\x00\xff\xff")
                while hole >= 0:
                    if hole % 4 == 0:
                        out[3 * a0 + hole // 4 * 3 + 1] = 1  # a drawn pixel never turns into a hole
                    hole = seg.find(b"\xff\x00\xff\xff", hole + 1)
                continue
            for x in range(a0, a1):
                r, g, b, a = line[4 * x:4 * x + 4]
                # rsvg writes straight (not premultiplied) alpha.
                px = [(c * a + m * (255 - a) + 127) // 255 for c, m in zip((r, g, b), matte)]
                if tuple(px) == KEY:
                    px[1] = 1
                out[3 * x:3 * x + 3] = bytes(px)
        rows.append(bytes(out))
    os.remove(png)
    return sprite.sheet, x0, y0, rows


def parse_colour(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


DPIS = (96, 144, 192)  # the sheets' scales: 1x, 1.5x, 2x


def compose(table, out_dir, dpis=DPIS):
    sprites = read_table(table)
    errors = check_table(sprites)
    if errors:
        sys.exit("compose: " + "\n".join(errors))
    art_dir = os.path.dirname(os.path.abspath(table))
    sheets = {}
    for dpi in dpis:
        for name, (w, h) in SHEETS.items():
            sheets[(name, dpi)] = bytearray(bytes(KEY) * (scaled(w, dpi) * scaled(h, dpi)))
    with tempfile.TemporaryDirectory() as tmp:
        # librsvg follows references only to files beside or below the
        # document, so the shared sources (icons.svg) go beside it.
        for name in os.listdir(art_dir):
            if name.endswith(".svg"):
                shutil.copy(os.path.join(art_dir, name), tmp)
        jobs = [(s, i, dpi, art_dir, tmp) for dpi in dpis for s in sprites for i in range(len(s.variants))]
        # Frames never overlap and the sheet starts as the key colour, so
        # each frame's rows are copied whole.
        with concurrent.futures.ProcessPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            for job, (sheet_name, x0, y0, rows) in zip(jobs, pool.map(render, jobs, chunksize=4)):
                dpi = job[2]
                sheet = sheets[(sheet_name, dpi)]
                sheet_w = scaled(SHEETS[sheet_name][0], dpi)
                for y, row in enumerate(rows):
                    o = ((y0 + y) * sheet_w + x0) * 3
                    sheet[o:o + len(row)] = row
    os.makedirs(out_dir, exist_ok=True)
    for (name, dpi), rgb in sheets.items():
        w, h = SHEETS[name]
        write_png_rgb(os.path.join(out_dir, sheet_file(name, dpi)), scaled(w, dpi), scaled(h, dpi), rgb)


# ---- skin positions ------------------------------------------------------------
#
# A skin line that takes positions from the table carries a note after its
# value: "// @Sprite: k1 k2 ...". The first numbers of the line's values are
# the table's values of Sprite.k1, Sprite.k2, ... (x, y top left; r, b bottom
# right; x1, y1, x2, y2 nine-slice cuts; "state.x" and so on for one face of
# a strip). compose.py writes them; the skin loader never sees the note.

NOTE = re.compile(r"^(?P<head>\s*[^=/]+=\s*)(?P<values>[^;]*);(?P<gap>\s*)//\s*@(?P<sprite>[A-Za-z0-9_]+):(?P<keys>[^/]*)$")


def positions(sprites):
    table = {}
    for s in sprites:
        table[s.name + ".x"], table[s.name + ".y"] = s.x, s.y
        table[s.name + ".r"], table[s.name + ".b"] = s.right, s.bottom
        if s.slice:
            l, t, r, b = s.slice
            table[s.name + ".x1"], table[s.name + ".y1"] = s.x + l, s.y + t
            table[s.name + ".x2"], table[s.name + ".y2"] = s.x + s.w - r, s.y + s.h - b
        if len(s.variants) > 1:
            for i, v in enumerate(s.variants):
                x, y = s.frame_origin(i)
                table["%s.%s.x" % (s.name, v)], table["%s.%s.y" % (s.name, v)] = x, y
                table["%s.%s.r" % (s.name, v)], table["%s.%s.b" % (s.name, v)] = x + s.w, y + s.h
                if s.slice:
                    table["%s.%s.x1" % (s.name, v)] = x + s.slice[0]
                    table["%s.%s.x2" % (s.name, v)] = x + s.w - s.slice[2]
    return table


def read_skin_text(path):
    data = open(path, "rb").read()
    if data[:2] == b"\xff\xfe":
        return data[2:].decode("utf-16-le"), "utf-16"
    return data.decode("cp932"), "cp932"


def write_skin_text(path, text, encoding):
    data = b"\xff\xfe" + text.encode("utf-16-le") if encoding == "utf-16" else text.encode("cp932")
    with open(path, "wb") as f:
        f.write(data)


def place_line(line, table, where, errors):
    m = NOTE.match(line)
    if not m:
        return line
    keys = m.group("keys").split()
    values = [v.strip() for v in m.group("values").split(",")]
    numbers = [i for i, v in enumerate(values) if re.fullmatch(r"-?\d+", v)]
    if len(numbers) < len(keys):
        errors.append("%s: fewer numbers than positions" % where)
        return line
    for i, key in zip(numbers, keys):
        full = m.group("sprite") + "." + key
        if full not in table:
            errors.append("%s: the table has no %s" % (where, full))
            return line
        values[i] = str(table[full])
    return m.group("head") + ", ".join(values) + ";" + m.group("gap") + "// @" + m.group("sprite") + ":" + m.group("keys")


def place_positions(table_path, skin_dir, write):
    sprites = read_table(table_path)
    errors = check_table(sprites)
    table = positions(sprites)
    stale = []
    for name in sorted(os.listdir(skin_dir)):
        if not name.lower().endswith(".txt"):
            continue
        path = os.path.join(skin_dir, name)
        text, encoding = read_skin_text(path)
        lines = text.split("\r\n")
        placed = [place_line(l, table, "%s line %d" % (name, n + 1), errors) for n, l in enumerate(lines)]
        if placed != lines:
            stale.append(name)
            if write:
                write_skin_text(path, "\r\n".join(placed), encoding)
    if errors:
        sys.exit("compose: " + "\n".join(errors))
    return stale


# ---- checking composed sheets -------------------------------------------------

def check_sheets(table_path, sheet_dir, dpis=DPIS):
    """Every sheet at every scale has the table's size for that scale, holds
    nothing outside the sprites, and no pixel near the key colour that is
    not the key colour itself."""
    sprites = read_table(table_path)
    problems = []
    for dpi in dpis:
        for name, (width, height) in SHEETS.items():
            file = sheet_file(name, dpi)
            path = os.path.join(sheet_dir, file)
            if not os.path.exists(path):
                problems.append("%s is missing" % file)
                continue
            w, h, rgba = read_png_rgba(path)
            if (w, h) != (scaled(width, dpi), scaled(height, dpi)):
                problems.append("%s is %dx%d, the table says %dx%d" % (file, w, h, scaled(width, dpi), scaled(height, dpi)))
                continue
            covered = bytearray(w * h)
            for s in sprites:
                if s.sheet == name:
                    for i in range(len(s.variants)):
                        x0, y0, x1, y1 = frame_rect(s, i, dpi)
                        for y in range(y0, y1):
                            covered[y * w + x0:y * w + x1] = b"\x01" * (x1 - x0)
            fringe = stray = 0
            for i in range(w * h):
                r, g, b = rgba[4 * i:4 * i + 3]
                if (r, g, b) == KEY:
                    continue
                if not covered[i]:
                    stray += 1
                elif r - g > 100 and b - g > 100 and abs(r - b) < 80:  # magenta mixed in
                    fringe += 1
            if fringe:
                problems.append("%s: %d pixels tinted by the key colour" % (file, fringe))
            if stray:
                problems.append("%s: %d pixels outside every sprite" % (file, stray))
    return problems


def main(argv):
    if len(argv) == 4 and argv[1] == "--check-sheets":
        problems = check_sheets(argv[2], argv[3])
        for line in problems:
            print("compose: " + line, file=sys.stderr)
        return 1 if problems else 0
    if len(argv) == 4 and argv[1] in ("--skin", "--check-skin"):
        stale = place_positions(argv[2], argv[3], argv[1] == "--skin")
        if stale and argv[1] == "--check-skin":
            print("compose: positions out of date in %s: run tools/art/compose.py --skin %s %s"
                  % (", ".join(stale), argv[2], argv[3]), file=sys.stderr)
            return 1
        return 0
    if len(argv) == 3:
        compose(argv[1], argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
