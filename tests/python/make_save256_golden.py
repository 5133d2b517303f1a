#!/usr/bin/python3
"""Writes the committed 8-bit palette BMP that the save256 test compares with.

Built here straight from the file layout, independently of the C++ writer:
palette in order of first appearance scanning from the top row, entries 10
to 245 (system colours reserved), index rows bottom-up padded to 4 bytes.
Usage: make_save256_golden.py <output.bmp>
"""
import struct
import sys

RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)
WHITE, BLACK = (255, 255, 255), (0, 0, 0)

# 5 x 3, top row first; the test builds the same picture.
PICTURE = [
    [RED, RED, GREEN, BLUE, RED],
    [WHITE, BLACK, RED, (1, 2, 3), GREEN],
    [BLUE, BLUE, WHITE, BLACK, (250, 128, 7)],
]


def main(out_path):
    height, width = len(PICTURE), len(PICTURE[0])
    stride = (width + 3) // 4 * 4
    entries = {}
    for row in PICTURE:
        for colour in row:
            entries.setdefault(colour, 10 + len(entries))
    palette = bytearray(1024)
    for (r, g, b), entry in entries.items():
        palette[4 * entry:4 * entry + 4] = bytes((b, g, r, 0))
    rows = bytearray()
    for row in reversed(PICTURE):
        indices = bytes(entries[c] for c in row)
        rows += indices + bytes(stride - width)
    file_header = b"BM" + struct.pack("<IHHI", 1078 + len(rows), 0, 0, 1078)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, 0, 0, 0, 0, 0)
    with open(out_path, "wb") as f:
        f.write(file_header + info_header + bytes(palette) + bytes(rows))


if __name__ == "__main__":
    main(sys.argv[1])
