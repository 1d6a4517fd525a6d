#!/usr/bin/env python3
"""Writes the sprites of this folder and what `frm2gif -i` must print for
each, worked out apart from the program: its own FRM writer and reader
(struct, big-endian) and its own placement of the frames. Standard library
only.

  six_directions.frm   six directions of three frames each, made here
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


def info(data):
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
    for d in range(directions):
        # Each frame hangs from its reference point, the sum of the offsets
        # so far: width // 2 columns to its left, its bottom row above it.
        x = y = 0
        boxes = []
        for width, height, offset_x, offset_y in \
                frames[d * per_direction:(d + 1) * per_direction]:
            x += offset_x
            y += offset_y
            boxes.append((x - width // 2, y - height, width, height))
        left = min(b[0] for b in boxes)
        top = min(b[1] for b in boxes)
        right = max(b[0] + b[2] for b in boxes)
        bottom = max(b[1] + b[3] for b in boxes)
        lines.append("direction %d: %d x %d pixels"
                     % (d, max(1, right - left), max(1, bottom - top)))
        for k, (width, height, offset_x, offset_y) in enumerate(
                frames[d * per_direction:(d + 1) * per_direction]):
            rows.append("%9d %5d %5d %6d %7d %7d %6d %6d"
                        % (d, k, width, height, offset_x, offset_y,
                           boxes[k][0] - left, boxes[k][1] - top))
    lines.append("direction frame width height offsetX offsetY   left    top")
    return "\n".join(lines + rows) + "\n"


def self_check():
    # The format's 76-byte example: one 2 x 1 frame at offsets (1, -1)
    # fills a picture of 2 x 1 at its corner.
    example = bytes([0, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 3] + [0] * 10 +
                    [0xFF, 0xFE] + [0] * 10 + [0] * 24 + [0, 0, 0, 0x0E] +
                    [0, 2, 0, 1, 0, 0, 0, 2, 0, 1, 0xFF, 0xFF, 5, 6])
    text = info(example)
    assert "direction 0: 2 x 1 pixels\n" in text
    assert text.endswith("        0     0     2      1       1      -1"
                         "      0      0\n")


def main():
    self_check()
    with open(os.path.join(HERE, "six_directions.frm"), "wb") as f:
        f.write(six_directions())
    sources = [(os.path.join(GOLDEN, "animated.frm"), "animated")]
    for name in sorted(os.listdir(HERE)):
        if name.endswith(".frm"):
            sources.append((os.path.join(HERE, name), name[:-4]))
    for path, name in sources:
        with open(path, "rb") as f:
            text = info(f.read())
        with open(os.path.join(HERE, name + ".info"), "w", newline="\n") as f:
            f.write(text)
        print("%s.info: %d lines" % (name, text.count("\n")))


if __name__ == "__main__":
    main()
