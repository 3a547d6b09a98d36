// The finished ticket under Wine: real pixels of ticketCanvas's picture after drawTicket.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "render/canvas.h"
#include "render/ticket.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace {
using ui::Control;
using namespace render;

constexpr uint32_t kLightBlue = 0xFFE3C8;
constexpr uint32_t kPaleTeal = 0xD6DBAC;
constexpr uint32_t kSteelBlue = 0x9F6620;
constexpr uint32_t kNavy = 0x800000;
constexpr uint32_t kRose = 0x8000FF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kWidth = 384;
constexpr int kHeight = 173;
const Control kTicket = Control::ticketCanvas;
const Control kStamp = Control::stampCanvas;

uint32_t face() { return GetSysColor(COLOR_BTNFACE); }

// The background check: light blue on the 0 bits of the pattern, the face colour on the 1 bits.
uint32_t background(int x, int y) {
    const uint8_t* rows = brushPatternRows(52);
    return ((rows[y % 8] >> (7 - x % 8)) & 1) ? face() : kLightBlue;
}

uint32_t at(const app::HeapBlock& picture, int x, int y) { return harness::picturePixel(picture, x, y); }

bool samePixels(const app::HeapBlock& a, const app::HeapBlock& b) {
    return a.size() > 0 && a.size() == b.size() && memcmp(a.data(), b.data(), a.size()) == 0;
}

void setGroupNumber(const char* text) { ui::writeTextProperty(Control::groupNumberEdit, ui::kText, -1, text); }

app::HeapBlock drawnTicket(const char* nickname, const char* time) {
    EXPECT_TRUE(drawTicket(nickname, time));
    return takePicture(kTicket);
}

// Leaves the stamp canvas all white, so the overlay copies nothing: the ticket without its stamp.
void whitenStamp() {
    ui::writeProperty(kStamp, kBrushStyle, -1, 1);
    ui::writeProperty(kStamp, kBrushColour, -1, static_cast<int32_t>(kWhite));
    fillRect(kStamp, 0, 0, 80, 80);
}

// ---- What the layout should leave on each pixel, as a set of acceptable colours ----
//
// Glyph shapes are the font's business, so inside a text's box the text's colour is acceptable on
// top of what lay there; everywhere else the colour is exact.

