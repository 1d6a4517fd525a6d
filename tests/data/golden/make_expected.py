#!/usr/bin/env python3
"""Computes NAME.frm for every NAME.gif in this folder: the FRM file that
gif2frm must write when run as `gif2frm [options from NAME.args] NAME.gif`.
GIFs that some NAME.args names as a direction file (-1=FILE to -5=FILE) are
part of that case, not cases of their own.

Written apart from the converter, on purpose: it has its own GIF reader and
LZW decoder, its own colour matching against resources/palette.pal and its
own FRM writer, so that the golden files check the program rather than
repeat it. Standard library only.

Usage: python3 make_expected.py [DIRECTORY]   (default: this script's folder)
"""

import os
import struct
import sys
from collections import Counter
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
PALETTE = os.path.join(HERE, "..", "..", "..", "resources", "palette.pal")


# --- GIF -------------------------------------------------------------------

class Frame:
    def __init__(self):
        self.left = self.top = self.width = self.height = 0
        self.local_table = None  # list of (r, g, b), or None
        self.interlaced = False
        self.transparent = None  # the transparent GIF index, or None
        self.delay = None        # hundredths of a second, or None (no control)
        self.pixels = []         # display order; None where nothing arrived


def read_table(data, pos, size_field):
    count = 2 << size_field
    table = [tuple(data[pos + 3 * i:pos + 3 * i + 3]) for i in range(count)]
    return table, pos + 3 * count


def sub_blocks(data, pos):
    """The bytes of a sub-block chain and the position after its
    terminator."""
    out = bytearray()
    while True:
        size = data[pos]
        pos += 1
        if size == 0:
            return bytes(out), pos
        out += data[pos:pos + size]
        pos += size


