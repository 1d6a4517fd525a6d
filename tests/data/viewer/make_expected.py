#!/usr/bin/env python3
"""Writes the sprites of this folder and what `frm2gif -i` must print for
each, worked out apart from the program: its own FRM writer and reader
(struct, big-endian), its own placement of the frames (found by search,
where the program computes it) and its own gif2frm command. Standard
library only.

  six_directions.frm   six directions of three frames each, made here
  odd_widths.frm       one direction of frames of odd and even sizes
  NAME.info            the -i output for NAME.frm, for every NAME.frm here
                       and for ../golden/animated.frm (as animated.info)

Usage: python3 make_expected.py
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "golden")


def six_directions():
    """Direction d, frame k: (1 + d + k) wide, (3 - k) high, pixels counting
    up from 16 * d + 4 * k, offsets that move right, left, up and down by
    turns; frame 1 of direction 4 is empty (0 x 2)."""
    records = []
    offsets = []
    area = 0
    for d in range(6):
        offsets.append(area)
        for k in range(3):
            width = 0 if (d, k) == (4, 1) else 1 + d + k
            height = 3 - k
            pixels = bytes((16 * d + 4 * k + i) % 256
                           for i in range(width * height))
            offset_x = (-1) ** k * (d + 1)
            offset_y = k - 1 if d % 2 else 1 - k
            record = struct.pack(">HHIhh", width, height, width * height,
                                 offset_x, offset_y) + pixels
            records.append(record)
            area += len(record)
    shift_x = [d * 10 - 20 for d in range(6)]
    shift_y = [-d for d in range(6)]
    header = struct.pack(">IHHH6h6h6II", 4, 12, 2, 3, *shift_x, *shift_y,
                         *offsets, area)
    assert len(header) == 62
    return header + b"".join(records)


def read_frm(data):
    (version, fps, action, per_direction, *rest) = struct.unpack(
        ">IHHH6h6h6II", data[:62])
    shift_x, shift_y, offsets, area = rest[0:6], rest[6:12], rest[12:18], rest[18]
    directions = 6 if any(offsets[1:]) else 1
    frames = []
    pos = 62
    for _ in range(directions * per_direction):
        width, height, count, offset_x, offset_y = struct.unpack(
            ">HHIhh", data[pos:pos + 12])
        assert count == width * height
        frames.append((width, height, offset_x, offset_y))
        pos += 12 + count
    assert pos == len(data) == 62 + area
    return (version, fps, action, per_direction, shift_x, shift_y, offsets,
            area, directions, frames)


def trunc_half(value):
    """value / 2 rounded toward zero, as C++ divides."""
    return -((-value) // 2) if value < 0 else value // 2


MAX_SIDE = 65535


def fits_across(points, width, anchor):
    """Whether a picture `width` wide, measured from `anchor`, shows every
    frame whole where gif2frm's rule gives its point back: left = x +
    (W - w) / 2, halved toward zero."""
    for x, _, w, _ in points:
        if w > width:
            return False
        left = x - anchor + trunc_half(width - w)
        if left < 0 or left + w > width:
            return False
    return True


def narrowest(points, anchor):
    width = 1
    while not fits_across(points, width, anchor):
        width += 1
    return width


def lay_out(points):
    """The picture of one direction, found by search: (width, height,
    anchor_x, anchor_y, corners). Around the point the offsets start from
    when every frame fits there and the picture fits a GIF; otherwise
    measured from the anchor that gives the smallest picture (the nearest
    to 0 of the narrowest ones, the lower on a tie), and in height from the
    lowest frame's point."""
    anchor_x = 0
    width = narrowest(points, 0)
    if width > MAX_SIDE:
        reach = max(abs(x) for x, _, _, _ in points) + 1
        options = sorted(range(-reach, reach + 1), key=lambda a: (abs(a), a))
        width, anchor_x = min((narrowest(points, a), i, a)
                              for i, a in enumerate(options))[0::2]
    lowest = max(y for _, y, _, _ in points)
    anchor_y = 0
    if lowest > 0:
        anchor_y = lowest
    height = 1
    while any(y - anchor_y + height - h < 0 for _, y, _, h in points):
        height += 1
    if height > MAX_SIDE and anchor_y == 0:
        anchor_y = lowest
        height = max(h - (y - anchor_y) for _, y, _, h in points)
    corners = [(x - anchor_x + trunc_half(width - w), y - anchor_y + height - h)
               for x, y, w, h in points]
    return width, height, anchor_x, anchor_y, corners


