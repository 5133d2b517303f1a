# pil_read.py PICTURE PIXELS: what PIL, a reader we did not write, sees. Prints "FORMAT MODE WIDTH
# HEIGHT PROGRESSIVE INDEX" (INDEX: top-left palette index or -1); writes R, G, B pixels to PIXELS.
import sys

from PIL import Image

image = Image.open(sys.argv[1])
progressive = int(bool(image.info.get("progressive") or image.info.get("progression")))
index = image.getpixel((0, 0)) if image.mode == "P" else -1
print(image.format, image.mode, image.size[0], image.size[1], progressive, index)
with open(sys.argv[2], "wb") as out:
    out.write(image.convert("RGB").tobytes())