struct Box {
    int left, top, right, bottom;  // right and bottom excluded
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct TextItem {
    int x, y;
    std::string text;
    uint32_t colour;
    int points;
    bool bold;
};

// The boxes of a text's lines (CR, LF, CR LF and LF LF break a line), measured with the canvas font.
std::vector<Box> textBoxes(const TextItem& item) {
    std::vector<Box> boxes;
    LOGFONTA record = canvasFontRecord(kTicket);
    HWND window = ui::controlWindow(kTicket);
    HDC dc = GetDC(window);
    record.lfHeight = -MulDiv(item.points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    record.lfWeight = item.bold ? 700 : 0;
    record.lfCharSet = DEFAULT_CHARSET;
    record.lfOutPrecision = OUT_DEFAULT_PRECIS;
    record.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    record.lfQuality = PROOF_QUALITY;
    record.lfPitchAndFamily = DEFAULT_PITCH;
    HFONT font = CreateFontIndirectA(&record);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE empty = {};
    GetTextExtentPoint32A(dc, "W", 1, &empty);
    int y = item.y;
    const char* line = item.text.c_str();
    while (*line || line == item.text.c_str()) {
        const char* end = line;
        while (*end && *end != '\r' && *end != '\n') ++end;
        int height = empty.cy;
        if (end > line) {
            SIZE extent = {};
            GetTextExtentPoint32A(dc, line, static_cast<int>(end - line), &extent);
            height = extent.cy;
            boxes.push_back({item.x, y, item.x + extent.cx, y + extent.cy});
        }
        if (!*end) break;
        line = end + 1;
        if (*line == '\n') ++line;
        y += height + 2;
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(window, dc);
    return boxes;
}

enum class Op { fill, line, dotted, text };
struct Item {
    Op op;
    int x1, y1, x2, y2;  // fill box, or line from (x1, y1) up to but not including (x2, y2)
    int text;            // index into the texts, for Op::text
};

std::vector<TextItem> ticketTexts(const std::string& nickname, const std::string& group, const std::string& time) {
    return {
        {125, 3, "QQ群免费单程飞机票", kNavy, 11, true},
        {12, 29, "机票类型", kNavy, 9, false},
        {68, 29, "免费单程票", kRose, 9, false},
        {155, 29, "受 赠 人", kNavy, 9, false},
        {215, 29, nickname, kRed, 9, false},
        {302, 29, "（傻逼飞）", kRed, 9, false},
        {12, 50, "始 发 地", kNavy, 9, false},
        {68, 50, "QQ群：" + group, kRed, 9, false},
        {175, 50, "目 的 地", kNavy, 9, false},
        {233, 50, "有多远滚多远", kRed, 9, false},
        {157, 72, "说      明", kNavy, 9, false},
        {12, 94, kTicketNotice, kRed, 9, false},
        {15, 145, "颁发者:(" + group + ") 管理员", kRed, 9, false},
        {230, 145, "起飞时间： " + time, kNavy, 9, true},
    };
}
constexpr int kNicknameText = 4;

// The ticket's drawing order: later items paint over earlier ones.
const Item kOrder[] = {
    {Op::text, 0, 0, 0, 0, 0},
    {Op::dotted, 0, 0, 0, 173, 0},     {Op::dotted, 0, 0, 384, 0, 0},
    {Op::dotted, 383, 0, 383, 173, 0}, {Op::dotted, 383, 172, 0, 172, 0},
    {Op::line, 7, 23, 7, 139, 0},      {Op::line, 7, 23, 375, 23, 0},
    {Op::line, 375, 23, 375, 139, 0},  {Op::line, 375, 139, 6, 139, 0},
    {Op::line, 7, 45, 375, 45, 0},     {Op::fill, 8, 24, 63, 45, 0},
    {Op::text, 0, 0, 0, 0, 1},         {Op::line, 63, 23, 63, 67, 0},
    {Op::text, 0, 0, 0, 0, 2},         {Op::line, 150, 23, 150, 45, 0},
    {Op::line, 210, 23, 210, 45, 0},   {Op::fill, 151, 24, 210, 45, 0},
    {Op::text, 0, 0, 0, 0, 3},         {Op::text, 0, 0, 0, 0, 4},
    {Op::text, 0, 0, 0, 0, 5},         {Op::line, 7, 67, 375, 67, 0},
    {Op::fill, 8, 46, 63, 67, 0},      {Op::text, 0, 0, 0, 0, 6},
    {Op::text, 0, 0, 0, 0, 7},         {Op::line, 170, 45, 170, 67, 0},
    {Op::fill, 171, 46, 228, 67, 0},   {Op::text, 0, 0, 0, 0, 8},
    {Op::line, 228, 45, 228, 67, 0},   {Op::text, 0, 0, 0, 0, 9},
    {Op::line, 7, 67, 375, 67, 0},     {Op::line, 7, 89, 375, 89, 0},
    {Op::fill, 9, 68, 375, 89, 0},     {Op::text, 0, 0, 0, 0, 10},
    {Op::text, 0, 0, 0, 0, 11},        {Op::text, 0, 0, 0, 0, 12},
    {Op::text, 0, 0, 0, 0, 13},
};

// Per pixel, the colours the finished ticket may show there.
class Expectation {
public:
    Expectation(const std::vector<TextItem>& texts, const app::HeapBlock& stamp) : allowed_(kWidth * kHeight) {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) only(x, y, background(x, y));
        }
        for (const Item& item : kOrder) {
            switch (item.op) {
            case Op::fill:
                for (int y = item.y1; y < item.y2; ++y) {
                    for (int x = item.x1; x < item.x2; ++x) only(x, y, kPaleTeal);
                }
                break;
            case Op::line:
            case Op::dotted:
                forLine(item, [&](int x, int y) {
                    if (item.op == Op::line) only(x, y, kSteelBlue);
                    else also(x, y, kSteelBlue, false);  // the gaps of the dots show what lies under them
                });
                break;
            case Op::text:
                for (const Box& box : textBoxes(texts[item.text])) {
                    for (int y = box.top; y < box.bottom; ++y) {
                        for (int x = box.left; x < box.right; ++x) also(x, y, texts[item.text].colour, true);
                    }
                }
                break;
            }
        }
        // The stamp's non-white pixels replace what lay under them.
        for (int j = 1; j <= 79; ++j) {
            for (int i = 1; i <= 79; ++i) {
                uint32_t colour = at(stamp, i, j);
                if (colour != kWhite) only(299 + i, 2 + j, colour);
            }
        }
    }

    template <typename Visit>
    static void forLine(const Item& line, Visit visit) {
        int dx = line.x2 > line.x1 ? 1 : (line.x2 < line.x1 ? -1 : 0);
        int dy = line.y2 > line.y1 ? 1 : (line.y2 < line.y1 ? -1 : 0);
        for (int x = line.x1, y = line.y1; x != line.x2 || y != line.y2; x += dx, y += dy) {
            if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) visit(x, y);
        }
    }