def lzw_decode(min_code_size, data):
    """Plain GIF LZW. Stops at the end code, or where the codes run out
    (data closed by the block terminator alone)."""
    clear = 1 << min_code_size
    end = clear + 1
    width = min_code_size + 1
    prev = None
    out = []
    bitpos = 0
    total_bits = 8 * len(data)

    def reset():
        return [[i] for i in range(clear)] + [None, None]

    table = reset()
    while bitpos + width <= total_bits:
        code = 0
        for i in range(width):
            bit = (data[(bitpos + i) // 8] >> ((bitpos + i) % 8)) & 1
            code |= bit << i
        bitpos += width
        if code == clear:
            table = reset()
            width = min_code_size + 1
            prev = None
            continue
        if code == end:
            break
        if prev is None:
            entry = table[code]
        elif code < len(table):
            entry = table[code]
            if len(table) < 4096:
                table.append(table[prev] + [entry[0]])
        else:
            assert code == len(table), "code beyond the dictionary"
            entry = table[prev] + [table[prev][0]]
            table.append(entry)
        out.extend(entry)
        prev = code
        if len(table) == (1 << width) and width < 12:
            width += 1
    return out


def interlaced_rows(height):
    rows = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows.extend(range(start, height, step))
    return rows


def read_gif(data):
    assert data[:6] in (b"GIF87a", b"GIF89a")
    screen_w, screen_h, packed = struct.unpack_from("<HHB", data, 6)
    pos = 13
    global_table = None
    if packed & 0x80:
        global_table, pos = read_table(data, pos, packed & 7)
    frames = []
    pending_transparent = None
    pending_delay = None
    while True:
        introducer = data[pos]
        pos += 1
        if introducer == 0x3B:
            break
        if introducer == 0x21:
            label = data[pos]
            pos += 1
            if label == 0xF9:
                flags, delay, index = struct.unpack_from("<BHB", data, pos + 1)
                # Only the last control before an image counts, and only
                # with its transparency flag set.
                pending_transparent = index if flags & 1 else None
                pending_delay = delay
                pos += 6
            else:
                if label in (0x01, 0xFF):
                    pos += 1 + data[pos]
                _, pos = sub_blocks(data, pos)
            continue
        assert introducer == 0x2C, "unexpected block %#x" % introducer
        frame = Frame()
        frame.left, frame.top, frame.width, frame.height, ipacked = \
            struct.unpack_from("<HHHHB", data, pos)
        pos += 9
        if ipacked & 0x80:
            frame.local_table, pos = read_table(data, pos, ipacked & 7)
        frame.interlaced = bool(ipacked & 0x40)
        frame.transparent = pending_transparent
        frame.delay = pending_delay
        pending_transparent = None
        pending_delay = None
        min_code_size = data[pos]
        codes, pos = sub_blocks(data, pos + 1)
        stream = lzw_decode(min_code_size, codes)
        w, h = frame.width, frame.height
        assert len(stream) <= w * h, "more pixels than the image has"
        stream += [None] * (w * h - len(stream))
        order = interlaced_rows(h) if frame.interlaced else range(h)
        frame.pixels = [None] * (w * h)
        for stream_row, display_row in enumerate(order):
            frame.pixels[display_row * w:(display_row + 1) * w] = \
                stream[stream_row * w:(stream_row + 1) * w]
        frames.append(frame)
    return screen_w, screen_h, global_table, frames


# --- Colour matching ---------------------------------------------------------

def load_palette():
    with open(PALETTE, "rb") as f:
        data = f.read()
    assert len(data) == 768 + 32768
    return [tuple(data[3 * i:3 * i + 3]) for i in range(256)]


class CantTranslate(Exception):
    pass


def translate(color_map, table, delta, translate_colors, palette):
    """Fills color_map in place from table; entries past the table keep
    what they held."""
    if not translate_colors:
        color_map[:] = range(256)
        return
    for i, (r, g, b) in enumerate(table):
        r, g, b = r // 4, g // 4, b // 4
        for j in range(1, 229):
            pr, pg, pb = palette[j]
            if abs(r - pr) + abs(g - pg) + abs(b - pb) <= delta:
                color_map[i] = j
                break
        else:
            raise CantTranslate()


# --- Options and assembly -----------------------------------------------------

def parse_args(lines):
    options = {"delta": 4, "translate": True, "x": 0, "y": 0,
               "six_in_one": False, "direction_files": {}, "fps": 0,
               "action": 0}
    for arg in lines:
        if arg == "-6":
            options["six_in_one"] = True
        elif len(arg) > 3 and arg[0] == "-" and arg[1] in "12345" \
                and arg[2] == "=":
            options["direction_files"][int(arg[1])] = arg[3:]
        elif arg.startswith("-f="):
            options["fps"] = "gif" if arg[3:] == "gif" else int(arg[3:])
        elif arg.startswith("-a="):
            options["action"] = int(arg[3:])
        elif arg.startswith("-d="):
            options["delta"] = int(arg[3:])
        elif arg.startswith("-n"):
            options["translate"] = False
        elif arg.startswith("-x="):
            options["x"] = int(arg[3:])
        elif arg.startswith("-y="):
            options["y"] = int(arg[3:])
        else:
            raise ValueError("unexpected option " + arg)
    return options


def trunc_div(a, b):
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


def low16(value):
    return value & 0xFFFF


def frame_records(gif, options, palette, per_direction):
    """The FRM frame records of a GIF's images: colour maps carried from
    image to image through the whole GIF, and the previous reference point
    back at (0, 0) at the start of every direction of per_direction
    images."""
    screen_w, screen_h, global_table, frames = gif
    global_map = [0] * 256
    local_map = [0] * 256
    if global_table is not None:
        translate(global_map, global_table, options["delta"],
                  options["translate"], palette)
    records = []
    prev_x = prev_y = 0
    for k, frame in enumerate(frames):
        if k % per_direction == 0:
            prev_x = prev_y = 0
        color_map = global_map
        if frame.local_table is not None:
            translate(local_map, frame.local_table, options["delta"],
                      options["translate"], palette)
            color_map = local_map
        x = frame.left - trunc_div(screen_w - frame.width, 2)
        y = frame.top + frame.height - screen_h
        out = bytearray()
        for s in frame.pixels:
            if s is None or s == frame.transparent:
                out.append(0)
            else:
                out.append(color_map[s])
        header = struct.pack(">HHIHH", frame.width, frame.height,
                             frame.width * frame.height,
                             low16(x - prev_x), low16(y - prev_y))
        records.append(header + bytes(out))
        prev_x, prev_y = x, y
    return records


def frames_per_second(frames):
    """100 over the most common non-zero delay (the shorter one on a tie),
    rounded half up, at least 1; 0 without any delay."""
    counts = Counter(f.delay for f in frames if f.delay)
    if not counts:
        return 0
    delay = min(counts, key=lambda d: (-counts[d], d))
    return max(1, int(Fraction(100, delay) + Fraction(1, 2)))


def build_frm(gifs, options, palette):
    """gifs: the input's GIF, then those of -1= to -5= in order, if any."""
    if options["six_in_one"]:
        assert len(gifs) == 1
        frames = gifs[0][3]
        assert len(frames) % 6 == 0
        per_direction = len(frames) // 6
        records = frame_records(gifs[0], options, palette, per_direction)
        directions = 6
    else:
        per_direction = len(gifs[0][3])
        records = []
        for gif in gifs:
            assert len(gif[3]) == per_direction
            records += frame_records(gif, options, palette, per_direction)
        directions = len(gifs)
    assert directions in (1, 6)
    first_direction = gifs[0][3][:per_direction]
    fps = options["fps"]
    if fps == "gif":
        fps = frames_per_second(first_direction)
    assert 0 <= options["action"] < per_direction
    offsets = [len(b"".join(records[:d * per_direction]))
               for d in range(directions)] + [0] * (6 - directions)
    shifts_x = [low16(options["x"])] * directions + [0] * (6 - directions)
    shifts_y = [low16(options["y"])] * directions + [0] * (6 - directions)
    area = b"".join(records)
    header = struct.pack(">IHHH6H6H6II", 4, fps, options["action"],
                         per_direction, *shifts_x, *shifts_y, *offsets,
                         len(area))
    assert len(header) == 62
    return header + area


# --- Checks of this script against facts written down by hand ------------

def self_check(palette):
    black = [0] * 256
    for delta, expected in ((4, 100), (0, 228), (10, 98)):
        translate(black, [(0, 0, 0)], delta, True, palette)
        assert black[0] == expected, (delta, black[0])
    assert trunc_div(-3, 2) == -1 and trunc_div(3, 2) == 1
    # The format's example: one 2 x 1 frame of pixels 5 and 6, shifts (3, -2)
    # and offsets (1, -1), written out byte by byte; -n passes the indices
    # of the (otherwise unused) colour table through.
    frame = Frame()
    frame.left, frame.top, frame.width, frame.height = 1, 0, 2, 1
    frame.pixels = [5, 6]
    options = parse_args(["-n", "-x=3", "-y=-2"])
    got = build_frm([(2, 2, [(0, 0, 0)] * 8, [frame])], options, palette)
    expected = bytes([0, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 3] + [0] * 10 +
                     [0xFF, 0xFE] + [0] * 10 + [0] * 24 + [0, 0, 0, 0x0E] +
                     [0, 2, 0, 1, 0, 0, 0, 2, 0, 1, 0xFF, 0xFF, 5, 6])
    assert len(expected) == 76 and got == expected
    # Rates: the most common delay, the shorter on a tie, halves up, at
    # least 1, images without a delay left out.
    for delays, rate in (([12, 7, 12], 8), ([4, 3, 4, 3], 33), ([8], 13),
                         ([200], 1), ([250, None, 0], 1), ([None, 0], 0)):
        frames = []
        for delay in delays:
            frames.append(Frame())
            frames[-1].delay = delay
        assert frames_per_second(frames) == rate, (delays, rate)


def read_args(base):
    if not os.path.exists(base + ".args"):
        return []
    with open(base + ".args") as f:
        return f.read().split()


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else HERE
    palette = load_palette()
    self_check(palette)
    names = sorted(n[:-4] for n in os.listdir(directory) if n.endswith(".gif"))
    direction_files = set()
    for name in names:
        options = parse_args(read_args(os.path.join(directory, name)))
        direction_files.update(options["direction_files"].values())
    for name in names:
        if name + ".gif" in direction_files:
            continue
        base = os.path.join(directory, name)
        options = parse_args(read_args(base))
        files = [name + ".gif"]
        if options["direction_files"]:
            assert sorted(options["direction_files"]) == [1, 2, 3, 4, 5]
            files += [options["direction_files"][k] for k in range(1, 6)]
        gifs = []
        for file in files:
            with open(os.path.join(directory, file), "rb") as f:
                gifs.append(read_gif(f.read()))
        frm = build_frm(gifs, options, palette)
        with open(base + ".frm", "wb") as f:
            f.write(frm)
        print("%s.frm: %d bytes" % (name, len(frm)))


if __name__ == "__main__":
    main()
