#!/usr/bin/python3
"""Writes the seed inputs of the fuzzers into fuzz/corpus/<target>/.

Small hand-made files that reach each branch of the readers early: BMPs of every
bit depth and header form, run-length coded ones, cut-off ones, a few other
picture formats the loader accepts, and settings files in the shapes people
leave them in. Run again after changing it; the output is deterministic.
"""
import base64
import gzip
import io
import json
import os
import shutil
import struct
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def file_header(total, offset):
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset)


def info_header(w, h, bits, compression=0, image_size=0, colours=0, size=40):
    head = struct.pack("<IiiHHIIiiII", size, w, h, 1, bits, compression,
                       image_size, 2835, 2835, colours, 0)
    return head + b"\0" * (size - 40)


def bmp(w, h, bits, rows, palette=b"", compression=0, header_size=40,
        masks=b"", colours=0):
    """rows: raw row bytes, bottom row first, padding included."""
    pixels = b"".join(rows)
    offset = 14 + header_size + len(masks) + len(palette)
    head = info_header(w, h, bits, compression, len(pixels), colours, header_size)
    if header_size > 40 and masks:
        # V4/V5 keep the masks inside the header.
        head = head[:40] + masks + head[40 + len(masks):]
        offset -= len(masks)
        masks = b""
    body = head + masks + palette + pixels
    return file_header(14 + len(body), offset) + body


def pad(row):
    return row + b"\0" * (-len(row) % 4)


def rgb_rows(w, h, seed=0):
    rows = []
    for y in range(h):
        row = b""
        for x in range(w):
            v = (x * 37 + y * 91 + seed) & 0xFF
            row += bytes([v, 255 - v, (v * 3) & 0xFF])
        rows.append(pad(row))
    return rows


