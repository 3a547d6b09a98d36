#!/usr/bin/env python3
"""Writes skin01.she .. skin33.she from skins.json (standard library only, deterministic).

Block layout (little endian), as read by skin-engine/src/skin_format.cpp:
  ".SHE", u16 version, u16 section count, u32 total length, u32 FNV-1a checksum
  over bytes [0,12) + [16,total), then sections {char tag[4]; u32 length; payload}:
  NAME, PALT (u16 n + n * r,g,b,0), METR (u16 n + n bytes), TILE (u16 w, u16 h,
  w*h caption texture bytes, 128 neutral) and NOTE (a text comment).
Every built-in skin has a fixed byte size; the caption texture tile and the comment
absorb the difference.
"""
import json
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Byte size of each built-in skin, skin01 first.
SIZES = [
    15574, 9533, 19786, 19497, 17699, 41098, 12564, 18930, 13192, 24409, 30738,
    8321, 26370, 15733, 12105, 23603, 20863, 16746, 11676, 17997, 12882, 37461,
    30958, 25715, 34523, 28961, 29447, 15562, 20738, 18765, 31134, 44110, 20275,
]

ROLES = [
    "cap_active_top", "cap_active_bottom", "cap_inactive_top", "cap_inactive_bottom",
    "cap_text_active", "cap_text_inactive", "frame_active", "frame_inactive", "frame_inner",
    "background", "text",
    "button_top", "button_bottom", "button_border", "button_text",
    "button_hot_top", "button_hot_bottom", "button_down_top", "button_down_bottom",
    "edit_border", "edit_background", "edit_text",
    "group_frame", "group_text",
    "cap_button_face", "cap_button_glyph", "close_face", "focus", "disabled_text",
]

CAPTION_STYLES = {"vertical": 0, "horizontal": 1, "glass": 2, "flat": 3}
BORDERS = {"single": 0, "double": 1, "bevel": 2}
BUTTON_SHAPES = {"box": 0, "glyph": 1, "round": 2}
TILE_HEIGHT = 32


def rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def lighter(c, t):
    return mix(c, (255, 255, 255), t)


def darker(c, t):
    return mix(c, (0, 0, 0), t)