    bool allows(int x, int y, uint32_t colour) const {
        const std::vector<uint32_t>& set = allowed_[y * kWidth + x];
        for (uint32_t c : set) {
            if (c == colour) return true;
        }
        // Smoothed glyph edges mix the text's colour with what lies under it, channel by channel.
        if (!smoothed_[y * kWidth + x]) return false;
        for (uint32_t a : set) {
            for (uint32_t b : set) {
                if (a != b && between(colour, a, b)) return true;
            }
        }
        return false;
    }
    std::string describe(int x, int y) const {
        std::string text;
        char hex[16];
        for (uint32_t c : allowed_[y * kWidth + x]) {
            snprintf(hex, sizeof hex, " %06X", static_cast<unsigned>(c));
            text += hex;
        }
        return text;
    }

private:
    static bool between(uint32_t colour, uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 24; shift += 8) {
            int c = (colour >> shift) & 0xFF, low = (a >> shift) & 0xFF, high = (b >> shift) & 0xFF;
            if (low > high) std::swap(low, high);
            if (c < low || c > high) return false;
        }
        return true;
    }
    void only(int x, int y, uint32_t colour) {
        if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) return;
        allowed_[y * kWidth + x] = {colour};
        smoothed_[y * kWidth + x] = false;
    }
    void also(int x, int y, uint32_t colour, bool text) {
        if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) return;
        std::vector<uint32_t>& set = allowed_[y * kWidth + x];
        bool present = false;
        for (uint32_t c : set) present = present || c == colour;
        if (!present) set.push_back(colour);
        if (text) smoothed_[y * kWidth + x] = true;
    }
    std::vector<std::vector<uint32_t>> allowed_;
    std::vector<bool> smoothed_ = std::vector<bool>(kWidth * kHeight);
};

// Every pixel holds an acceptable colour; returns the number of pixels that do not (reporting a few).
int mismatches(const app::HeapBlock& picture, const Expectation& expected, const char* label) {
    int count = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint32_t colour = at(picture, x, y);
            if (expected.allows(x, y, colour)) continue;
            if (++count <= 5) {
                ADD_FAILURE() << label << ": pixel " << x << "," << y << " is " << std::hex << colour
                              << ", expected one of" << expected.describe(x, y);
            }
        }
    }
    return count;
}

// The pixels of a text's colour inside its boxes, leaving out those the stamp paints.
int textPixels(const app::HeapBlock& picture, const TextItem& item, const app::HeapBlock& stamp) {
    int count = 0;
    for (const Box& box : textBoxes(item)) {
        for (int y = box.top; y < box.bottom && y < kHeight; ++y) {
            for (int x = box.left; x < box.right && x < kWidth; ++x) {
                bool underStamp = x >= 300 && x <= 378 && y >= 3 && y <= 81 && at(stamp, x - 299, y - 2) != kWhite;
                if (!underStamp && at(picture, x, y) == item.colour) ++count;
            }
        }
    }
    return count;
}

class TicketTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window_.opened());
        harness::bringToFront(window_.window());
        setGroupNumber("12345678");
    }
    harness::OpenMainWindow window_;
};

