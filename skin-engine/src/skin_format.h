// Binary skin block: the reader shared by the engine and its tests.
//
// Layout (little endian):
//   0  ".SHE"
//   4  u16 version (1)
//   6  u16 number of sections
//   8  u32 total length of the block
//  12  u32 FNV-1a over bytes [0,12) and [16,total)
//  16  sections, back to back, exactly filling the block:
//        char tag[4]; u32 payload length; payload
//      "NAME" skin name, 1..63 bytes
//      "PALT" u16 n (>= ColorCount), n * {r,g,b,0}
//      "METR" u16 n (>= MetricCount), n bytes
//      "TILE" u16 w, u16 h, w*h intensity bytes (caption texture, 128 = neutral); optional
//      any other tag (e.g. "NOTE") is skipped
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace she {

enum Color {
  CapActiveTop, CapActiveBottom, CapInactiveTop, CapInactiveBottom,
  CapTextActive, CapTextInactive, FrameActive, FrameInactive, FrameInner,
  Background, Text,
  ButtonTop, ButtonBottom, ButtonBorder, ButtonText,
  ButtonHotTop, ButtonHotBottom, ButtonDownTop, ButtonDownBottom,
  EditBorder, EditBackground, EditText,
  GroupFrame, GroupText,
  CapButtonFace, CapButtonGlyph, CloseFace, FocusColor, DisabledText,
  ColorCount
};

enum Metric {
  CaptionStyle,     // 0 vertical gradient, 1 horizontal gradient, 2 glass, 3 flat with accent line
  CapButtonRadius,  // corner radius of caption buttons
  ButtonRadius,     // corner radius of push buttons
  BorderStyle,      // 0 single line, 1 double line, 2 bevel
  TileStrength,     // 0..255, how strongly the tile modulates the caption
  CaptionAlign,     // 0 left, 1 centred
  CaptionShadow,    // 0/1 drop shadow under caption text
  CapButtonShape,   // 0 filled rounded box, 1 glyph only until hot, 2 round
  MetricCount
};

const uint32_t kVersion = 1;
const uint32_t kHeaderSize = 16;
const uint32_t kMaxTileSide = 4096;

struct Skin {
  char name[64];
  uint32_t color[ColorCount];  // COLORREF layout 0x00BBGGRR
  uint8_t metric[MetricCount];
  uint16_t tileW, tileH;       // 0 when the block has no tile
  const uint8_t* tile;         // points into the parsed block
};

uint32_t Checksum(const uint8_t* block, uint32_t total);

// True when [data, data+length) holds one complete, consistent block; fills *out.
// Reads nothing outside the range and leaves *out untouched on failure.
bool ParseSkin(const uint8_t* data, long long length, Skin* out);

}  // namespace she