def luma(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


def readable(fg, bg, need=85):
    """fg, or the nearest of black/white ramps that stands out enough from bg."""
    if abs(luma(fg) - luma(bg)) >= need:
        return fg
    for t in [i / 10 for i in range(1, 11)]:
        c = darker(fg, t) if luma(bg) >= 128 else lighter(fg, t)
        if abs(luma(c) - luma(bg)) >= need:
            return c
    return (0, 0, 0) if luma(bg) >= 128 else (255, 255, 255)


def palette(d):
    cap_top, cap_bottom = rgb(d["caption"][0]), rgb(d["caption"][1])
    bg, text = rgb(d["background"]), rgb(d["text"])
    btn_top, btn_bottom = rgb(d["button"][0]), rgb(d["button"][1])
    accent = rgb(d["accent"])
    edit_bg, edit_text = rgb(d["edit"][0]), rgb(d["edit"][1])
    cap_text = rgb(d["caption_text"])
    dark = luma(bg) < 110
    grey = lambda c: (int(luma(c)),) * 3
    # Inactive captions: washed out towards grey and the background.
    in_top = mix(mix(cap_top, grey(cap_top), 0.6), bg, 0.35)
    in_bottom = mix(mix(cap_bottom, grey(cap_bottom), 0.6), bg, 0.35)
    p = {
        "cap_active_top": cap_top,
        "cap_active_bottom": cap_bottom,
        "cap_inactive_top": in_top,
        "cap_inactive_bottom": in_bottom,
        "cap_text_active": cap_text,
        "cap_text_inactive": readable(mix(cap_text, in_bottom, 0.3), mix(in_top, in_bottom, 0.5)),
        "frame_active": darker(cap_bottom, 0.45),
        "frame_inactive": darker(in_bottom, 0.35),
        "frame_inner": lighter(bg, 0.3) if dark else darker(bg, 0.25),
        "background": bg,
        "text": text,
        "button_top": btn_top,
        "button_bottom": btn_bottom,
        "button_border": mix(accent, btn_bottom, 0.25),
        "button_text": rgb(d.get("button_text", d["text"])),
        "button_hot_top": lighter(btn_top, 0.35) if dark else mix(btn_top, accent, 0.08),
        "button_hot_bottom": lighter(btn_bottom, 0.25) if dark else mix(btn_bottom, accent, 0.18),
        "button_down_top": darker(btn_bottom, 0.12),
        "button_down_bottom": darker(btn_top, 0.06),
        "edit_border": mix(accent, bg, 0.2),
        "edit_background": edit_bg,
        "edit_text": edit_text,
        "group_frame": mix(accent, bg, 0.45),
        "group_text": rgb(d["group_text"]) if "group_text" in d else (
            lighter(accent, 0.3) if dark else darker(accent, 0.15)),
        "cap_button_face": lighter(cap_bottom, 0.18) if luma(cap_bottom) < 170 else darker(cap_bottom, 0.1),
        "cap_button_glyph": cap_text,
        "close_face": rgb(d.get("close", "#c42b1c")),
        "focus": accent,
        "disabled_text": mix(text, bg, 0.55),
    }
    for role, value in d.get("set", {}).items():
        if role not in p:
            raise SystemExit("unknown palette role %r in %s" % (role, d["name"]))
        p[role] = rgb(value)
    return [p[r] for r in ROLES]


def tile_value(kind, x, y, w, seed):
    """Caption texture, 0..255 with 128 neutral; it repeats every w columns."""
    if kind == "plain":
        return 128
    if kind == "brushed":
        # Horizontal hairlines of varying brightness, like brushed metal.
        h = (y * 2654435761 + seed * 40503) & 0xFFFFFFFF
        row = (h >> 13) % 97 - 48
        return 128 + row + int(10 * math.sin(2 * math.pi * x / w * 3 + y))
    if kind == "stripes":
        return 200 if (x + y) % 12 < 4 else 96
    if kind == "dots":
        return 230 if x % 6 == 2 and y % 6 == 2 else 118
    if kind == "waves":
        return 128 + int(90 * math.sin(2 * math.pi * (x / 48.0 + 2 * math.sin(2 * math.pi * y / 32.0) / 8)))
    if kind == "checks":
        return 170 if (x // 8 + y // 8) % 2 else 86
    if kind == "scan":
        return 170 if y % 3 == 0 else 110
    if kind == "grain":
        h = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
        h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
        return 64 + (h >> 8) % 128
    if kind == "weave":
        over = (x // 4 + y // 4) % 2
        return 180 - 50 * over if (x % 4 if over else y % 4) else 80
    if kind == "bubbles":
        cx, cy = (x % 24) - 12, (y % 16) - 8 + (x // 24 % 2) * 4
        r = math.hypot(cx, cy)
        return 220 if 5.0 <= r < 6.2 else 120
    raise SystemExit("unknown tile pattern %r" % kind)


def section(tag, payload):
    return tag.encode("ascii") + struct.pack("<I", len(payload)) + payload


def fnv(data, h=2166136261):
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return h


def build(index, d, size):
    name = d["name"].encode("ascii")
    colors = palette(d)
    pal = struct.pack("<H", len(colors)) + b"".join(bytes(c) + b"\0" for c in colors)
    radius = d.get("radius", [3, 3])
    metrics = [
        CAPTION_STYLES[d["caption_style"]], radius[0], radius[1], BORDERS[d["border"]],
        d.get("strength", 0), 1 if d.get("centered", False) else 0,
        1 if d.get("shadow", True) else 0, BUTTON_SHAPES[d["buttons"]],
    ]
    fixed = [section("NAME", name), section("PALT", pal),
             section("METR", struct.pack("<H", len(metrics)) + bytes(metrics))]
    note = ("skin%02d %s: %s caption, %s tile, %s border. " %
            (index, d["name"], d["caption_style"], d["tile"], d["border"])).encode("ascii")
    head = 16 + sum(len(s) for s in fixed)
    # Room left for TILE (8 + 4 + w*h) and NOTE (8 + comment).
    room = size - head - 12 - 8 - len(note)
    if room < TILE_HEIGHT:
        raise SystemExit("skin%02d: %d bytes is too small" % (index, size))
    w = room // TILE_HEIGHT
    note += b"." * (room - w * TILE_HEIGHT)
    pixels = bytes(max(0, min(255, tile_value(d["tile"], x, y, w, index)))
                   for y in range(TILE_HEIGHT) for x in range(w))
    sections = fixed + [section("TILE", struct.pack("<HH", w, TILE_HEIGHT) + pixels),
                        section("NOTE", note)]
    body = b"".join(sections)
    total = 16 + len(body)
    assert total == size, (index, total, size)
    head12 = b".SHE" + struct.pack("<HHI", 1, len(sections), total)
    return head12 + struct.pack("<I", fnv(body, fnv(head12))) + body


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else HERE
    with open(os.path.join(HERE, "skins.json"), encoding="utf-8") as f:
        skins = json.load(f)["skins"]
    if len(skins) != len(SIZES):
        raise SystemExit("skins.json has %d skins, expected %d" % (len(skins), len(SIZES)))
    for i, (d, size) in enumerate(zip(skins, SIZES), start=1):
        data = build(i, d, size)
        with open(os.path.join(out_dir, "skin%02d.she" % i), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
