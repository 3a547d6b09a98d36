#include "skin_format.h"

namespace she {
namespace {

uint32_t U16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}
bool Tag(const uint8_t* p, const char* t) {
  return p[0] == t[0] && p[1] == t[1] && p[2] == t[2] && p[3] == t[3];
}
uint32_t Fnv(uint32_t h, const uint8_t* p, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  return h;
}

}  // namespace

uint32_t Checksum(const uint8_t* block, uint32_t total) {
  uint32_t h = Fnv(2166136261u, block, 12);
  return Fnv(h, block + kHeaderSize, total - kHeaderSize);
}

bool ParseSkin(const uint8_t* data, long long length, Skin* out) {
  if (!data || !out || length < (long long)kHeaderSize) return false;
  if (!Tag(data, ".SHE") || U16(data + 4) != kVersion) return false;
  const uint32_t sections = U16(data + 6);
  const uint32_t total = U32(data + 8);
  if (total < kHeaderSize || total > (unsigned long long)length) return false;
  if (Checksum(data, total) != U32(data + 12)) return false;

  Skin s;
  bool haveName = false, havePal = false, haveMetr = false, haveTile = false;
  s.tileW = s.tileH = 0;
  s.tile = 0;
  uint32_t pos = kHeaderSize;
  for (uint32_t i = 0; i < sections; ++i) {
    if (total - pos < 8) return false;
    const uint8_t* sec = data + pos;
    const uint32_t len = U32(sec + 4);
    if (len > total - pos - 8) return false;
    const uint8_t* p = sec + 8;
    if (Tag(sec, "NAME")) {
      if (haveName || len == 0 || len >= sizeof s.name) return false;
      for (uint32_t k = 0; k < len; ++k) {
        if (p[k] == 0) return false;
        s.name[k] = (char)p[k];
      }
      s.name[len] = 0;
      haveName = true;
    } else if (Tag(sec, "PALT")) {
      if (havePal || len < 2) return false;
      const uint32_t n = U16(p);
      if (n < ColorCount || len != 2 + 4 * n) return false;
      for (uint32_t k = 0; k < ColorCount; ++k)
        s.color[k] = p[2 + 4 * k] | (p[3 + 4 * k] << 8) | (p[4 + 4 * k] << 16);
      havePal = true;
    } else if (Tag(sec, "METR")) {
      if (haveMetr || len < 2) return false;
      const uint32_t n = U16(p);
      if (n < MetricCount || len != 2 + n) return false;
      for (uint32_t k = 0; k < MetricCount; ++k) s.metric[k] = p[2 + k];
      haveMetr = true;
    } else if (Tag(sec, "TILE")) {
      if (haveTile || len < 4) return false;
      const uint32_t w = U16(p), h = U16(p + 2);
      if (!w || !h || w > kMaxTileSide || h > kMaxTileSide || len != 4 + w * h) return false;
      s.tileW = (uint16_t)w;
      s.tileH = (uint16_t)h;
      s.tile = p + 4;
      haveTile = true;
    }
    pos += 8 + len;
  }
  if (pos != total || !haveName || !havePal || !haveMetr) return false;
  *out = s;
  return true;
}

}  // namespace she
