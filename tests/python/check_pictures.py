#!/usr/bin/python3
"""Reads pictures written by Tarn with PIL, a reader we did not write.

  check_pictures.py bmp  FILE MODE WIDTH HEIGHT RAW [FIRST_INDEX]
      A BMP that PIL opens in MODE ("P" or "RGB") with the given size and
      exactly the pixels of RAW (WIDTH x HEIGHT x 3 bytes, R G B, top row
      first). With FIRST_INDEX, the top-left pixel's palette index too.
  check_pictures.py jpeg FILE WIDTH HEIGHT PROGRESSIVE [RAW MAX_MEAN_ERROR]
      A JPEG of that size, progressive (1) or baseline (0); with RAW, the
      mean absolute difference per channel is at most MAX_MEAN_ERROR.

Exit 0 when all holds; 1 with the reasons on stderr; 2 when PIL is missing.
"""
import sys

try:
    from PIL import Image
except ImportError:
    sys.stderr.write("PIL is missing for %s: install python3-pil (make deps)\n" % sys.executable)
    sys.exit(2)


def read_raw(path, width, height):
    with open(path, "rb") as f:
        raw = f.read()
    if len(raw) != width * height * 3:
        raise SystemExit("raw file %s has %d bytes, expected %d" % (path, len(raw), width * height * 3))
    return raw


def first_difference(actual, expected, width):
    for i in range(0, min(len(actual), len(expected)), 3):
        if actual[i:i + 3] != expected[i:i + 3]:
            n = i // 3
            return "pixel (%d, %d) is %s, expected %s" % (
                n % width, n // width, tuple(actual[i:i + 3]), tuple(expected[i:i + 3]))
    return "lengths differ"


def check_bmp(path, mode, width, height, raw_path, first_index=None):
    problems = []
    im = Image.open(path)
    im.load()
    if im.format != "BMP":
        problems.append("format %s, expected BMP" % im.format)
    if im.mode != mode:
        problems.append("mode %s, expected %s" % (im.mode, mode))
    if im.size != (width, height):
        problems.append("size %s, expected %s" % (im.size, (width, height)))
    if first_index is not None and im.mode == "P" and im.getpixel((0, 0)) != first_index:
        problems.append("top-left index %d, expected %d" % (im.getpixel((0, 0)), first_index))
    if not problems:
        expected = read_raw(raw_path, width, height)
        actual = im.convert("RGB").tobytes()
        if actual != expected:
            problems.append(first_difference(actual, expected, width))
    return problems


def check_jpeg(path, width, height, progressive, raw_path=None, max_error=None):
    problems = []
    im = Image.open(path)
    im.load()
    if im.format != "JPEG":
        problems.append("format %s, expected JPEG" % im.format)
    if im.size != (width, height):
        problems.append("size %s, expected %s" % (im.size, (width, height)))
    is_progressive = bool(im.info.get("progressive") or im.info.get("progression"))
    if is_progressive != progressive:
        problems.append("progressive %s, expected %s" % (is_progressive, progressive))
    if raw_path is not None and not problems:
        expected = read_raw(raw_path, width, height)
        actual = im.convert("RGB").tobytes()
        mean = sum(abs(a - b) for a, b in zip(actual, expected)) / len(expected)
        if mean > max_error:
            problems.append("mean difference %.2f above %.2f" % (mean, max_error))
    return problems


def main(argv):
    kind, path = argv[1], argv[2]
    if kind == "bmp":
        first = int(argv[7]) if len(argv) > 7 else None
        problems = check_bmp(path, argv[3], int(argv[4]), int(argv[5]), argv[6], first)
    elif kind == "jpeg":
        raw = argv[6] if len(argv) > 6 else None
        limit = float(argv[7]) if len(argv) > 7 else None
        problems = check_jpeg(path, int(argv[3]), int(argv[4]), argv[5] == "1", raw, limit)
    else:
        problems = ["unknown kind %s" % kind]
    for p in problems:
        sys.stderr.write("%s: %s\n" % (path, p))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
