#!/usr/bin/env python3
"""Check the generated image assets byte by byte.

Usage: python3 assets/check_assets.py [assets_dir]

Standard library only, so it runs anywhere the build runs. Exits non-zero
with a message on the first failure.
"""
import os
import struct
import sys

SEAL = (200, 0, 20)
ICON_SIZES = (128, 64, 48, 32, 16)


class CheckError(Exception):
    pass


def need(cond, msg):
    if not cond:
        raise CheckError(msg)


def check_stamp(path):
    with open(path, "rb") as f:
        data = f.read()
    need(len(data) == 19256, "stamp.bmp: size %d, want 19256" % len(data))

    magic, bf_size, res1, res2, off = struct.unpack_from("<2sIHHI", data, 0)
    need(magic == b"BM", "stamp.bmp: bad magic %r" % magic)
    need(bf_size == 19256, "stamp.bmp: bfSize %d" % bf_size)
    need(res1 == 0 and res2 == 0, "stamp.bmp: reserved fields not zero")
    need(off == 54, "stamp.bmp: pixel offset %d, want 54" % off)

    (bi_size, w, h, planes, bpp, comp, img_size, xppm, yppm, clr_used,
     clr_imp) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    expect = dict(biSize=(bi_size, 40), width=(w, 80), height=(h, 80),
                  planes=(planes, 1), bitcount=(bpp, 24),
                  compression=(comp, 0), biSizeImage=(img_size, 19202),
                  xppm=(xppm, 2834), yppm=(yppm, 2834),
                  biClrUsed=(clr_used, 0), biClrImportant=(clr_imp, 0))
    for name, (got, want) in expect.items():
        need(got == want, "stamp.bmp: %s is %d, want %d" % (name, got, want))
    need(data[-2:] == b"\0\0", "stamp.bmp: trailing bytes not zero")

    # Top-down pixel grid; file rows are stored bottom-up in BGR order.
    px = [[None] * 80 for _ in range(80)]
    for fy in range(80):
        row = 54 + fy * 240
        y = 79 - fy
        for x in range(80):
            b, g, r = data[row + 3 * x:row + 3 * x + 3]
            px[y][x] = (r, g, b)

    white = (255, 255, 255)
    for i in range(80):
        need(px[0][i] == white, "stamp.bmp: row 0 not white at x=%d" % i)
        need(px[i][0] == white, "stamp.bmp: column 0 not white at y=%d" % i)
    for x, y in ((0, 0), (79, 0), (0, 79), (79, 79)):
        need(px[y][x] == white, "stamp.bmp: corner (%d,%d) not white" % (x, y))

    counts = dict(white=0, non_white=0, green_lt_40=0, exact_red=0, light=0)
    xs, ys = [], []
    for y in range(80):
        for x in range(80):
            r, g, b = px[y][x]
            if (r, g, b) == white:
                counts["white"] += 1
                continue
            counts["non_white"] += 1
            xs.append(x)
            ys.append(y)
            where = "stamp.bmp: pixel (%d,%d) %r" % (x, y, (r, g, b))
            need(200 <= r <= 255 and 0 <= g <= 254 and b <= g + 20,
                 where + " is not a mix of seal red and white")
            # One coverage value must explain all three channels; green has
            # the widest range, so derive it from green and check the rest.
            a = (255 - g) / 255.0
            need(abs(r - (255 - 55 * a)) <= 1.0 and
                 abs(b - (255 - 235 * a)) <= 1.0,
                 where + " channels disagree on coverage")
            if g < 0x40:
                counts["green_lt_40"] += 1
            if (r, g, b) == SEAL:
                counts["exact_red"] += 1
            if min(r, g, b) >= 0xF0:
                counts["light"] += 1

    need(counts["exact_red"] > 0, "stamp.bmp: seal red never appears")
    bbox = (min(xs), max(xs), min(ys), max(ys))
    for got, want, name in zip(bbox, (1, 78, 1, 79),
                               ("min x", "max x", "min y", "max y")):
        need(abs(got - want) <= 2,
             "stamp.bmp: %s of the seal is %d, want about %d" % (name, got, want))
    # The seal is the bulk of the ink: guard against a blank or flooded image.
    need(1000 <= counts["non_white"] <= 2000,
         "stamp.bmp: %d non-white pixels, want about 1428" % counts["non_white"])
    # Long axis must run upper-left to lower-right: ink near the top-left and
    # bottom-right corners, none near the other two.
    def ink_near(cx, cy):
        return sum(1 for y in range(max(cy - 10, 0), min(cy + 10, 80))
                   for x in range(max(cx - 10, 0), min(cx + 10, 80))
                   if px[y][x] != white)
    need(ink_near(79, 0) == 0 and ink_near(0, 79) == 0,
         "stamp.bmp: ink near the upper-right or lower-left corner")
    need(ink_near(20, 10) > 0 and ink_near(60, 70) > 0,
         "stamp.bmp: seal does not reach upper left and lower right")

    print("stamp.bmp ok: white=%(white)d non-white=%(non_white)d "
          "green<0x40=%(green_lt_40)d exact-red=%(exact_red)d "
          "light=%(light)d" % counts,
          "bbox x %d..%d y %d..%d" % bbox)


