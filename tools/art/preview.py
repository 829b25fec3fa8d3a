#!/usr/bin/env python3
"""Paints a window skin at its layout size from the composed sheets, so a
layout can be looked at before the window exists.

  preview.py SKINCHECK SKIN.txt SHEETDIR OUT.png [--hide A,B] [--frame Item=N]
             [--text Item=TEXT]

Items whose names begin with a digit (the menu's button descriptions) are
never painted: no window creates them where they stand.

SKINCHECK is the native skincheck binary (it resolves the file exactly as
the program does and prints the item tree). Items are painted in layers:
panels, pictures, controls, texts; overlays are left out (they are hidden
in practice). Texts are set with the IPA fonts in place of the MS fonts and
wrapped to their boxes; a text taller than its box is reported on stderr,
because it would be clipped on screen. Exit code 1 when any text is.
Standard library plus ImageMagick's convert.
"""
import re
import subprocess
import sys

FONT_P = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"
FONT_M = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"


def tree(skincheck, path):
    out = subprocess.run([skincheck, "--utf8", "--window", path], capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(out.stdout + out.stderr)
    items, current = {}, None
    for line in out.stdout.splitlines():
        m = re.match(r"^(\S.*) \{$", line)
        if m:
            current = items.setdefault(m.group(1), {})
            continue
        m = re.match(r"^\s+(\S+) = (.*);$", line)
        if m and current is not None:
            current[m.group(1)] = [re.sub(r"\\(.)", r"\1", v)
                                   for v in re.findall(r'"((?:[^"\\]|\\.)*)"', m.group(2))]
    return items


def ints(values):
    return [int(v) if re.fullmatch(r"-?\d+", v or "") else 0 for v in values]


class Painter:
    def __init__(self, sheets, width, height):
        self.sheets = sheets
        self.ops = []
        self.width, self.height = width, height
        self.clipped = []

    def crop(self, sheet, x, y, w, h, dx, dy):
        if w <= 0 or h <= 0:
            return
        self.ops += ["(", "%s/%s" % (self.sheets, sheet), "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                     "-transparent", "#FF00FF", ")", "-geometry", "+%d+%d" % (dx, dy), "-composite"]

    def nine(self, sheet, xs, ys, dx, dy, w, h):
        # Corners as they are, edges and centre tiled (cut at the far border).
        cols = [(xs[0], xs[1] - xs[0]), (xs[1], xs[2] - xs[1]), (xs[2], xs[3] - xs[2])]
        rows = [(ys[0], ys[1] - ys[0]), (ys[1], ys[2] - ys[1]), (ys[2], ys[3] - ys[2])]
        spans_x = [(dx, cols[0][1]), (dx + cols[0][1], w - cols[0][1] - cols[2][1]), (dx + w - cols[2][1], cols[2][1])]
        spans_y = [(dy, rows[0][1]), (dy + rows[0][1], h - rows[0][1] - rows[2][1]), (dy + h - rows[2][1], rows[2][1])]
        for (sy, sh), (ty, th) in zip(rows, spans_y):
            for (sx, sw), (tx, tw) in zip(cols, spans_x):
                if sw <= 0 or sh <= 0:
                    continue
                for oy in range(0, max(th, 0), sh):
                    for ox in range(0, max(tw, 0), sw):
                        self.crop(sheet, sx, sy, min(sw, tw - ox), min(sh, th - oy), tx + ox, ty + oy)

    def text(self, name, text, font, colour, x, y, w, h, centre=False):
        text = text.replace("\\r\\n", "\n")
        if not text:
            return
        face = FONT_M if font and "ＭＳ ゴシック" == font[0] else FONT_P
        size = int(font[1]) if len(font) > 1 and font[1] else 12
        bold = len(font) > 2 and font[2] and int(font[2]) >= 700
        fill = "rgb(%d,%d,%d)" % tuple(ints(colour or ["0", "0", "0"])[:3])
        args = ["-background", "none", "-fill", fill, "-font", face, "-pointsize", str(size)]
        if bold:
            args += ["-stroke", fill, "-strokewidth", "0.4"]
        if centre:
            args += ["-gravity", "center", "-size", "%dx%d" % (w, h)]
            measure = subprocess.run(["convert"] + args[:-4] + ["label:" + text, "-format", "%w", "info:"],
                                     capture_output=True, text=True).stdout
            if measure.strip() and int(measure) > w:
                self.clipped.append("%s: label %d px in %d" % (name, int(measure), w))
            self.ops += ["(", *args, "label:" + text, "-gravity", "northwest", ")", "-geometry", "+%d+%d" % (x, y),
                         "-composite"]
            return
        measure = subprocess.run(["convert"] + args + ["-size", "%dx" % w, "caption:" + text, "-format", "%h", "info:"],
                                 capture_output=True, text=True).stdout
        if measure.strip() and int(measure) > h + 1:
            self.clipped.append("%s: text %d px high in %d" % (name, int(measure), h))
        self.ops += ["(", *args, "-size", "%dx" % w, "caption:" + text, "-crop", "%dx%d+0+0" % (w, h), "+repage",
                     ")", "-geometry", "+%d+%d" % (x, y), "-composite"]


def paint(items, sheets, out, hide, frames):
    base = items["Base"]
    w, h = ints(base["LayoutSize"])
    p = Painter(sheets, w, h)
    img = base["Image"]
    bx0, by0, bx1, by1 = ints(img[1:5])
    dx0, dy0, dx1, dy1 = ints(base["DivPoint"])
    p.nine(img[0], [bx0, dx0, dx1, bx1], [by0, dy0, dy1, by1], 0, 0, w, h)
    layers = {0: [], 1: [], 2: [], 3: []}
    for name, it in items.items():
        if name in hide or name == "Base" or "Position" not in it or "Size" not in it or name[0].isdigit():
            continue
        if name in ("FrameOverlay", "ScreenOverlay") or "Class" in it:
            continue
        image = it.get("Image", [])
        if len(image) == 9 or name.endswith("Frame") and "Image" in it and len(image) == 9:
            layers[0].append(name)
        elif "Image" in it and "NormalImage" not in it:
            layers[1].append(name)
        elif "NormalImage" in it or "Frame" in it or "Type" in it or "NormalRow.0" in it:
            layers[2].append(name)
        elif "Text" in it:
            layers[3].append(name)
    for layer in range(4):
        for name in sorted(layers[layer], key=lambda n: ints(items[n]["Position"])[::-1]):
            it = items[name]
            x, y = ints(it["Position"])
            iw, ih = ints(it["Size"])
            image = it.get("Image", [])
            if layer == 0:
                v = ints(image[1:])
                p.nine(image[0], v[0:4], v[4:8], x, y, iw, ih)
            elif layer == 1:
                v = ints(image[1:])
                if "Time" in it:  # animation: the first frame
                    p.crop(image[0], v[0], v[1], iw, ih, x, y)
                elif "ImageTilde" in it:  # digit strip: the frame asked for
                    f = frames.get(name, 1)
                    fw = (v[2] - v[0]) // 10
                    p.crop(image[0], v[0] + f * fw, v[1], fw, v[3] - v[1], x, y)
                else:  # a picture is cut to its item
                    p.crop(image[0], v[0], v[1], min(v[2] - v[0], iw), min(v[3] - v[1], ih), x, y)
                if it.get("Text", [""])[0]:
                    tx, ty = ints(it["TextPosition"])
                    tw, th = ints(it["TextSize"])
                    p.text(name, it["Text"][0], it.get("TextFont"), it.get("TextColor"), x + tx, y + ty, tw, th)
            elif "NormalImage" in it:
                face = it["NormalImage"]
                fx, fy = ints(face[1:3])
                size = ints(it.get("ImageSize", it["Size"]))
                if "Width" in it:
                    total = ints(it["Width"])[0]
                    d0, d1, d2 = ints(it["Divide"])
                    p.crop(face[0], fx, fy, d0, size[1], x, y)
                    for ox in range(d0, total - d2, d1):
                        p.crop(face[0], fx + d0, fy, min(d1, total - d2 - ox), size[1], x + ox, y)
                    p.crop(face[0], fx + size[0] - d2, fy, d2, size[1], x + total - d2, y)
                    iw = total
                else:
                    p.crop(face[0], fx, fy, size[0], size[1], x, y)
                if it.get("Text", [""])[0]:
                    p.text(name, it["Text"][0], it.get("Font"), it.get("TextColor"), x, y, iw, ih, centre=True)
            elif "Frame" in it:  # edit box: its frame and the white control inside
                v = ints(it["Frame"][1:])
                p.nine(it["Frame"][0], v[0:4], v[4:8], x - 3, y - 3, iw + 6, ih + 6)
            elif "Type" in it:  # scroll bar: track and the two buttons with their arrows
                v = ints(it["BaseImage"][1:])
                vertical = it["Type"][0] == "V"
                a, b = v[4], v[5]
                if vertical:
                    p.nine(it["BaseImage"][0], [v[0], v[0], v[2], v[2]], [v[1], v[1] + a, v[3] - b, v[3]], x, y, iw, ih)
                else:
                    p.nine(it["BaseImage"][0], [v[0], v[0] + a, v[2] - b, v[2]], [v[1], v[1], v[3], v[3]], x, y, iw, ih)
                bw, bh = ints(it["ButtonSize"])
                for key, arrow, (ox, oy) in (("UpButtonImage", "UpImage", (0, 0)),
                                             ("DownButtonImage", "DownImage", (iw - bw, ih - bh) if True else None)):
                    if key == "DownButtonImage" and vertical:
                        ox, oy = 0, ih - bh
                    elif key == "DownButtonImage":
                        ox, oy = iw - bw, 0
                    u = ints(it[key][1:3])
                    p.crop(it[key][0], u[0], u[1], bw, bh, x + ox, y + oy)
                    r = ints(it[arrow][1:5])
                    p.crop(it[arrow][0], r[0], r[1], r[2] - r[0], r[3] - r[1], x + ox, y + oy)
            elif "NormalRow.0" in it:  # list view: its rows
                count = ints(it["NormalRowCount"])[0]
                for i, ry in enumerate(range(0, ih, 18)):
                    row = it["NormalRow.%d" % (i % count)]
                    v = ints(row[1:])
                    rh = min(v[5] - v[4], ih - ry)
                    p.nine(row[0], v[0:4], [v[4], v[4], v[5], v[5]], x, y + ry, iw, rh)
            elif layer == 3:
                p.text(name, it["Text"][0], it.get("Font"), it.get("Color"), x, y, iw, ih)
    subprocess.run(["convert", "-size", "%dx%d" % (w, h), "xc:#FF00FF"] + p.ops +
                   ["-fill", "#6E7F8F", "-opaque", "#FF00FF", out], check=True)
    for line in p.clipped:
        print("%s: %s" % (out, line), file=sys.stderr)
    return 1 if p.clipped else 0


def main(argv):
    if len(argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    hide, frames, texts = set(), {}, {}
    rest = argv[5:]
    while rest:
        flag, value = rest[0], rest[1]
        rest = rest[2:]
        if flag == "--hide":
            hide.update(filter(None, value.split(",")))
        elif flag == "--text":
            name, _, text = value.partition("=")
            texts[name] = text
        elif flag == "--frame":
            name, _, n = value.partition("=")
            frames[name] = int(n)
    items = tree(argv[1], argv[2])
    for name, text in texts.items():
        items[name]["Text"] = [text]
    return paint(items, argv[3], argv[4], hide, frames)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
