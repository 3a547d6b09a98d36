#!/usr/bin/env python3
"""Decodes a canvas picture with Pillow and compares it with the raw pixels the test recorded."""
import sys
from PIL import Image

bmp, raw = sys.argv[1], sys.argv[2]
image = Image.open(bmp)
image.load()
if image.format != "BMP" or image.size != (384, 173) or image.mode != "RGB":
    sys.exit(f"unexpected picture: {image.format} {image.size} {image.mode}")
expected = open(raw, "rb").read()
if image.tobytes() != expected:
    sys.exit("decoded pixels differ from the canvas")
print("decoded 384 x 173, pixels equal")