TEST_F(TicketTest, EveryPixelFollowsTheLayoutForEachKindOfInput) {
    const std::string longName(60, 'W');
    struct Case {
        const char* label;
        std::string nickname, group, time;
    };
    const Case cases[] = {
        {"plain", "nick", "12345678", "2024-05-06 07:08"},
        {"empty group number", "nick", "", "2024-05-06 07:08"},
        {"empty time", "nick", "12345678", ""},
        {"empty nickname", "", "12345678", "12:00"},
        {"nickname off the canvas", longName, "987654321", "12:00"},
        {"Chinese nickname", "小明同学", "10001", "明天 上午"},
    };
    const app::HeapBlock stamp = takePicture(kStamp);
    for (const Case& c : cases) {
        setGroupNumber(c.group.c_str());
        app::HeapBlock picture = drawnTicket(c.nickname.c_str(), c.time.c_str());
        ASSERT_EQ(199350u, picture.size()) << c.label;
        std::vector<TextItem> texts = ticketTexts(c.nickname, c.group, c.time);
        Expectation expected(texts, stamp);
        EXPECT_EQ(0, mismatches(picture, expected, c.label)) << c.label;
        // Each text shows in its own colour inside its box.
        for (const TextItem& text : texts) {
            if (text.text.empty()) continue;
            EXPECT_GT(textPixels(picture, text, stamp), 0) << c.label << ": " << text.x << "," << text.y;
        }
        if (c.nickname.empty()) {
            // Nothing red between the second label cell and "（傻逼飞）".
            for (int y = 24; y < 45; ++y) {
                for (int x = 211; x < 302; ++x) ASSERT_NE(kRed, at(picture, x, y)) << c.label << " " << x << "," << y;
            }
        }
        if (c.nickname == longName) {
            // Drawn in full to the canvas's edge: red in the last columns, past the stamp.
            int red = 0;
            for (int y = 29; y < 45; ++y) {
                for (int x = 379; x < kWidth - 1; ++x) red += at(picture, x, y) == kRed;
            }
            EXPECT_GT(red, 0) << c.label;
        }
    }
}