def grey_palette(n):
    return b"".join(bytes([i * 255 // max(n - 1, 1)] * 3 + [0]) for i in range(n))


def bmp24(w, h, top_down=False, seed=0):
    return bmp(w, -h if top_down else h, 24, rgb_rows(w, h, seed))


def bmp_samples():
    s = {}
    s["rgb24_1x1.bmp"] = bmp24(1, 1)
    s["rgb24_3x2.bmp"] = bmp24(3, 2, seed=5)
    s["rgb24_4x3_topdown.bmp"] = bmp24(4, 3, top_down=True, seed=9)
    # Key colour in the corner and again inside, as parts are drawn.
    key = bytes([255, 0, 255])
    rows = [pad(key + b"\x10\x20\x30" + key), pad(b"\x01\x02\x03" + key + b"\x04\x05\x06")]
    s["rgb24_keyed.bmp"] = bmp(3, 2, 24, rows)
    s["pal1_9x2.bmp"] = bmp(9, 2, 1, [pad(b"\xA5\x80"), pad(b"\x5A\x00")], grey_palette(2))
    s["pal4_5x2.bmp"] = bmp(5, 2, 4, [pad(b"\x01\x23\x40"), pad(b"\xFE\xDC\xB0")], grey_palette(16))
    s["pal8_3x3.bmp"] = bmp(3, 3, 8, [pad(bytes([0, 1, 2])), pad(bytes([3, 4, 5])),
                                      pad(bytes([6, 7, 255]))], grey_palette(256))
    s["pal8_few_colours.bmp"] = bmp(2, 2, 8, [pad(b"\x00\x01"), pad(b"\x02\x00")],
                                    grey_palette(3), colours=3)
    # RLE8: a run, an absolute run, end of line, a delta, end of bitmap.
    rle8 = b"\x03\x01" + b"\x00\x03\x02\x03\x04\x00" + b"\x00\x00" + \
           b"\x00\x02\x01\x00" + b"\x02\x05" + b"\x00\x01"
    s["rle8_6x3.bmp"] = bmp(6, 3, 8, [rle8], grey_palette(256), compression=1)
    rle4 = b"\x04\x12" + b"\x00\x04\x34\x56" + b"\x00\x00" + b"\x05\x78" + b"\x00\x01"
    s["rle4_5x2.bmp"] = bmp(5, 2, 4, [rle4], grey_palette(16), compression=2)
    s["rgb16_555_3x2.bmp"] = bmp(3, 2, 16, [pad(struct.pack("<3H", 0x7C00, 0x03E0, 0x001F)),
                                            pad(struct.pack("<3H", 0x7FFF, 0, 0x1234))])
    masks565 = struct.pack("<3I", 0xF800, 0x07E0, 0x001F)
    s["bitfields16_565_2x2.bmp"] = bmp(2, 2, 16, [pad(struct.pack("<2H", 0xF800, 0x07E0)),
                                                  pad(struct.pack("<2H", 0x001F, 0xFFFF))],
                                       compression=3, masks=masks565)
    s["rgb32_2x2.bmp"] = bmp(2, 2, 32, [b"\x01\x02\x03\x00\x04\x05\x06\x00",
                                        b"\x07\x08\x09\x00\xFF\xFF\xFF\x00"])
    masks32 = struct.pack("<4I", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    for size, name in ((108, "v4"), (124, "v5")):
        s["argb32_%s_2x1.bmp" % name] = bmp(2, 1, 32, [b"\x10\x20\x30\x80\x40\x50\x60\xFF"],
                                            compression=3, header_size=size, masks=masks32)
    # OS/2 form: 12-byte header with 16-bit sizes.
    core = struct.pack("<IHHHH", 12, 2, 2, 1, 24)
    pixels = b"".join(rgb_rows(2, 2, 3))
    s["os2_core_2x2.bmp"] = file_header(26 + len(pixels), 26) + core + pixels
    whole = bmp24(5, 4, seed=11)
    s["cut_in_pixels.bmp"] = whole[:len(whole) - 20]
    s["cut_in_header.bmp"] = whole[:30]
    # Sizes that must be refused before anything is decoded.
    s["huge_declared.bmp"] = bmp(40000, 2, 24, rgb_rows(1, 1))
    s["rle8_huge_declared.bmp"] = bmp(8193, 8193, 8, [b"\x00\x01"], grey_palette(256),
                                      compression=1)
    return s


def pil_bytes(fmt, mode, size, **options):
    image = Image.new(mode, size)
    for i in range(size[0] * size[1]):
        image.putpixel((i % size[0], i // size[0]), (i * 40) % 256 if mode in ("L", "P")
                       else ((i * 40) % 256, (i * 90) % 256, (i * 150) % 256))
    out = io.BytesIO()
    image.save(out, fmt, **options)
    return out.getvalue()


def other_samples():
    return {
        "tiny.png": pil_bytes("PNG", "RGB", (3, 2)),
        "tiny.gif": pil_bytes("GIF", "P", (3, 2)),
        "tiny.jpg": pil_bytes("JPEG", "RGB", (8, 8), quality=50),
        "tiny.ppm": b"P6\n2 1\n255\n\x00\x10\x20\x30\x40\x50",
        "tiny.pgm": b"P2\n2 2\n15\n0 5\n10 15\n",
        "tiny.xpm": b'/* XPM */\nstatic char *x[] = {\n"2 2 2 1",\n"a c #FF00FF",\n'
                    b'"b c #000000",\n"ab",\n"ba"};\n',
    }


def exchange_samples():
    s = {name: data for name, data in bmp_samples().items()
         if name.startswith(("rgb24", "cut_", "huge", "rgb32", "pal8_3"))}
    s["rgb24_pixel_offset_gap.bmp"] = (lambda d: d[:10] + struct.pack("<I", 60) + d[14:54] +
                                       b"\0" * 6 + d[54:])(bmp24(2, 2))
    fixed = bytearray(bmp24(2, 2))
    struct.pack_into("<I", fixed, 2, len(fixed) - 1)
    s["file_size_short.bmp"] = bytes(fixed)
    neg = bytearray(bmp24(2, 2))
    struct.pack_into("<i", neg, 22, -2**31)
    s["height_int_min.bmp"] = bytes(neg)
    return s


INI_SAMPLES = {
    "program.ini": b"[MemData]\nMofFirst=/home/user/parts\nMof1=/home/user/parts/floor\n"
                   b"Mof2=/home/user/parts/walls\n\n[MemWData]\nMofSLoc=/home/user/scenario\n",
    "crlf.ini": b"[MemData]\r\nMofFirst=C:/parts\r\nMof3=C:/parts/walls\r\n",
    "bom_comments.ini": b"\xEF\xBB\xBF; settings\n# more\n[MemData]\n; MofFirst=old\n"
                        b"  mof1 = \"  quoted \"  \n\t[ MEMDATA ]\nMof1=second\n",
    "no_final_newline.ini": b"[MemWData]\nMofSLoc=/tmp/a b",
    "duplicates.ini": b"[MemData]\nx=1\n[Other]\nMof1=o\n[memdata]\nMof5=late\n[MemData]\nMof5=later\n",
    "odd_lines.ini": b"garbage line\n[unclosed\n=novalue\nMofFirst\n[MemData]junk\nMof2='x'\n"
                     b"Mof4=a\x00b\n[a b]\nc d = v \n",
    "cr_only.ini": b"[MemData]\rMofFirst=x\rMof1=y\r",
    "empty.ini": b"",
    "japanese.ini": "[MemData]\nMofFirst=/home/利用者/部品\n".encode("utf-8"),
}


HALL = ("+-+-+-+-+-+\n|. . . . .|\n+-+ +-+D+-+\n|#|.|#|.|#|\n"
        "+-+ +-+-+-+\n|^ . .D. .|\n+-+-+-+-+-+\n")
KEEP_TILES = [0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 1 | 0x80000000]


def tiled_keep(data, **layer):
    """A 4 x 3 Tiled map: rock, a door tile, the start as a point object."""
    tileset = {"firstgid": 1, "tiles": [{"id": 1, "properties": [
        {"name": "door", "type": "bool", "value": True}]}]}
    start = {"name": "start", "x": 10, "y": 70, "point": True,
             "properties": [{"name": "facing", "type": "string", "value": "e"}]}
    tiles = dict({"type": "tilelayer", "width": 4, "height": 3, "data": data}, **layer)
    return {"orientation": "orthogonal", "tilewidth": 32, "tileheight": 32,
            "tilesets": [tileset],
            "layers": [{"type": "group", "layers": [tiles]},
                       {"type": "objectgroup", "objects": [start]}]}


def map_samples():
    raw = b"".join(struct.pack("<I", t) for t in KEEP_TILES)
    packed = {"": raw, "zlib": zlib.compress(raw, 9), "gzip": gzip.compress(raw, 9, mtime=0)}
    samples = {
        "hall.txt": HALL.encode(),
        "crlf_unicode.txt": "┼-┼-┼\r\n|<D.|\r\n┼ ┼-┼\r\n|.|#|\r\n┼-┼-┼".encode("utf-8"),
        "keep.tmj": json.dumps(tiled_keep(KEEP_TILES)).encode(),
        "keep_external.tmj": json.dumps(dict(tiled_keep(KEEP_TILES), tilesets=[
            {"firstgid": 1, "source": "doors.tsj"}])).encode(),
    }
    for name, data in packed.items():
        layer = {"encoding": "base64", "compression": name} if name else {"encoding": "base64"}
        samples["keep_base64%s.tmj" % ("_" + name if name else "")] = json.dumps(
            tiled_keep(base64.b64encode(data).decode(), **layer)).encode()
    return samples


def write(target, samples):
    folder = os.path.join(CORPUS, target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in sorted(samples.items()):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    pictures = bmp_samples()
    pictures.update(other_samples())
    write("picture", pictures)
    write("exchange", exchange_samples())
    write("ini", INI_SAMPLES)
    write("map", map_samples())


if __name__ == "__main__":
    main()
