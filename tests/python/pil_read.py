# pil_read.py PICTURE: writes PICTURE.pil, what PIL (a reader we did not write) sees: the line
# "FORMAT MODE WIDTH HEIGHT PROGRESSIVE INDEX" (INDEX: top-left palette index or -1), then R, G, B.
import sys

from PIL import Image

image = Image.open(sys.argv[1])
progressive = int(bool(image.info.get("progressive") or image.info.get("progression")))
index = image.getpixel((0, 0)) if image.mode == "P" else -1
facts = f"{image.format} {image.mode} {image.size[0]} {image.size[1]} {progressive} {index}\n"
with open(sys.argv[1] + ".pil", "wb") as out:
    out.write(facts.encode() + image.convert("RGB").tobytes())
