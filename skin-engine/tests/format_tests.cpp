// The skin block reader on its own: built-in skins, and hand-made blocks whose checksum is
// right but whose structure is not.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "skin_format.h"
#include "test_window.h"

namespace {

struct Section {
  std::string tag;
  std::vector<uint8_t> payload;
  long long declared = -1;  // length written into the section header, when it should lie
};

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 0xFF);
  v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

Section Name(const std::string& n = "Test") { return {"NAME", {n.begin(), n.end()}}; }
Section Palette(int count = she::ColorCount, size_t extraBytes = 0) {
  Section s{"PALT", {}};
  Put16(s.payload, count);
  for (int i = 0; i < count; ++i) {
    s.payload.push_back((uint8_t)(i * 3));
    s.payload.push_back((uint8_t)(i * 5));
    s.payload.push_back((uint8_t)(i * 7));
    s.payload.push_back(0);
  }
  s.payload.resize(s.payload.size() + extraBytes);
  return s;
}
Section Metrics(int count = she::MetricCount) {
  Section s{"METR", {}};
  Put16(s.payload, count);
  for (int i = 0; i < count; ++i) s.payload.push_back((uint8_t)(i + 1));
  return s;
}
Section Tile(int w, int h, long pixels = -1) {
  Section s{"TILE", {}};
  Put16(s.payload, w);
  Put16(s.payload, h);
  s.payload.resize(4 + (pixels >= 0 ? pixels : (long)w * h), 128);
  return s;
}
Section Note(const std::string& t) { return {"NOTE", {t.begin(), t.end()}}; }

// A block with a correct header and checksum around whatever sections it is given.
std::vector<uint8_t> Block(const std::vector<Section>& sections, int countDelta = 0,
                           size_t trailing = 0) {
  std::vector<uint8_t> b = {'.', 'S', 'H', 'E'};
  Put16(b, she::kVersion);
  Put16(b, (uint32_t)(sections.size() + countDelta));
  Put32(b, 0);
  Put32(b, 0);
  for (const Section& s : sections) {
    b.insert(b.end(), s.tag.begin(), s.tag.end());
    Put32(b, s.declared >= 0 ? (uint32_t)s.declared : (uint32_t)s.payload.size());
    b.insert(b.end(), s.payload.begin(), s.payload.end());
  }
  b.resize(b.size() + trailing, 0);
  uint32_t total = (uint32_t)b.size();
  memcpy(&b[8], &total, 4);
  uint32_t sum = she::Checksum(b.data(), total);
  memcpy(&b[12], &sum, 4);
  return b;
}

bool Parses(const std::vector<uint8_t>& b, she::Skin* out = nullptr) {
  she::Skin s;
  // Exactly-sized heap copy so a read past the end is not hidden by slack.
  uint8_t* heap = (uint8_t*)HeapAlloc(GetProcessHeap(), 0, b.size() ? b.size() : 1);
  memcpy(heap, b.data(), b.size());
  bool ok = she::ParseSkin(heap, (long long)b.size(), out ? out : &s);
  HeapFree(GetProcessHeap(), 0, heap);
  return ok;
}

TEST(SkinFormat, MinimalBlockParses) {
  she::Skin s;
  ASSERT_TRUE(Parses(Block({Name("Minimal"), Palette(), Metrics()}), &s));
  EXPECT_STREQ(s.name, "Minimal");
  EXPECT_EQ(s.color[1], RGB(3, 5, 7));
  EXPECT_EQ(s.metric[0], 1);
  EXPECT_EQ(s.tileW, 0);
  EXPECT_EQ(s.tile, nullptr);
}

TEST(SkinFormat, OptionalAndUnknownSectionsAreHandled) {
  she::Skin s;
  ASSERT_TRUE(Parses(Block({Note("first"), Name(), Tile(5, 3), Palette(she::ColorCount + 4),
                            Metrics(she::MetricCount + 3), Section{"ZZZZ", {1, 2, 3}}}),
                     &s));
  EXPECT_EQ(s.tileW, 5);
  EXPECT_EQ(s.tileH, 3);
  ASSERT_NE(s.tile, nullptr);
  EXPECT_EQ(s.tile[14], 128);
}