TEST_F(TicketTest, BackgroundFrameLinesAndCellsSitExactly) {
    app::HeapBlock picture = drawnTicket("nick", "12:00");

    // The check is anchored at the canvas's origin, in open areas around the table.
    const Box open[] = {{1, 1, 120, 3}, {1, 1, 7, 172}, {376, 82, 383, 172}, {1, 166, 383, 172}};
    for (const Box& box : open) {
        for (int y = box.top; y < box.bottom; ++y) {
            for (int x = box.left; x < box.right; ++x) ASSERT_EQ(background(x, y), at(picture, x, y)) << x << "," << y;
        }
    }

    // A dotted frame on each edge: a good share of pen pixels, gaps that show the background, and
    // no pen colour just inside the edge.
    struct Edge {
        const char* name;
        int x, y, dx, dy, length;  // first pixel and direction
        int insideDx, insideDy;
    };
    const Edge edges[] = {
        {"left", 0, 0, 0, 1, kHeight, 1, 0},
        {"top", 0, 0, 1, 0, kWidth, 0, 1},
        {"right", kWidth - 1, 0, 0, 1, kHeight, -1, 0},
        {"bottom", 0, kHeight - 1, 1, 0, kWidth, 0, -1},
    };
    for (const Edge& e : edges) {
        int pen = 0;
        for (int k = 0; k < e.length; ++k) {
            int x = e.x + k * e.dx, y = e.y + k * e.dy;
            uint32_t colour = at(picture, x, y);
            if (colour == kSteelBlue) ++pen;
            else EXPECT_EQ(background(x, y), colour) << e.name << " gap at " << x << "," << y;
            int ix = x + e.insideDx, iy = y + e.insideDy;
            if (ix == 0 || iy == 0 || ix == kWidth - 1 || iy == kHeight - 1) continue;  // the next edge
            EXPECT_NE(kSteelBlue, at(picture, ix, iy)) << e.name << " inside at " << ix << "," << iy;
        }
        EXPECT_GE(pen * 3, e.length) << e.name << " has too few dots";
        EXPECT_LT(pen, e.length) << e.name << " is solid, not dotted";
    }

    // Solid lines: every pixel from the start up to, not including, the end point.
    struct Line {
        int x1, y1, x2, y2;
    };
    const Line lines[] = {
        {7, 23, 7, 139},    {7, 23, 375, 23},    {375, 23, 375, 139}, {375, 139, 6, 139},
        {7, 45, 375, 45},   {7, 67, 375, 67},    {7, 89, 375, 89},    {63, 23, 63, 67},
        {150, 23, 150, 45}, {210, 23, 210, 45},  {170, 45, 170, 67},  {228, 45, 228, 67},
    };
    const app::HeapBlock stamp = takePicture(kStamp);
    for (const Line& l : lines) {
        Item item = {Op::line, l.x1, l.y1, l.x2, l.y2, 0};
        Expectation::forLine(item, [&](int x, int y) {
            bool underStamp = x >= 300 && x <= 378 && y >= 3 && y <= 81 && at(stamp, x - 299, y - 2) != kWhite;
            if (underStamp) return;
            uint32_t colour = at(picture, x, y);
            // The notice's last line may reach down over the frame's bottom line with a tall font.
            if (y == 139 && colour == kRed) return;
            EXPECT_EQ(kSteelBlue, colour) << "line " << l.x1 << "," << l.y1 << " at " << x << "," << y;
        });
    }
    // Where lines stop: the bottom line leaves (6, 139) alone, nothing crosses x 376 or runs above y 23.
    EXPECT_EQ(background(6, 139), at(picture, 6, 139));
    for (int y = 23; y <= 139; ++y) {
        if (y > 81) {
            EXPECT_NE(kSteelBlue, at(picture, 376, y)) << y;
        }
        EXPECT_NE(kSteelBlue, at(picture, 6, y)) << y;
    }
    for (int x = 7; x <= 375; ++x) {
        EXPECT_NE(kSteelBlue, at(picture, x, 22)) << x;
        EXPECT_NE(kSteelBlue, at(picture, x, 140)) << x;
    }

    // The label cells are pale teal from x = 8; the header band begins at x = 9.
    const Box cells[] = {{8, 24, 63, 45}, {151, 24, 210, 45}, {8, 46, 63, 67}, {171, 46, 228, 67}, {9, 68, 375, 89}};
    for (const Box& cell : cells) {
        for (int y = cell.top; y < cell.bottom; ++y) {
            EXPECT_EQ(kPaleTeal, at(picture, cell.left, y)) << cell.left << "," << y;
            EXPECT_EQ(kPaleTeal, at(picture, cell.right - 1, y)) << cell.right - 1 << "," << y;
        }
    }
    for (int y = 68; y <= 88; ++y) EXPECT_EQ(background(8, y), at(picture, 8, y)) << "x = 8 of the header band, " << y;
}

TEST_F(TicketTest, StampLandsOnlyWhereItsPixelsAreNotWhite) {
    const app::HeapBlock stamp = takePicture(kStamp);
    app::HeapBlock withStamp = drawnTicket("a long enough nickname to run under the stamp", "12:00");
    EXPECT_FALSE(IsWindowVisible(ui::controlWindow(kStamp))) << "the stamp canvas is hidden again";
    whitenStamp();
    app::HeapBlock without = drawnTicket("a long enough nickname to run under the stamp", "12:00");

    int stamped = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            bool inArea = x >= 300 && x <= 378 && y >= 3 && y <= 81;
            uint32_t stampColour = inArea ? at(stamp, x - 299, y - 2) : kWhite;
            uint32_t expected = stampColour != kWhite ? stampColour : at(without, x, y);
            stamped += stampColour != kWhite;
            ASSERT_EQ(expected, at(withStamp, x, y)) << x << "," << y;
        }
    }
    EXPECT_GT(stamped, 500);
    // The stamp's last column and row are copied (the corner pixel lands on 378, 81 when not white).
    int lastColumn = 0, lastRow = 0;
    for (int k = 1; k <= 79; ++k) {
        lastColumn += at(stamp, 79, k) != kWhite;
        lastRow += at(stamp, k, 79) != kWhite;
    }
    EXPECT_GT(lastColumn + lastRow, 0) << "the stamp picture has pixels on its last column or row";
}

