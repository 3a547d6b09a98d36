#!/usr/bin/env python3
"""Draw the red "not for sale" seal and write it as assets/stamp.bmp.

Usage: python3 assets/make_stamp.py [output_dir]

Needs Pillow and the WenQuanYi Zen Hei font. Output is byte-for-byte
reproducible for a given font file.
"""
import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"

SIZE = 80            # final image is SIZE x SIZE
SS = 8               # supersampling factor for the coverage mask
SEAL_RGB = (200, 0, 20)

# Seal geometry in final-pixel units; pixel i spans [i, i+1). The centre is
# chosen so the tips land near (21,1), (78,58), (57,79) and (1,22) while
# row 0 and column 0 stay untouched.
CENTER = (40.0, 40.5)
OUTER_LEN, OUTER_WID = 81.0, 29.0
STROKE = 2.5         # reads as ~3 px once the anti-aliased fringe is counted
ANGLE_DEG = 45.0     # clockwise on screen: long axis runs upper-left to lower-right

TEXT = "\u975e\u5356\u54c1"   # 非卖品
GLYPH_PX = 21.0      # font size; the ink comes out about 20 px tall
GLYPH_STEP = 23.0    # advance between glyph centres along the long axis
TEXT_STROKE_SS = 0   # extra stroke in supersampled pixels; zenhei is heavy enough at this size


def rect_corners(cx, cy, length, width, angle_deg):
    """Corners of a rectangle centred at (cx, cy), long side rotated clockwise
    on screen (y grows downward) by angle_deg."""
    a = math.radians(angle_deg)
    ux, uy = math.cos(a), math.sin(a)      # along the long side
    vx, vy = -uy, ux                       # along the short side
    hl, hw = length / 2.0, width / 2.0
    pts = []
    for sl, sw in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
        pts.append((cx + sl * hl * ux + sw * hw * vx,
                    cy + sl * hl * uy + sw * hw * vy))
    return pts


def seal_mask():
    """Supersampled 8-bit coverage mask (255 = fully inside the seal)."""
    big = SIZE * SS
    mask = Image.new("L", (big, big), 0)
    draw = ImageDraw.Draw(mask)
    cx, cy = CENTER

    def scaled(pts):
        return [(x * SS, y * SS) for x, y in pts]

    outer = rect_corners(cx, cy, OUTER_LEN, OUTER_WID, ANGLE_DEG)
    inner = rect_corners(cx, cy, OUTER_LEN - 2 * STROKE,
                         OUTER_WID - 2 * STROKE, ANGLE_DEG)
    draw.polygon(scaled(outer), fill=255)
    draw.polygon(scaled(inner), fill=0)

    # Glyphs are laid out upright on their own layer, then turned with the
    # rectangle; rotating one layer keeps the characters on a common line.
    font = ImageFont.truetype(FONT_PATH, int(round(GLYPH_PX * SS)))
    text = Image.new("L", (big, big), 0)
    tdraw = ImageDraw.Draw(text)
    mid = big / 2.0
    n = len(TEXT)
    for i, ch in enumerate(TEXT):
        gx = mid + (i - (n - 1) / 2.0) * GLYPH_STEP * SS
        tdraw.text((gx, mid), ch, font=font, fill=255, anchor="mm",
                   stroke_width=TEXT_STROKE_SS, stroke_fill=255)
    # Font metrics put the ink off-centre; recentre the actual ink box so
    # the text sits in the middle of the frame.
    box = text.getbbox()
    ink = text.crop(box)
    text = Image.new("L", (big, big), 0)
    text.paste(ink, ((big - ink.width) // 2, (big - ink.height) // 2))
    # PIL rotates counter-clockwise for positive angles.
    text = text.rotate(-ANGLE_DEG, resample=Image.BICUBIC,
                       center=(mid, mid),
                       translate=(cx * SS - mid, cy * SS - mid))
    # Union of the outline and the text.
    return ImageChops.lighter(mask, text)


def coverage_grid(mask):
    """Average each SS x SS block into a coverage value in [0, 1]."""
    big = SIZE * SS
    data = mask.tobytes()
    cov = [[0.0] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            total = 0
            for sy in range(SS):
                row = (y * SS + sy) * big + x * SS
                total += sum(data[row:row + SS])
            cov[y][x] = total / (255.0 * SS * SS)
    return cov


def mix(a):
    """Seal red over white at coverage a; a == 0 gives exact white."""
    return tuple(int(round(255 - (255 - c) * a)) for c in SEAL_RGB)


def render_pixels():
    cov = coverage_grid(seal_mask())
    pixels = [[(255, 255, 255)] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            a = cov[y][x]
            if a <= 0.0:
                continue
            rgb = mix(a)
            if rgb == (255, 255, 255):
                # Too faint to show; drop it to exact white rather than leave
                # a "covered" pixel that happens to be white.
                continue
            pixels[y][x] = rgb
    return pixels


def bmp_bytes(pixels):
    width = height = SIZE
    row_bytes = width * 3                  # 240, already a multiple of 4
    pad_tail = 2                           # two trailing zero bytes
    image_size = row_bytes * height + pad_tail
    offset = 14 + 40
    file_size = offset + image_size
    ppm = 2834                             # 72 dpi
    header = struct.pack("<2sIHHI", b"BM", file_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0,
                       image_size, ppm, ppm, 0, 0)
    body = bytearray()
    for y in range(height - 1, -1, -1):    # bottom-up rows
        for r, g, b in pixels[y]:
            body += bytes((b, g, r))
    return header + info + bytes(body) + b"\0" * pad_tail


def write_preview(pixels, path, scale=8):
    img = Image.new("RGB", (SIZE, SIZE))
    img.putdata([p for row in pixels for p in row])
    img = img.resize((SIZE * scale, SIZE * scale), Image.NEAREST)
    img.save(path, optimize=False)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.abspath(__file__))
    pixels = render_pixels()
    data = bmp_bytes(pixels)
    assert len(data) == 19256, len(data)
    with open(os.path.join(out_dir, "stamp.bmp"), "wb") as f:
        f.write(data)
    write_preview(pixels, os.path.join(out_dir, "stamp-preview.png"))


if __name__ == "__main__":
    main()