def check_icon(path):
    with open(path, "rb") as f:
        data = f.read()
    need(len(data) >= 6, "app.ico: truncated")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    need(reserved == 0 and kind == 1, "app.ico: not an icon directory")
    need(count == len(ICON_SIZES), "app.ico: %d entries, want 5" % count)

    expected_offset = 6 + 16 * count
    for i, size in enumerate(ICON_SIZES):
        (bw, bh, colours, res, planes, bits, nbytes,
         offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        tag = "app.ico entry %d (%dx%d)" % (i, size, size)
        need((bw or 256) == size and (bh or 256) == size,
             "%s: directory says %dx%d" % (tag, bw or 256, bh or 256))
        need(colours == 0 and res == 0 and planes == 1 and bits == 32,
             "%s: colours/reserved/planes/bits = %d/%d/%d/%d"
             % (tag, colours, res, planes, bits))
        # Images are packed back to back in directory order.
        need(offset == expected_offset,
             "%s: offset %d, want %d" % (tag, offset, expected_offset))
        mask_row = ((size + 31) // 32) * 4
        want_bytes = 40 + size * size * 4 + mask_row * size
        need(nbytes == want_bytes,
             "%s: %d bytes, want %d" % (tag, nbytes, want_bytes))
        need(offset + nbytes <= len(data), "%s: runs past end of file" % tag)
        expected_offset += nbytes

        (bi_size, w, h, bplanes, bpp, comp,
         img_size) = struct.unpack_from("<IiiHHII", data, offset)
        need(bi_size == 40 and w == size and h == 2 * size and bplanes == 1
             and bpp == 32 and comp == 0,
             "%s: bad BITMAPINFOHEADER %r" % (tag, (bi_size, w, h, bplanes,
                                                    bpp, comp)))

        xor = offset + 40
        andm = xor + size * size * 4

        def alpha(x, y):              # top-down coordinates
            return data[xor + ((size - 1 - y) * size + x) * 4 + 3]

        def and_bit(x, y):
            byte = data[andm + (size - 1 - y) * mask_row + x // 8]
            return (byte >> (7 - x % 8)) & 1

        last = size - 1
        for x, y in ((0, 0), (last, 0), (0, last), (last, last)):
            need(alpha(x, y) == 0, "%s: corner (%d,%d) not transparent"
                 % (tag, x, y))
        c = size // 2
        need(alpha(c, c) == 255, "%s: centre not opaque" % tag)
        alphas = [alpha(x, y) for y in range(size) for x in range(size)]
        opaque = sum(1 for a in alphas if a == 255)
        partial = sum(1 for a in alphas if 0 < a < 255)
        # A disc fills ~pi/4 of the square; edges must be anti-aliased.
        need(0.55 * size * size <= opaque + partial <= 0.9 * size * size,
             "%s: %d visible pixels is not a round icon" % (tag, opaque + partial))
        need(partial >= size // 2, "%s: no anti-aliased edge" % tag)
        for y in range(size):
            for x in range(size):
                need(and_bit(x, y) == (1 if alpha(x, y) == 0 else 0),
                     "%s: AND mask disagrees with alpha at (%d,%d)"
                     % (tag, x, y))
        # The white outline of the letter must survive at every size.
        whites = 0
        for y in range(size):
            for x in range(size):
                p = xor + ((size - 1 - y) * size + x) * 4
                b, g, r, a = data[p:p + 4]
                if a == 255 and min(r, g, b) >= 200:
                    whites += 1
        need(whites >= max(3, size * size // 100),
             "%s: letter outline barely visible (%d white pixels)" % (tag, whites))
    need(expected_offset == len(data),
         "app.ico: %d trailing bytes" % (len(data) - expected_offset))
    print("app.ico ok: %d images %s, %d bytes"
          % (count, "/".join(str(s) for s in ICON_SIZES), len(data)))


def main():
    base = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(
        os.path.abspath(__file__))
    try:
        check_stamp(os.path.join(base, "stamp.bmp"))
        check_icon(os.path.join(base, "app.ico"))
    except (CheckError, OSError, struct.error) as e:
        print("FAIL:", e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
