#!/usr/bin/env python3
"""Draw the program icon (glossy pink-violet sphere with a white-outlined
capital A) and write it as assets/app.ico.

Usage: python3 assets/make_icon.py [output_dir]

Needs Pillow. Uses DejaVu Sans Bold for the letter when present and falls
back to a hand-built polygon A otherwise. Output is reproducible.
"""
import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
HI = 512                                  # working resolution
SIZES = (128, 64, 48, 32, 16)             # directory order

LIGHT = (255, 182, 222)                   # highlight pink (upper left)
MID = (222, 102, 200)                      # body pink-violet
DEEP = (104, 34, 150)                     # lower-right violet
RIM = (62, 16, 96)                        # outline, for contrast on any background
LETTER = (84, 22, 124)                    # letter fill: darker than the body


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def gradient_colour(t):
    """Three-stop ramp LIGHT -> MID -> DEEP for t in [0, 1]."""
    t = min(max(t, 0.0), 1.0)
    if t < 0.45:
        return lerp(LIGHT, MID, t / 0.45)
    return lerp(MID, DEEP, (t - 0.45) / 0.55)


def params(size):
    """Proportions tuned per target size: small icons need a thicker rim, a
    bigger letter and a fatter white outline to stay legible."""
    if size <= 16:
        return dict(margin=0.02, rim=0.06, letter=0.66, outline=0.07, gloss=0.55)
    if size <= 32:
        return dict(margin=0.03, rim=0.05, letter=0.68, outline=0.05, gloss=0.75)
    return dict(margin=0.04, rim=0.03, letter=0.62, outline=0.032, gloss=1.0)


def sphere_layer(p):
    """RGBA sphere with radial shading, rim and glossy highlight at HI px."""
    r_out = HI * (0.5 - p["margin"])
    c = HI / 2.0
    # Shading centre sits upper left so the light appears to come from there.
    hx, hy = c - 0.38 * r_out, c - 0.42 * r_out
    span = r_out * 1.55
    body = Image.new("RGB", (HI, HI))
    px = body.load()
    for y in range(HI):
        for x in range(HI):
            d = math.hypot(x + 0.5 - hx, y + 0.5 - hy) / span
            px[x, y] = tuple(int(round(v)) for v in gradient_colour(d))

    # Disc mask, with a darker ring laid over the edge.
    disc = Image.new("L", (HI, HI), 0)
    ImageDraw.Draw(disc).ellipse((c - r_out, c - r_out, c + r_out, c + r_out),
                                 fill=255)
    r_in = r_out - HI * p["rim"]
    ring = Image.new("L", (HI, HI), 0)
    rd = ImageDraw.Draw(ring)
    rd.ellipse((c - r_out, c - r_out, c + r_out, c + r_out), fill=255)
    rd.ellipse((c - r_in, c - r_in, c + r_in, c + r_in), fill=0)
    # Soften the inner edge of the ring so it reads as a shadowed edge.
    ring = ring.filter(ImageFilter.GaussianBlur(HI * p["rim"] * 0.5))
    ring = ImageChops.multiply(ring, disc)
    body = Image.composite(Image.new("RGB", (HI, HI), RIM), body, ring)

    # Gloss: a white ellipse near the top, fading downward.
    gw, gh = r_out * 1.25, r_out * 0.62
    gx0, gy0 = c - gw / 2, c - r_out * 0.9
    gloss = Image.new("L", (HI, HI), 0)
    gp = gloss.load()
    top, bottom = int(gy0), int(gy0 + gh) + 1
    for y in range(max(top, 0), min(bottom, HI)):
        fade = 1.0 - (y + 0.5 - gy0) / gh
        val = int(round(255 * p["gloss"] * max(fade, 0.0) ** 1.3))
        for x in range(HI):
            gp[x, y] = val
    shape = Image.new("L", (HI, HI), 0)
    ImageDraw.Draw(shape).ellipse((gx0, gy0, gx0 + gw, gy0 + gh), fill=255)
    shape = shape.filter(ImageFilter.GaussianBlur(HI * 0.01))
    gloss = ImageChops.multiply(gloss, shape)
    body = Image.composite(Image.new("RGB", (HI, HI), (255, 255, 255)), body,
                           gloss)

    out = body.convert("RGBA")
    out.putalpha(disc)
    return out


