#!/usr/bin/env python3
"""Writes the PNG and APNG inputs of png/ and, for each case of
png/cases.txt, the FRM file that gif2frm must write when run as
`gif2frm [options] INPUT` in a folder holding INPUT.

Written apart from the converter, on purpose: the pictures are drawn here as
plain pixel lists, encoded by a PNG writer of this script's own (every row
filter, Adam7, 16-bit samples, tRNS, APNG's acTL, fcTL and fdAT), and the
expected FRM comes from those pixel lists by this script's own rules:
a pixel whose alpha is below the threshold (-t=, default 128) is index 0;
any other takes the first palette entry 1..228 within the colour delta
(make_expected.translate) or, with -m=nearest, the entry at the least CIE76
Delta E, computed below in double precision. An indexed image keeps its
indices with -n, its entries below the threshold becoming 0. APNG frames
are placed by their own rectangles, each a frame of the sprite, their
delays made hundredths (delay_num / delay_den seconds, a denominator of 0
meaning 100, rounded half up). Standard library only (zlib for Deflate).

Usage: python3 make_png_expected.py   (writes into png/ beside it)
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # nothing but test data in this folder
import make_expected as gif_rules  # noqa: E402  (palette, delta, header)

OUT = os.path.join(HERE, "png")


# --- PNG writer ---------------------------------------------------------------

def chunk(kind, data):
    body = kind.encode("ascii") + data
    return struct.pack(">I", len(data)) + body + \
        struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, row, prior, bpp):
    """One scanline filtered with filter type kind (0 to 4)."""
    out = bytearray([kind])
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prior[i] if prior is not None else 0
        c = prior[i - bpp] if prior is not None and i >= bpp else 0
        predictor = (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]
        out.append((x - predictor) & 0xFF)
    return out


def scanlines(rows, bpp, first_filter):
    """rows: lists of sample bytes. Each row takes the next filter type in
    turn, so that every type is exercised."""
    out = bytearray()
    prior = None
    for y, row in enumerate(rows):
        out += filter_row((first_filter + y) % 5, row, prior, bpp)
        prior = row
    return bytes(out)


ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
         (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def image_data(pixels, width, height, bpp, interlaced):
    """pixels: rows of per-pixel byte strings. The filtered scanlines of the
    image, or of its seven Adam7 passes (an empty pass has none)."""
    if not interlaced:
        rows = [b"".join(r) for r in pixels]
        return scanlines(rows, bpp, 0)
    out = bytearray()
    for n, (x0, y0, dx, dy) in enumerate(ADAM7):
        rows = [b"".join(pixels[y][x] for x in range(x0, width, dx))
                for y in range(y0, height, dy)]
        rows = [r for r in rows if r]
        out += scanlines(rows, bpp, n)
    return bytes(out)


def ihdr(width, height, depth, color_type, interlaced=False):
    return chunk("IHDR", struct.pack(">IIBBBBB", width, height, depth,
                                     color_type, 0, 0, 1 if interlaced else 0))


SIGNATURE = b"\x89PNG\r\n\x1a\n"


def split_idat(data, pieces):
    """The zlib stream cut into pieces chunks' worth, to exercise streams
    that span chunks."""
    step = max(1, -(-len(data) // pieces))
    return [data[i:i + step] for i in range(0, len(data), step)]


def fctl(sequence, frame, dispose=0, blend=0):
    return chunk("fcTL", struct.pack(
        ">IIIIIHHBB", sequence, frame["width"], frame["height"],
        frame["left"], frame["top"], frame["num"], frame["den"], dispose,
        blend))


# --- Colours --------------------------------------------------------------------

PALETTE = gif_rules.load_palette()


def widened(c):
    return 255 if c > 63 else (c << 2) | (c >> 4)


def linear(v):
    c = v / 255.0
    return c / 12.92 if c <= 0.04045 else math.pow((c + 0.055) / 1.055, 2.4)


WHITE = (0.4124 + 0.3576 + 0.1805, 0.2126 + 0.7152 + 0.0722,
         0.0193 + 0.1192 + 0.9505)


def lab_curve(t):
    delta = 6.0 / 29.0
    if t > delta * delta * delta:
        return math.cbrt(t)
    return t / (3.0 * delta * delta) + 4.0 / 29.0


def lab(r, g, b):
    """sRGB (8-bit) in CIELAB, D65, the white point being what the matrix
    makes of linear white."""
    r, g, b = linear(r), linear(g), linear(b)
    x = 0.4124 * r + 0.3576 * g + 0.1805 * b
    y = 0.2126 * r + 0.7152 * g + 0.0722 * b
    z = 0.0193 * r + 0.1192 * g + 0.9505 * b
    fx = lab_curve(x / WHITE[0])
    fy = lab_curve(y / WHITE[1])
    fz = lab_curve(z / WHITE[2])
    return (116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz))


ENTRY_LABS = [None] + [lab(*(widened(c) for c in PALETTE[e]))
                       for e in range(1, 229)]


def nearest(r, g, b):
    """The entry 1..228 at the least squared CIE76 distance; the lowest
    index on a tie."""
    l0, a0, b0 = lab(r, g, b)
    best, best_entry = None, 0
    for e in range(1, 229):
        l1, a1, b1 = ENTRY_LABS[e]
        dl, da, db = l1 - l0, a1 - a0, b1 - b0
        d = dl * dl + da * da + db * db
        if best is None or d < best:
            best, best_entry = d, e
    return best_entry


def first_within(r, g, b, delta):
    color_map = [0] * 256
    gif_rules.translate(color_map, [(r, g, b)], delta, True, PALETTE)
    return color_map[0]


def matches(r, g, b, delta=4):
    try:
        first_within(r, g, b, delta)
        return True
    except gif_rules.CantTranslate:
        return False


# --- Options and the expected FRM -------------------------------------------

def parse(args):
    options = {"delta": 4, "translate": True, "mode": "first",
               "threshold": 128, "fps": 0}
    for arg in args:
        if arg.startswith("-n"):
            options["translate"] = False
        elif arg.startswith("-m="):
            options["mode"] = arg[3:]
        elif arg.startswith("-t="):
            options["threshold"] = int(arg[3:])
        elif arg == "-f=gif":
            options["fps"] = "gif"
        elif arg.startswith("-d="):
            options["delta"] = int(arg[3:])
        else:
            raise ValueError("unexpected option " + arg)
    return options


def entry_of(pixel, options):
    """A true-colour pixel (r, g, b, a) as a palette entry."""
    r, g, b, a = pixel
    if a < options["threshold"]:
        return 0
    if not options["translate"]:
        raise ValueError("-n is refused for true colour")
    if options["mode"] == "nearest":
        return nearest(r, g, b)
    assert options["mode"] == "first"
    return first_within(r, g, b, options["delta"])


def indexed_entries(indices, image, options):
    """Indices of an indexed image: below the threshold 0, otherwise the
    index itself (-n) or its colour's entry."""
    out = []
    for i in indices:
        if image["alphas"][i] < options["threshold"]:
            out.append(0)
        elif not options["translate"]:
            out.append(i)
        elif options["mode"] == "nearest":
            out.append(nearest(*image["palette"][i]))
        else:
            out.append(first_within(*image["palette"][i], options["delta"]))
    return out