TEST(SkinFormat, StructurallyBadBlocksAreRejected) {
  struct Case {
    const char* what;
    std::vector<uint8_t> block;
  };
  const std::vector<Case> cases = {
      {"no sections", Block({})},
      {"missing name", Block({Palette(), Metrics()})},
      {"missing palette", Block({Name(), Metrics()})},
      {"missing metrics", Block({Name(), Palette()})},
      {"duplicate name", Block({Name(), Name(), Palette(), Metrics()})},
      {"duplicate palette", Block({Name(), Palette(), Palette(), Metrics()})},
      {"duplicate tile", Block({Name(), Palette(), Metrics(), Tile(2, 2), Tile(2, 2)})},
      {"empty name", Block({Name(""), Palette(), Metrics()})},
      {"name too long", Block({Name(std::string(64, 'n')), Palette(), Metrics()})},
      {"name with NUL", Block({Name(std::string("a\0b", 3)), Palette(), Metrics()})},
      {"short palette", Block({Name(), Palette(she::ColorCount - 1), Metrics()})},
      {"palette longer than its count", Block({Name(), Palette(she::ColorCount, 4), Metrics()})},
      {"palette section of one byte", Block({Name(), Section{"PALT", {1}}, Metrics()})},
      {"short metrics", Block({Name(), Palette(), Metrics(she::MetricCount - 1)})},
      {"tile pixels missing", Block({Name(), Palette(), Metrics(), Tile(4, 4, 15)})},
      {"tile pixels extra", Block({Name(), Palette(), Metrics(), Tile(4, 4, 17)})},
      {"tile of zero width", Block({Name(), Palette(), Metrics(), Tile(0, 4, 0)})},
      {"tile header cut", Block({Name(), Palette(), Metrics(), Section{"TILE", {1, 0, 1}}})},
      {"section count one too many", Block({Name(), Palette(), Metrics()}, +1)},
      {"section count one too few", Block({Name(), Palette(), Metrics()}, -1)},
      {"bytes after the last section", Block({Name(), Palette(), Metrics()}, 0, 3)},
      {"section header cut", Block({Name(), Palette(), Metrics()}, +1, 5)},
      {"section length past the end",
       Block({Name(), Palette(), Metrics(), Section{"NOTE", {1, 2}, 0x7FFFFFF0}})},
      {"section length wraps around",
       Block({Name(), Palette(), Metrics(), Section{"NOTE", {1, 2}, 0xFFFFFFF8}})},
  };
  for (const Case& c : cases) EXPECT_FALSE(Parses(c.block)) << c.what;
}

TEST(SkinFormat, HeaderDamageIsRejected) {
  const std::vector<uint8_t> good = Block({Name(), Palette(), Metrics(), Tile(8, 2)});
  ASSERT_TRUE(Parses(good));
  // Every single-bit flip anywhere in the block is caught.
  for (size_t i = 0; i < good.size(); ++i)
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<uint8_t> b = good;
      b[i] ^= (uint8_t)(1 << bit);
      EXPECT_FALSE(Parses(b)) << "byte " << i << " bit " << bit;
    }
  for (size_t len = 0; len < good.size(); ++len) {
    std::vector<uint8_t> b(good.begin(), good.begin() + len);
    EXPECT_FALSE(Parses(b)) << "length " << len;
  }
  she::Skin s;
  EXPECT_FALSE(she::ParseSkin(nullptr, 100, &s));
  EXPECT_FALSE(she::ParseSkin(good.data(), -1, &s));
  EXPECT_FALSE(she::ParseSkin(good.data(), 0, &s));
  EXPECT_FALSE(she::ParseSkin(good.data(), (long long)good.size(), nullptr));
}

TEST(SkinFormat, FailedParseLeavesOutputAlone) {
  she::Skin s;
  memset(&s, 0x5A, sizeof s);
  std::vector<uint8_t> b = Block({Name(), Palette(), Metrics()});
  b.back() ^= 1;
  EXPECT_FALSE(Parses(b, &s));
  for (size_t i = 0; i < sizeof s; ++i) ASSERT_EQ(((uint8_t*)&s)[i], 0x5A);
}

TEST(SkinFormat, BuiltInSkins) {
  const long sizes[33] = {15574, 9533,  19786, 19497, 17699, 41098, 12564, 18930, 13192,
                          24409, 30738, 8321,  26370, 15733, 12105, 23603, 20863, 16746,
                          11676, 17997, 12882, 37461, 30958, 25715, 34523, 28961, 29447,
                          15562, 20738, 18765, 31134, 44110, 20275};
  std::vector<std::vector<uint8_t>> blocks;
  for (int n = 1; n <= 33; ++n) {
    SCOPED_TRACE("skin " + std::to_string(n));
    std::vector<uint8_t> b = test::SkinBytes(n);
    EXPECT_EQ((long)b.size(), sizes[n - 1]);
    she::Skin s;
    ASSERT_TRUE(Parses(b, &s));
    EXPECT_GT(strlen(s.name), 0u);
    EXPECT_GT(s.tileW, 0);
    // Readable: text stands out from what it is drawn on.
    auto luma = [](COLORREF c) {
      return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
    };
    EXPECT_GE(abs(luma(s.color[she::Text]) - luma(s.color[she::Background])), 100);
    EXPECT_GE(abs(luma(s.color[she::EditText]) - luma(s.color[she::EditBackground])), 100);
    int face = (luma(s.color[she::ButtonTop]) + luma(s.color[she::ButtonBottom])) / 2;
    EXPECT_GE(abs(luma(s.color[she::ButtonText]) - face), 90);
    blocks.push_back(b);
  }
  // No two skins share both background and caption colours.
  for (size_t i = 0; i < blocks.size(); ++i)
    for (size_t j = i + 1; j < blocks.size(); ++j) {
      she::Skin a, b;
      Parses(blocks[i], &a);
      Parses(blocks[j], &b);
      EXPECT_FALSE(a.color[she::Background] == b.color[she::Background] &&
                   a.color[she::CapActiveTop] == b.color[she::CapActiveTop])
          << "skins " << i + 1 << " and " << j + 1 << " look alike";
    }
}

}  // namespace
