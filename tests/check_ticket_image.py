#!/usr/bin/env python3
"""Decodes a pasted ticket with Pillow and checks its size and layout colours."""
import sys
from PIL import Image

image = Image.open(sys.argv[1])
image.load()
image = image.convert("RGB")
failures = []
if image.size != (384, 173):
    sys.exit(f"ticket is {image.size}, not 384 x 173")
px = image.load()


def expect(point, rgb, what):
    if px[point] != rgb:
        failures.append(f"{what} at {point}: {px[point]} instead of {rgb}")


LIGHT_BLUE, TEAL, STEEL = (200, 227, 255), (172, 219, 214), (32, 102, 159)
expect((6, 100), LIGHT_BLUE, "background check, 0 bit")
expect((9, 25), TEAL, "first label cell")
expect((372, 85), TEAL, "header band")
expect((7, 100), STEEL, "inner frame, left")
expect((200, 139), STEEL, "inner frame, bottom")
expect((63, 30), STEEL, "line right of the first label column")
seal = sum(1 for x in range(300, 379) for y in range(3, 82) if px[x, y] == (200, 0, 20))
if seal < 100:
    failures.append(f"only {seal} seal-red pixels in the stamp corner")
red = sum(1 for x in range(215, 300) for y in range(29, 45) if px[x, y] == (255, 0, 0))
if red < 10:
    failures.append("no red nickname in row 1")
navy = sum(1 for x in range(230, 383) for y in range(145, 165) if px[x, y] == (0, 0, 128))
if navy < 10:
    failures.append("no navy departure line")
for failure in failures:
    print("FAIL:", failure)
if failures:
    sys.exit(1)
print(f"ticket 384 x 173 decoded: layout colours in place, {seal} seal-red pixels")