def hundredths(num, den):
    den = 100 if den == 0 else den
    return min(0xFFFF, (num * 200 + den) // (2 * den))


def expected_frm(image, options):
    """The FRM of one image: its frames in order, one direction."""
    w, h = image["width"], image["height"]
    records = []
    prev_x = prev_y = 0
    timed = []
    for frame in image["frames"]:
        if image["indexed"]:
            entries = indexed_entries(frame["pixels"], image, options)
        else:
            entries = [entry_of(p, options) for p in frame["pixels"]]
        fw, fh = frame["width"], frame["height"]
        x = frame["left"] - gif_rules.trunc_div(w - fw, 2)
        y = frame["top"] + fh - h
        records.append(struct.pack(">HHIHH", fw, fh, fw * fh,
                                   gif_rules.low16(x - prev_x),
                                   gif_rules.low16(y - prev_y)) +
                       bytes(entries))
        prev_x, prev_y = x, y
        timed.append(gif_rules.Frame())
        timed[-1].delay = hundredths(frame["num"], frame["den"]) \
            if image["animated"] else None
    fps = gif_rules.frames_per_second(timed) if options["fps"] == "gif" \
        else options["fps"]
    area = b"".join(records)
    header = struct.pack(">IHHH6H6H6II", 4, fps, 0, len(records),
                         *([0] * 18), len(area))
    return header + area


# --- Encoding an image ------------------------------------------------------------

def pixel_bytes(image, value):
    """One pixel's bytes in the file's own layout."""
    ct, depth = image["color_type"], image["depth"]
    if ct == 3:
        return bytes([value])
    if ct == 0:
        return struct.pack(">H", value) if depth == 16 else bytes([value])
    return bytes(value)  # RGB or RGBA, 8-bit


def encode(image):
    """The whole PNG or APNG file of image."""
    ct, depth = image["color_type"], image["depth"]
    bpp = max(1, len(pixel_bytes(image, image["stored"][0][0])))
    out = bytearray(SIGNATURE)
    out += ihdr(image["width"], image["height"], depth, ct,
                image.get("interlaced", False))
    if ct == 3:
        out += chunk("PLTE", b"".join(bytes(c) for c in image["palette"]))
        alphas = image["alphas"]
        last = max((i for i, a in enumerate(alphas) if a != 255), default=-1)
        out += chunk("tRNS", bytes(alphas[:last + 1]))
    if "key" in image:
        out += chunk("tRNS", struct.pack(">H", image["key"]))
    frames = image["frames"]
    sequence = 0
    if image["animated"]:
        out += chunk("acTL", struct.pack(">II", len(frames), 0))
        if image["default_is_frame"]:
            out += fctl(sequence, frames[0], 0, 0)
            sequence += 1
    stored = [[pixel_bytes(image, v) for v in row] for row in image["stored"]]
    data = zlib.compress(image_data(stored, image["width"], image["height"],
                                    bpp, image.get("interlaced", False)), 9)
    for piece in split_idat(data, 2):
        out += chunk("IDAT", piece)
    later = frames[1:] if image["default_is_frame"] else frames
    for n, frame in enumerate(later):
        out += fctl(sequence, frame, n % 3, n % 2)
        sequence += 1
        rows = [[pixel_bytes(image, v) for v in frame["stored"][y]]
                for y in range(frame["height"])]
        data = zlib.compress(
            image_data(rows, frame["width"], frame["height"], bpp, False), 9)
        for piece in split_idat(data, 2):
            out += chunk("fdAT", struct.pack(">I", sequence) + piece)
            sequence += 1
    out += chunk("IEND", b"")
    return bytes(out)


def frame_of(left, top, width, height, stored, pixels, num=0, den=0):
    return {"left": left, "top": top, "width": width, "height": height,
            "stored": stored, "pixels": pixels, "num": num, "den": den}


def rows_of(flat, width):
    return [flat[i:i + width] for i in range(0, len(flat), width)]


# --- The pictures -----------------------------------------------------------------

def figure_colors():
    """Palette entries' colours, a shade of a figure each, off their exact
    8-bit value by what the 6-bit match ignores."""
    shades = [e for e in range(1, 229) if matches(*PALETTE_WIDE[e])]
    return [PALETTE_WIDE[e] for e in shades[40:200:16]]


PALETTE_WIDE = [tuple(widened(c) for c in PALETTE[e]) for e in range(256)]


def unmatched_color():
    for r in range(0, 256, 3):
        for b in range(255, 0, -5):
            if not matches(r, 255 - r, b):
                return (r, 255 - r, b)
    raise AssertionError("every colour matches")


def rgba_figure():
    """A shaded ellipse with an anti-aliased rim: alpha from 255 inside down
    to 0 outside across two pixels, the thresholds 128 and 200 falling
    inside the rim; outside, a colour no entry matches (so a transparent
    pixel that were matched would fail the run)."""
    width, height = 23, 19
    shades = figure_colors()
    outside = unmatched_color()
    pixels = []
    for y in range(height):
        for x in range(width):
            dx, dy = (x - 11.0) / 9.5, (y - 9.0) / 7.5
            d = math.sqrt(dx * dx + dy * dy)
            coverage = max(0.0, min(1.0, (1.0 - d) * 4.0 + 0.5))
            alpha = int(round(255 * coverage))
            if alpha == 0:
                pixels.append(outside + (0,))
                continue
            r, g, b = shades[min(len(shades) - 1, int(d * len(shades)))]
            # Low bits the 6-bit match never sees.
            r, g, b = r ^ (x & 1), g ^ (y & 2 and 1), b
            pixels.append((r, g, b, alpha))
    # Alphas at the edges of the thresholds, on the rim.
    for (x, y), alpha in (((1, 9), 127), ((21, 9), 128), ((11, 1), 199),
                          ((11, 17), 200), ((2, 9), 1), ((20, 9), 254)):
        r, g, b, _ = pixels[y * width + x]
        if (r, g, b) == outside:
            r, g, b = shades[-1]
        pixels[y * width + x] = (r, g, b, alpha)
    image = {"width": width, "height": height, "color_type": 6, "depth": 8,
             "animated": False, "default_is_frame": True, "indexed": False,
             "stored": rows_of(pixels, width)}
    image["frames"] = [frame_of(0, 0, width, height, image["stored"], pixels)]
    return image


def indexed_apng():
    """16 x 12, 20 palette entries, tRNS with entries 0, 2 and 5 below 128
    (and 7 exactly 128), three frames: the default image over the canvas,
    then 7 x 5 at (3, 2) and 5 x 6 at (10, 6); delays 1/20 s, 5/0 (a
    denominator of 0 is 100) and 3/200 s: 5, 5 and 2 hundredths."""
    width, height = 16, 12
    palette = [((i * 37) % 256, (i * 91) % 256, (i * 53 + 7) % 256)
               for i in range(20)]
    alphas = [255] * 20
    alphas[0], alphas[2], alphas[5], alphas[7], alphas[9] = 0, 100, 127, 128, \
        200
    image = {"width": width, "height": height, "color_type": 3, "depth": 8,
             "animated": True, "default_is_frame": True, "indexed": True,
             "palette": palette, "alphas": alphas}
    frames = []
    for n, (left, top, w, h, num, den) in enumerate(
            ((0, 0, width, height, 1, 20), (3, 2, 7, 5, 5, 0),
             (10, 6, 5, 6, 3, 200))):
        flat = [(x * 3 + y * 5 + n * 7) % 20 for y in range(h)
                for x in range(w)]
        frames.append(frame_of(left, top, w, h, rows_of(flat, w), flat, num,
                               den))
    image["frames"] = frames
    image["stored"] = frames[0]["stored"]
    return image


def grey16():
    """10 x 6 grey, 16 bits a sample, the colour key 0x1234: 0x1234 is
    transparent, 0x1235 (the same high byte) is not. Each sample's high byte
    is its 8-bit grey; the low bytes vary."""
    width, height = 10, 6
    key = 0x1234
    greys = [g for g in range(256) if matches(g, g, g)]
    stored, pixels = [], []
    for y in range(height):
        row = []
        for x in range(width):
            high = greys[(x * 17 + y * 29) % len(greys)]
            value = high << 8 | ((x * 71 + y * 13) & 0xFF)
            if (x, y) == (2, 1):
                value = key
            elif (x, y) == (3, 1):
                value = key + 1
            row.append(value)
            transparent = value == key
            grey = value >> 8
            pixels.append((0, 0, 0, 0) if transparent else
                          (grey, grey, grey, 255))
        stored.append(row)
    assert matches(0x12, 0x12, 0x12)
    image = {"width": width, "height": height, "color_type": 0, "depth": 16,
             "animated": False, "default_is_frame": True, "indexed": False,
             "key": key, "stored": stored}
    image["frames"] = [frame_of(0, 0, width, height, stored, pixels)]
    return image


def adam7():
    """13 x 11 RGB, Adam7: odd sizes, so that the passes have rows and
    columns of every length, some passes one pixel wide."""
    width, height = 13, 11
    colors = [PALETTE_WIDE[e] for e in range(1, 229) if matches(
        *PALETTE_WIDE[e])]
    flat = [colors[(x * 7 + y * 11 + x * y) % len(colors)]
            for y in range(height) for x in range(width)]
    image = {"width": width, "height": height, "color_type": 2, "depth": 8,
             "animated": False, "default_is_frame": True, "indexed": False,
             "interlaced": True, "stored": rows_of(flat, width)}
    image["frames"] = [frame_of(0, 0, width, height, image["stored"],
                                [c + (255,) for c in flat])]
    return image


def rgba_apng_nearest():
    """A 40 x 40 RGBA APNG whose default image is no frame (no fcTL before
    IDAT), then two frames: 32 x 32 at (4, 3) holding 1024 colours spread
    over the whole cube, and 9 x 5 at (30, 34) of colours between the
    palette's with alphas around 128. For -m=nearest."""
    width, height = 40, 40
    hidden = [(255, 0, 255, 255)] * (width * height)
    many = [((x * 8 + (y & 7)) & 0xFF, (y * 8 + (x & 7)) & 0xFF,
             (x * 37 + y * 11) & 0xFF, 255)
            for y in range(32) for x in range(32)]
    small = [((x * 29 + 3) & 0xFF, (y * 50 + 1) & 0xFF, (x * y * 13) & 0xFF,
              (120 + x * 2 + y) & 0xFF) for y in range(5) for x in range(9)]
    image = {"width": width, "height": height, "color_type": 6, "depth": 8,
             "animated": True, "default_is_frame": False, "indexed": False,
             "stored": rows_of(hidden, width)}
    image["frames"] = [
        frame_of(4, 3, 32, 32, rows_of(many, 32), many, 1, 10),
        frame_of(30, 34, 9, 5, rows_of(small, 9), small, 7, 100)]
    return image


# Each case: its name (the expected FRM's), the input, and the options.
CASES = (
    ("rgba_figure", "rgba_figure.png", []),
    ("rgba_figure_t200", "rgba_figure.png", ["-t=200"]),
    ("indexed_apng", "indexed_apng.png", ["-f=gif", "-n"]),
    ("indexed_apng_nearest", "indexed_apng.png", ["-m=nearest", "-f=gif"]),
    ("grey16", "grey16.png", []),
    ("adam7", "adam7.png", []),
    ("rgba_apng_nearest", "rgba_apng_nearest.png", ["-m=nearest"]),
)


def self_check():
    # sRGB white exactly, and red near its textbook value (53.24, 80.09,
    # 67.20), which a matrix of more digits gives.
    assert lab(255, 255, 255) == (100.0, 0.0, 0.0), lab(255, 255, 255)
    red = lab(255, 0, 0)
    assert all(abs(u - v) < 0.05 for u, v in zip(red, (53.24, 80.09, 67.20))), \
        red
    # Every entry is its own nearest unless an earlier one has its colour.
    for e in range(1, 229):
        found = nearest(*PALETTE_WIDE[e])
        assert found == e or PALETTE_WIDE[found] == PALETTE_WIDE[e], e
    assert hundredths(1, 20) == 5 and hundredths(5, 0) == 5
    assert hundredths(3, 200) == 2 and hundredths(1, 200) == 1
    assert hundredths(65535, 1) == 0xFFFF
    assert paeth(10, 20, 15) == 15 and paeth(10, 20, 30) == 10


def main():
    self_check()
    os.makedirs(OUT, exist_ok=True)
    images = {"rgba_figure.png": rgba_figure(),
              "indexed_apng.png": indexed_apng(), "grey16.png": grey16(),
              "adam7.png": adam7(),
              "rgba_apng_nearest.png": rgba_apng_nearest()}
    for name, image in images.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(encode(image))
    lines = []
    for case, input_name, args in CASES:
        frm = expected_frm(images[input_name], parse(args))
        with open(os.path.join(OUT, case + ".frm"), "wb") as f:
            f.write(frm)
        lines.append(" ".join([case, input_name] + args))
        print("%s.frm: %d bytes" % (case, len(frm)))
    with open(os.path.join(OUT, "cases.txt"), "w") as f:
        f.write("# case input options...: gif2frm [options] input makes the\n"
                "# input's name with .frm, which must equal case.frm\n")
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