TEST_F(TicketTest, MovedStampLandsAtItsNewPlacePlusOne) {
    const app::HeapBlock stamp = takePicture(kStamp);
    ui::writeProperty(kStamp, ui::kLeft, -1, 150);
    ui::writeProperty(kStamp, ui::kTop, -1, 60);
    app::HeapBlock picture = drawnTicket("nick", "12:00");
    for (int j = 1; j <= 79; ++j) {
        for (int i = 1; i <= 79; ++i) {
            uint32_t colour = at(stamp, i, j);
            if (colour == kWhite) continue;
            ASSERT_EQ(colour, at(picture, 150 + i, 60 + j)) << i << "," << j;
        }
    }
}

TEST_F(TicketTest, NicknameWithALineBreakContinuesBelowAtTheSameX) {
    // The second line is long enough to show past the label cell of row 2, which is filled after it.
    const char* second = "WWWWWWWWWWWWWWWW";
    app::HeapBlock oneLine = drawnTicket("ab", "12:00");
    app::HeapBlock twoLines = drawnTicket((std::string("ab\r\n") + second).c_str(), "12:00");
    std::vector<Box> boxes = textBoxes({215, 29, std::string("ab\r\n") + second, kRed, 9, false});
    ASSERT_EQ(2u, boxes.size());
    int changed = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (at(oneLine, x, y) == at(twoLines, x, y)) continue;
            ++changed;
            EXPECT_EQ(kRed, at(twoLines, x, y)) << x << "," << y;
            EXPECT_TRUE(boxes[1].contains(x, y)) << "change outside the second line at " << x << "," << y;
        }
    }
    EXPECT_GT(changed, 0) << "the second line shows nowhere";
    EXPECT_GT(boxes[1].top, 29 + 8) << "the second line starts below the first";
    EXPECT_EQ(215, boxes[1].left);
}

TEST_F(TicketTest, RunsRepeatExactlyAndLeaveNoTraceOfEarlierOnes) {
    app::HeapBlock first = drawnTicket("nick", "12:00");
    app::HeapBlock second = drawnTicket("nick", "12:00");
    EXPECT_TRUE(samePixels(first, second));
    drawnTicket("a much longer nickname that runs all the way under the stamp", "tomorrow at noon sharp");
    app::HeapBlock after = drawnTicket("nick", "12:00");
    EXPECT_TRUE(samePixels(first, after)) << "a longer nickname left a trace";
}

TEST(TicketFromAFreshWindow, MatchesARunAfterALongerNickname) {
    app::HeapBlock fresh, reused;
    {
        harness::OpenMainWindow window;
        ASSERT_TRUE(window.opened());
        harness::bringToFront(window.window());
        setGroupNumber("12345678");
        fresh = drawnTicket("nick", "12:00");
    }
    {
        harness::OpenMainWindow window;
        ASSERT_TRUE(window.opened());
        harness::bringToFront(window.window());
        setGroupNumber("12345678");
        drawnTicket("a much longer nickname that runs all the way under the stamp", "tomorrow at noon sharp");
        reused = drawnTicket("nick", "12:00");
    }
    EXPECT_TRUE(samePixels(fresh, reused));
}

TEST(TicketNotice, IsThreeLinesOf134Bytes) {
    const std::string notice = kTicketNotice;
    ASSERT_EQ(134u, notice.size());
    size_t firstBreak = notice.find("\r\n");
    size_t secondBreak = notice.find("\r\n", firstBreak + 2);
    ASSERT_NE(std::string::npos, secondBreak);
    EXPECT_EQ(std::string::npos, notice.find("\r\n", secondBreak + 2));
    EXPECT_EQ(std::string::npos, notice.find_first_of("\r\n", secondBreak + 2)) << "no break at the end";
    const std::string lines[3] = {notice.substr(0, firstBreak), notice.substr(firstBreak + 2, secondBreak - firstBreak - 2),
                                  notice.substr(secondBreak + 2)};
    const size_t indents[3] = {4, 8, 12};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(indents[k], lines[k].find_first_not_of(' ')) << "line " << k;
        EXPECT_EQ(std::string::npos, lines[k].find_first_of("\r\n")) << "line " << k;
    }
    EXPECT_EQ(0u, lines[0].compare(lines[0].size() - 4, 4, "....")) << "the first line ends in four ASCII stops";
    EXPECT_NE(std::string::npos, lines[0].find('(')) << "ASCII parentheses";
    EXPECT_NE(std::string::npos, lines[0].find(')'));
    EXPECT_EQ(std::string("    由于您在该群随意发表违规言论(广告、谩骂等内容)...."), lines[0]);
    EXPECT_EQ(std::string("        现本人将免费赠送您单程飞机票一张"), lines[1]);
    EXPECT_EQ(std::string("            飞机即将起飞，恕不远送！"), lines[2]);
}