def low16(value):
    value &= 0xFFFF
    return value - 0x10000 if value >= 0x8000 else value


def shift_option(name, shifts):
    if all(v == 0 for v in shifts):
        return []
    if all(v == shifts[0] for v in shifts):
        return ["%s=%d" % (name, shifts[0])]
    return ["%s=%s" % (name, ",".join(str(v) for v in shifts))]


def command(name, fps, action, per_direction, shift_x, shift_y, directions):
    """The gif2frm command for NAME.frm shown by `frm2gif NAME.frm` in its
    own directory."""
    words = ["gif2frm", "-n", "-f=%d" % fps]
    if 0 < action < per_direction:
        words.append("-a=%d" % action)
    words += shift_option("-x", list(shift_x[:directions]))
    words += shift_option("-y", list(shift_y[:directions]))
    if directions == 1:
        words.append(name + ".gif")
    else:
        words += ["-%d=%s_%d.gif" % (d, name, d) for d in range(1, 6)]
        words += ["-o=%s.frm" % name, name + "_0.gif"]
    return " ".join(words)


def info(data, name):
    (version, fps, action, per_direction, shift_x, shift_y, offsets, area,
     directions, frames) = read_frm(data)
    lines = ["%-19s %d" % ("version", version),
             "%-19s %d" % ("framesPerSecond", fps),
             "%-19s %d" % ("actionFrame", action),
             "%-19s %d" % ("framesPerDirection", per_direction),
             "%-19s %s" % ("shiftX", " ".join(str(v) for v in shift_x)),
             "%-19s %s" % ("shiftY", " ".join(str(v) for v in shift_y)),
             "%-19s %s" % ("dataOffset", " ".join(str(v) for v in offsets)),
             "%-19s %d" % ("frameAreaSize", area),
             "%-19s %d" % ("directions", directions)]
    rows = []
    notes = []
    for d in range(directions):
        # Each frame's point is the sum of the offsets so far; a frame
        # without pixels is shown as one pixel.
        x = y = 0
        points = []
        mine = frames[d * per_direction:(d + 1) * per_direction]
        for width, height, offset_x, offset_y in mine:
            x += offset_x
            y += offset_y
            empty = width == 0 or height == 0
            points.append((x, y, 1 if empty else width, 1 if empty else height))
        width, height, anchor_x, anchor_y, corners = lay_out(points)
        lines.append("direction %d: %d x %d pixels" % (d, width, height))
        for k, (w, h, offset_x, offset_y) in enumerate(mine):
            rows.append("%9d %5d %5d %6d %7d %7d %6d %6d"
                        % (d, k, w, h, offset_x, offset_y,
                           corners[k][0], corners[k][1]))
        if anchor_x or anchor_y:
            first_x, first_y = mine[0][2], mine[0][3]
            ys = [p[1] for p in points]
            lowest = ys.index(max(ys))
            assert max(ys) > 0, "only frames below the point are made here"
            notes.append(
                "Not exact: in direction %d, the bottom of frame %d lies %d "
                "pixel%s below the point the offsets start from, where "
                "gif2frm puts the picture's bottom edge; frame 0 comes back "
                "with offsets %d, %d instead of %d, %d"
                % (d, lowest, max(ys), "" if max(ys) == 1 else "s",
                   low16(first_x - anchor_x), low16(first_y - anchor_y),
                   first_x, first_y))
    empty = [i for i, f in enumerate(frames) if f[0] * f[1] == 0]
    if len(empty) == 1:
        notes.append("Not exact: frame %d of direction %d has no pixels; it "
                     "comes back as one transparent pixel (1 x 1)"
                     % (empty[0] % per_direction, empty[0] // per_direction))
    elif empty:
        notes.append("Not exact: %d frames have no pixels (the first is "
                     "frame %d of direction %d); each comes back as one "
                     "transparent pixel (1 x 1)"
                     % (len(empty), empty[0] % per_direction,
                        empty[0] // per_direction))
    if action >= per_direction:
        notes.append("Not exact: the action frame %d is not one of the %d "
                     "frames of a direction; it comes back as 0"
                     % (action, per_direction))
    if directions == 1 and any(shift_x[1:] + shift_y[1:]):
        notes.append("Not exact: the shifts of directions 1 to 5 come back "
                     "as 0, since a sprite of one direction keeps only those "
                     "of direction 0")
    lines.append("direction frame width height offsetX offsetY   left    top")
    lines += rows + notes
    lines.append("Back to the identical FRM file:" if not notes else
                 "Back to an FRM file that differs as said above:")
    lines.append(command(name, fps, action, per_direction, shift_x, shift_y,
                         directions))
    return "\n".join(lines) + "\n"


def self_check():
    # The format's 76-byte example: one 2 x 1 frame at offsets (1, -1), its
    # point one pixel right of and above the bottom centre of a picture of
    # 3 x 2, the frame in its top right corner.
    example = bytes([0, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 3] + [0] * 10 +
                    [0xFF, 0xFE] + [0] * 10 + [0] * 24 + [0, 0, 0, 0x0E] +
                    [0, 2, 0, 1, 0, 0, 0, 2, 0, 1, 0xFF, 0xFF, 5, 6])
    text = info(example, "example")
    assert "direction 0: 3 x 2 pixels\n" in text
    assert ("        0     0     2      1       1      -1      1      0\n"
            "Back to the identical FRM file:\n"
            "gif2frm -n -f=0 -x=3 -y=-2 example.gif\n") in text
    # A 3-wide frame at x = 0 and a 2-wide one at x = 2, one row higher:
    # the second needs 2 columns right of the centre and its own 2, so 5
    # columns; (5 - 3) / 2 = 1 and 2 + (5 - 2) / 2 = 3.
    width, height, _, _, corners = lay_out([(0, 0, 3, 1), (2, -1, 2, 1)])
    assert (width, height, corners) == (5, 2, [(1, 1), (3, 0)])
    assert trunc_half(-3) == -1 and trunc_half(3) == 1


def odd_widths():
    """One direction of frames of odd and even widths and heights, all on or
    above the point the offsets start from, so that the GIF gives the file
    back: 12 frames a second, action frame 1, shifts 3 and -2."""
    sizes = [(1, 2, 0, 0), (3, 5, 3, -2), (4, 1, -5, -1), (7, 3, 2, 0),
             (2, 2, -1, 3)]
    records = b"".join(
        struct.pack(">HHIhh", w, h, w * h, ox, oy) +
        bytes((7 * k + i) % 256 for i in range(w * h))
        for k, (w, h, ox, oy) in enumerate(sizes))
    header = struct.pack(">IHHH6h6h6II", 4, 12, 1, len(sizes), 3, *[0] * 5,
                         -2, *[0] * 5, *[0] * 6, len(records))
    return header + records


def main():
    self_check()
    with open(os.path.join(HERE, "six_directions.frm"), "wb") as f:
        f.write(six_directions())
    with open(os.path.join(HERE, "odd_widths.frm"), "wb") as f:
        f.write(odd_widths())
    sources = [(os.path.join(GOLDEN, "animated.frm"), "animated")]
    for name in sorted(os.listdir(HERE)):
        if name.endswith(".frm"):
            sources.append((os.path.join(HERE, name), name[:-4]))
    for path, name in sources:
        with open(path, "rb") as f:
            text = info(f.read(), name)
        with open(os.path.join(HERE, name + ".info"), "w", newline="\n") as f:
            f.write(text)
        print("%s.info: %d lines" % (name, text.count("\n")))


if __name__ == "__main__":
    main()