def letter_mask(p):
    """Mask of the capital A, centred on the sphere, and its white outline."""
    target_h = HI * p["letter"] * 0.78     # cap height
    stroke = max(1, int(round(HI * p["outline"])))
    if os.path.exists(FONT_PATH):
        # Size the font so the cap height matches target_h.
        probe = ImageFont.truetype(FONT_PATH, 400)
        b = probe.getbbox("A")
        font = ImageFont.truetype(FONT_PATH,
                                  int(round(400 * target_h / (b[3] - b[1]))))
        fill = Image.new("L", (HI, HI), 0)
        ImageDraw.Draw(fill).text((0, 0), "A", font=font, fill=255)
        edge = Image.new("L", (HI, HI), 0)
        ImageDraw.Draw(edge).text((0, 0), "A", font=font, fill=255,
                                  stroke_width=stroke, stroke_fill=255)
    else:
        fill = polygon_a(target_h, 0)
        edge = polygon_a(target_h, stroke)
    # Centre on the outline's ink box (slightly below middle looks balanced
    # under the gloss).
    box = edge.getbbox()
    dx = int(round(HI / 2.0 - (box[0] + box[2]) / 2.0))
    dy = int(round(HI / 2.0 + HI * 0.02 - (box[1] + box[3]) / 2.0))
    return ImageChops.offset(fill, dx, dy), ImageChops.offset(edge, dx, dy)


def polygon_a(h, grow):
    """Fallback bold A drawn from polygons, grown by `grow` px for outlines."""
    img = Image.new("L", (HI, HI), 0)
    d = ImageDraw.Draw(img)
    w = h * 0.95
    x0, y0 = (HI - w) / 2, (HI - h) / 2
    leg = h * 0.26
    outer = [(x0 + w / 2 - leg / 2, y0), (x0 + w / 2 + leg / 2, y0),
             (x0 + w, y0 + h), (x0 + w - leg, y0 + h),
             (x0 + w / 2, y0 + h * 0.28), (x0 + leg, y0 + h), (x0, y0 + h)]
    d.polygon(outer, fill=255)
    d.rectangle((x0 + w * 0.28, y0 + h * 0.58, x0 + w * 0.72, y0 + h * 0.76),
                fill=255)
    if grow:
        img = img.filter(ImageFilter.MaxFilter(2 * grow + 1))
    return img


def render(size):
    p = params(size)
    art = sphere_layer(p)
    fill, edge = letter_mask(p)
    rgb = art.convert("RGB")
    rgb = Image.composite(Image.new("RGB", (HI, HI), (255, 255, 255)), rgb, edge)
    rgb = Image.composite(Image.new("RGB", (HI, HI), LETTER), rgb, fill)
    alpha = ImageChops.lighter(art.getchannel("A"), edge)
    out = rgb.convert("RGBA")
    out.putalpha(alpha)
    # Downsample in premultiplied form so transparent pixels don't bleed
    # their (meaningless) colour into the edge.
    small = out.convert("RGBa").resize((size, size), Image.LANCZOS)
    return small.convert("RGBA")


def dib_entry(img):
    """32-bpp BGRA DIB with doubled height and a 1-bpp AND mask."""
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
    mask_row = ((w + 31) // 32) * 4
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_row)
        for x in range(w):
            if px[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        andm += row
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(andm)


def ico_bytes(images):
    entries = [dib_entry(im) for im in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for im, data in zip(images, entries):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    return bytes(out)


def write_preview(images, path):
    """All sizes at 1:1, then each enlarged to 128 px, on mid grey."""
    pad = 12
    width = pad + sum(im.width + pad for im in images)
    width = max(width, pad + len(images) * (128 + pad))
    height = pad + 128 + pad + 128 + pad
    sheet = Image.new("RGBA", (width, height), (150, 150, 150, 255))
    x = pad
    for im in images:
        sheet.alpha_composite(im, (x, pad + 128 - im.height))
        x += im.width + pad
    x = pad
    for im in images:
        big = im.resize((128, 128), Image.NEAREST)
        sheet.alpha_composite(big, (x, pad + 128 + pad))
        x += 128 + pad
    sheet.convert("RGB").save(path, optimize=False)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.abspath(__file__))
    images = [render(s) for s in SIZES]
    with open(os.path.join(out_dir, "app.ico"), "wb") as f:
        f.write(ico_bytes(images))
    write_preview(images, os.path.join(out_dir, "icon-preview.png"))


if __name__ == "__main__":
    main()