// ---- Faults of the overlay that are mended ----

// Answers the fatal error box of this process, should one appear, so that a failure ends the run
// at once instead of waiting on a box nobody clicks.
class ErrorBoxWatch {
public:
    ErrorBoxWatch() { thread_ = CreateThread(nullptr, 0, watch, this, 0, nullptr); }
    ~ErrorBoxWatch() {
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_, 2000);
        CloseHandle(thread_);
    }

private:
    static BOOL CALLBACK answer(HWND window, LPARAM) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char title[16] = {};
        GetWindowTextA(window, title, sizeof title);
        if (owner == GetCurrentProcessId() && strcmp(title, "错误") == 0) PostMessageA(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    static DWORD WINAPI watch(LPVOID self) {
        while (!static_cast<ErrorBoxWatch*>(self)->stop_) {
            EnumWindows(answer, 0);
            Sleep(50);
        }
        return 0;
    }
    HANDLE thread_;
    volatile LONG stop_ = 0;
};

TEST(TicketOverlay, StopsQuietlyWhenTheWindowIsClosedMeanwhile) {
    ErrorBoxWatch watch;
    harness::OpenMainWindow window;
    ASSERT_TRUE(window.opened());
    setGroupNumber("12345678");
    // The close request waits in the queue until the overlay lets messages run.
    PostMessageA(window.window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(drawTicket("nick", "12:00"));
    EXPECT_EQ(nullptr, ui::mainWindow());
    EXPECT_EQ(nullptr, ui::controlWindow(kTicket));
    // Still here: the error box would have ended the process with -1.
}

// How the window is placed on the screen while the ticket is drawn.
enum class Screen { visible, covered, minimised, offScreen };

app::HeapBlock ticketWhile(Screen screen) {
    harness::OpenMainWindow window;
    EXPECT_TRUE(window.opened());
    harness::bringToFront(window.window());
    setGroupNumber("12345678");
    HWND cover = nullptr;
    switch (screen) {
    case Screen::visible: break;
    case Screen::covered: {
        // A topmost window over the whole stamp area of the ticket.
        POINT corner = {299, 2};
        ClientToScreen(ui::controlWindow(kTicket), &corner);
        cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, corner.x - 5,
                                corner.y - 5, 90, 90, nullptr, nullptr, nullptr, nullptr);
        harness::pump(200);
        break;
    }
    case Screen::minimised:
        ShowWindow(window.window(), SW_MINIMIZE);
        harness::waitUntil([&] { return IsIconic(window.window()) != FALSE; }, 2000);
        harness::pump(100);
        break;
    case Screen::offScreen: {
        RECT outer;
        GetWindowRect(window.window(), &outer);
        // The stamp's corner of the window hangs over the screen's right edge.
        SetWindowPos(window.window(), nullptr, GetSystemMetrics(SM_CXSCREEN) - 250, outer.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        harness::pump(200);
        break;
    }
    }
    app::HeapBlock picture = drawnTicket("nick", "12:00");
    if (cover) DestroyWindow(cover);
    return picture;
}

TEST(TicketOverlay, StampIsTheSameWhetherTheWindowIsVisibleCoveredOrMinimised) {
    const app::HeapBlock visible = ticketWhile(Screen::visible);
    ASSERT_EQ(199350u, visible.size());
    struct Case {
        const char* label;
        Screen screen;
    };
    const Case cases[] = {
        {"covered by a topmost window", Screen::covered},
        {"minimised", Screen::minimised},
        {"partly off the screen", Screen::offScreen},
    };
    for (const Case& c : cases) {
        app::HeapBlock picture = ticketWhile(c.screen);
        EXPECT_TRUE(samePixels(visible, picture)) << c.label;
    }
}

}  // namespace
