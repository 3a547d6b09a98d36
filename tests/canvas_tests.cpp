// The drawing surface under Wine: real pixels read back from the picture and from the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness.h"
#include "render/canvas.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace {
using ui::Control;
using namespace render;

constexpr uint32_t kWhite = 0xFFFFFF;
const Control kTicket = Control::ticketCanvas;

void set(Control canvas, int number, int32_t value, int subIndex = -1) {
    ui::writeProperty(canvas, number, subIndex, value);
}
int32_t get(Control canvas, int number, int subIndex = -1) { return ui::readProperty(canvas, number, subIndex); }

uint32_t face() { return GetSysColor(COLOR_BTNFACE); }

class CanvasTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window_.opened());
        harness::bringToFront(window_.window());
        harness::pump(50);
    }
    // Clears the ticket canvas to white with a solid brush.
    void clear(uint32_t colour = kWhite) {
        set(kTicket, kBrushStyle, 1);
        set(kTicket, kBrushColour, static_cast<int32_t>(colour));
        fillRect(kTicket, 0, 0, 384, 173);
    }
    harness::OpenMainWindow window_;
};

TEST_F(CanvasTest, StartsAsThePlainFaceColourAndTheStampHoldsItsPicture) {
    app::HeapBlock ticket = takePicture(kTicket);
    for (int y = 0; y < 173; y += 7) {
        for (int x = 0; x < 384; x += 5) ASSERT_EQ(face(), harness::picturePixel(ticket, x, y)) << x << "," << y;
    }
    // The stamp canvas bitmap is the stamp picture pixel for pixel: the same rows as the resource.
    size_t size = 0;
    const uint8_t* stamp = ui::pictureBytes(ui::describe(Control::stampCanvas).pictureResource, &size);
    ASSERT_EQ(19256u, size);
    app::HeapBlock held = takePicture(Control::stampCanvas);
    ASSERT_EQ(54u + 19200u, held.size());
    EXPECT_EQ(0, memcmp(stamp + 54, held.data() + 54, 19200));
}

TEST_F(CanvasTest, FillRectOrdersCornersAndWidensEmptySides) {
    struct Case {
        int x1, y1, x2, y2;   // the call
        int left, top, right, bottom;  // painted: left <= x < right, top <= y < bottom
    };
    const Case cases[] = {
        {0, 0, 384, 173, 0, 0, 384, 173},
        {5, 5, 5, 5, 5, 5, 6, 6},
        {10, 10, 4, 4, 4, 4, 10, 10},
        {4, 4, 10, 10, 4, 4, 10, 10},
        {8, 24, 63, 45, 8, 24, 63, 45},
        {50, 60, 50, 40, 50, 40, 51, 60},
    };
    for (const Case& c : cases) {
        clear();
        set(kTicket, kBrushColour, 0x0000FF);
        fillRect(kTicket, c.x1, c.y1, c.x2, c.y2);
        app::HeapBlock picture = takePicture(kTicket);
        for (int y = 0; y < 173; ++y) {
            for (int x = 0; x < 384; ++x) {
                bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                ASSERT_EQ(inside ? 0x0000FFu : kWhite, harness::picturePixel(picture, x, y))
                    << "fillRect(" << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2 << ") at " << x << "," << y;
            }
        }
        // The screen shows the same at once.
        EXPECT_EQ(0x0000FFu, readPixel(kTicket, c.left, c.top));
        if (c.right < 384) EXPECT_EQ(kWhite, readPixel(kTicket, c.right, c.top));
    }
}

TEST_F(CanvasTest, DrawLineLeavesOutItsEndPoint) {
    clear();
    set(kTicket, kPenStyle, 1);
    set(kTicket, kPenColour, 0x9F6620);
    drawLine(kTicket, 0, 0, 0, 173);
    drawLine(kTicket, 383, 172, 0, 172);
    app::HeapBlock picture = takePicture(kTicket);
    for (int y = 0; y < 173; ++y) EXPECT_EQ(0x9F6620u, harness::picturePixel(picture, 0, y)) << y;
    for (int x = 1; x <= 383; ++x) EXPECT_EQ(0x9F6620u, harness::picturePixel(picture, x, 172)) << x;
    EXPECT_EQ(0x9F6620u, harness::picturePixel(picture, 0, 172));  // painted by the first line
    clear();
    drawLine(kTicket, 383, 172, 0, 172);
    picture = takePicture(kTicket);
    EXPECT_EQ(kWhite, harness::picturePixel(picture, 0, 172));
    EXPECT_EQ(0x9F6620u, harness::picturePixel(picture, 1, 172));
    EXPECT_EQ(0x9F6620u, readPixel(kTicket, 383, 172));
    EXPECT_EQ(kWhite, readPixel(kTicket, 0, 172));
}

TEST_F(CanvasTest, PatternFiftyTwoIsAnchoredAtTheOriginOnBothTargets) {
    clear();
    const uint32_t colour = 0xFFE3C8;
    set(kTicket, kBrushStyle, 52);
    set(kTicket, kBrushColour, static_cast<int32_t>(colour));
    fillRect(kTicket, 0, 0, 8, 4);
    const uint32_t B = face(), C = colour;
    const uint32_t rows[4][8] = {{B, B, C, C, B, B, C, C}, {C, C, B, B, C, C, B, B}, {C, C, B, B, C, C, B, B},
                                 {B, B, C, C, B, B, C, C}};
    app::HeapBlock picture = takePicture(kTicket);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(rows[y][x], harness::picturePixel(picture, x, y)) << x << "," << y;
            EXPECT_EQ(rows[y][x], readPixel(kTicket, x, y)) << "screen " << x << "," << y;
        }
    }
    // Anywhere on the canvas, pixel (x, y) takes bit 7 - x mod 8 of row y mod 8.
    fillRect(kTicket, 0, 0, 384, 173);
    picture = takePicture(kTicket);
    const uint8_t* pattern = brushPatternRows(52);
    for (int y = 0; y < 173; y += 3) {
        for (int x = 0; x < 384; x += 5) {
            bool one = (pattern[y % 8] >> (7 - x % 8)) & 1;
            ASSERT_EQ(one ? B : C, harness::picturePixel(picture, x, y)) << x << "," << y;
        }
    }
    for (int x = 100; x < 116; ++x) {
        bool one = (pattern[37 % 8] >> (7 - x % 8)) & 1;
        EXPECT_EQ(one ? B : C, readPixel(kTicket, x, 37)) << "screen " << x;
    }
}

TEST_F(CanvasTest, EveryBrushStyleFills) {
    for (int style = 0; style <= 55; ++style) {
        clear();
        set(kTicket, kBrushStyle, style);
        set(kTicket, kBrushColour, 0x00FF00);
        fillRect(kTicket, 0, 0, 32, 32);
        app::HeapBlock picture = takePicture(kTicket);
        int green = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) green += harness::picturePixel(picture, x, y) == 0x00FF00;
        }
        if (style == 0) {
            EXPECT_EQ(0, green) << "a hollow brush paints nothing";
        } else {
            EXPECT_GT(green, 0) << "style " << style;
        }
    }
}

// Draws on a white canvas and returns the picture.
app::HeapBlock textPicture(const char* text, int x, int y) {
    set(kTicket, kBrushStyle, 1);
    set(kTicket, kBrushColour, static_cast<int32_t>(kWhite));
    fillRect(kTicket, 0, 0, 384, 173);
    set(kTicket, kTextColour, 0x0000FF);
    drawText(kTicket, x, y, text);
    return takePicture(kTicket);
}

bool samePixels(const app::HeapBlock& a, const app::HeapBlock& b) {
    return a.size() == b.size() && memcmp(a.data(), b.data(), a.size()) == 0;
}

TEST_F(CanvasTest, DrawTextCutsLinesByteByByte) {
    set(kTicket, kFont, 9, kFontSize);
    SIZE letter = {}, w = {};
    {
        HDC dc = GetDC(ui::controlWindow(kTicket));
        LOGFONTA record = canvasFontRecord(kTicket);
        HFONT font = CreateFontIndirectA(&record);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextExtentPoint32A(dc, "a", 1, &letter);
        GetTextExtentPoint32A(dc, "W", 1, &w);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(ui::controlWindow(kTicket), dc);
    }
    const int h = letter.cy;
    ASSERT_GT(h, 0);
    struct Case {
        const char* text;
        const char* firstLine;
        const char* secondLine;
        int secondY;
    };
    const Case cases[] = {
        {"a\r\nb", "a", "b", 94 + h + 2},
        {"a\n\nb", "a", "b", 94 + h + 2},            // LF LF is one break
        {"a\rb", "a", "b", 94 + h + 2},
        {"a\r\rb", "a", "b", 94 + h + 2 + w.cy + 2},  // CR CR: an empty line of the height of "W"
        {"a\n\rb", "a", "b", 94 + h + 2 + w.cy + 2},  // LF CR too
    };
    for (const Case& c : cases) {
        app::HeapBlock drawn = textPicture(c.text, 12, 94);
        set(kTicket, kBrushColour, static_cast<int32_t>(kWhite));
        fillRect(kTicket, 0, 0, 384, 173);
        drawText(kTicket, 12, 94, c.firstLine);
        drawText(kTicket, 12, c.secondY, c.secondLine);
        app::HeapBlock expected = takePicture(kTicket);
        EXPECT_TRUE(samePixels(expected, drawn)) << "text with bytes " << strlen(c.text);
    }
    // An empty text draws nothing; leading spaces move the text right.
    app::HeapBlock blank = textPicture("", 12, 94);
    for (int y = 0; y < 173; y += 2) {
        for (int x = 0; x < 384; x += 3) ASSERT_EQ(kWhite, harness::picturePixel(blank, x, y));
    }
    app::HeapBlock spaced = textPicture("  b", 12, 94);
    app::HeapBlock plain = textPicture("b", 12, 94);
    EXPECT_FALSE(samePixels(spaced, plain));
}

TEST_F(CanvasTest, TextUsesTextColourOnATransparentBackground) {
    clear(0x00FF00);
    set(kTicket, kTextColour, 0x800000);
    drawText(kTicket, 10, 10, "QQ群免费单程飞机票");
    app::HeapBlock picture = takePicture(kTicket);
    int navy = 0, other = 0;
    for (int y = 0; y < 173; ++y) {
        for (int x = 0; x < 384; ++x) {
            uint32_t p = harness::picturePixel(picture, x, y);
            if (p == 0x800000) ++navy;
            else if (p != 0x00FF00) ++other;
        }
    }
    EXPECT_GT(navy, 50);
    // Opaque text background when one is set.
    set(kTicket, kTextBackColour, 0x0000FF);
    drawText(kTicket, 10, 60, "x");
    EXPECT_EQ(0x0000FFu, harness::picturePixel(takePicture(kTicket), 10, 60));
    set(kTicket, kTextBackColour, static_cast<int32_t>(ui::kDefaultColour));
}

TEST_F(CanvasTest, DrawPixelAndReadPixel) {
    clear();
    drawPixel(kTicket, 3, 4, 0x123456);
    EXPECT_EQ(0x123456u, harness::picturePixel(takePicture(kTicket), 3, 4));
    EXPECT_EQ(0x123456u, readPixel(kTicket, 3, 4));
    EXPECT_EQ(kInvalidColour, readPixel(kTicket, -1, 0));
    EXPECT_EQ(kInvalidColour, readPixel(kTicket, 384, 0));
    EXPECT_EQ(kInvalidColour, readPixel(kTicket, 0, 173));
    // A hidden canvas has nothing on the screen, but drawing still changes its bitmap.
    ASSERT_FALSE(IsWindowVisible(ui::controlWindow(Control::stampCanvas)));
    EXPECT_EQ(kInvalidColour, readPixel(Control::stampCanvas, 40, 40));
    EXPECT_EQ(kInvalidColour, readPixel(Control::stampCanvas, 0, 0));
    drawPixel(Control::stampCanvas, 0, 0, 0x00FF00);
    ui::writeProperty(Control::stampCanvas, kBrushColour, -1, 0x0000FF);
    fillRect(Control::stampCanvas, 10, 10, 12, 12);
    app::HeapBlock stamp = takePicture(Control::stampCanvas);
    EXPECT_EQ(0x00FF00u, harness::picturePixel(stamp, 0, 0));
    EXPECT_EQ(0x0000FFu, harness::picturePixel(stamp, 11, 11));
}

TEST_F(CanvasTest, PictureBytesAreLaidOutAsABmpFile) {
    clear();
    drawPixel(kTicket, 0, 172, 0x010203);  // bottom-left
    drawPixel(kTicket, 383, 0, 0x0A0B0C);  // top-right
    app::HeapBlock picture = takePicture(kTicket);
    ASSERT_EQ(199350u, picture.size());
    auto u16 = [&](size_t o) { uint16_t v; memcpy(&v, picture.data() + o, 2); return v; };
    auto u32 = [&](size_t o) { uint32_t v; memcpy(&v, picture.data() + o, 4); return v; };
    EXPECT_EQ('B', picture.data()[0]);
    EXPECT_EQ('M', picture.data()[1]);
    struct Field {
        size_t offset;
        int size;
        uint32_t value;
    };
    const Field fields[] = {
        {2, 4, 199350}, {6, 2, 0},  {8, 2, 0},  {10, 4, 54}, {14, 4, 40}, {18, 4, 384}, {22, 4, 173}, {26, 2, 1},
        {28, 2, 24},    {30, 4, 0}, {34, 4, 199296}, {38, 4, 0}, {42, 4, 0}, {46, 4, 0}, {50, 4, 0},
    };
    for (const Field& f : fields) EXPECT_EQ(f.value, f.size == 2 ? u16(f.offset) : u32(f.offset)) << f.offset;
    // The first pixel bytes are the bottom-left pixel, blue first (0x00BBGGRR: blue 0x01, red 0x03).
    EXPECT_EQ(0x01, picture.data()[54]);
    EXPECT_EQ(0x02, picture.data()[55]);
    EXPECT_EQ(0x03, picture.data()[56]);
    EXPECT_EQ(0x0A0B0Cu, harness::picturePixel(picture, 383, 0));
    // A real image reader gets the same pixels (compared by the picture check that runs after this suite).
    clear();
    set(kTicket, kBrushStyle, 52);
    set(kTicket, kBrushColour, 0xFFE3C8);
    fillRect(kTicket, 0, 0, 384, 173);
    set(kTicket, kTextColour, 0x0000FF);
    drawText(kTicket, 12, 94, "abc 群");
    drawPixel(kTicket, 383, 172, 0x102030);
    app::HeapBlock sample = takePicture(kTicket);
    std::string raw;
    for (int y = 0; y < 173; ++y) {
        for (int x = 0; x < 384; ++x) {
            uint32_t p = harness::picturePixel(sample, x, y);
            raw.push_back(static_cast<char>(p & 0xFF));
            raw.push_back(static_cast<char>((p >> 8) & 0xFF));
            raw.push_back(static_cast<char>((p >> 16) & 0xFF));
        }
    }
    EXPECT_TRUE(harness::writeFile(harness::binaryDirectory() + "\\canvas-sample.bmp", sample.data(), sample.size()));
    EXPECT_TRUE(harness::writeFile(harness::binaryDirectory() + "\\canvas-sample.rgb", raw.data(), raw.size()));
}

TEST_F(CanvasTest, DrawingStateRangesClampAndFontFields) {
    struct Case {
        int number;
        int32_t written;
        int32_t read;
    };
    const Case cases[] = {
        {kUnit, 9, 5},          {kUnit, -2, 0},          {kPenStyle, 7, 6},     {kPenStyle, -1, 0},
        {kDrawMode, 16, 15},    {kDrawMode, -5, 0},      {kPenWidth, 40000, 32767}, {kPenWidth, -1, 0},
        {kBrushStyle, 56, 55},  {kBrushStyle, -1, 0},    {kAutoRedraw, 1, 1},    {kPenColour, 0x123456, 0x123456},
        {kBrushColour, -1, -1}, {kTextColour, 0x800000, 0x800000}, {kBackColour, 0x00FF00, 0x00FF00},
        {kTextBackColour, static_cast<int32_t>(ui::kDefaultColour), static_cast<int32_t>(ui::kDefaultColour)},
    };
    for (const Case& c : cases) {
        set(kTicket, c.number, c.written);
        EXPECT_EQ(c.read, get(kTicket, c.number)) << "property " << c.number << " := " << c.written;
    }
    set(kTicket, kBackColour, static_cast<int32_t>(ui::kDefaultColour));

    // At start the ticket canvas has its own record; the stamp canvas uses the GUI font's description.
    EXPECT_STREQ("宋体", canvasFontRecord(kTicket).lfFaceName);
    LOGFONTA gui = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    EXPECT_EQ(gui.lfHeight, canvasFontRecord(Control::stampCanvas).lfHeight);

    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    set(kTicket, kFont, 11, kFontSize);
    EXPECT_EQ(-MulDiv(11, dpi, 72), canvasFontRecord(kTicket).lfHeight);
    if (dpi == 96) EXPECT_EQ(-15, canvasFontRecord(kTicket).lfHeight);
    set(kTicket, kFont, 9, kFontSize);
    if (dpi == 96) EXPECT_EQ(-12, canvasFontRecord(kTicket).lfHeight);
    set(kTicket, kFont, -4, kFontSize);
    EXPECT_EQ(0, canvasFontRecord(kTicket).lfHeight);
    set(kTicket, kFont, 1, kFontBold);
    EXPECT_EQ(700, canvasFontRecord(kTicket).lfWeight);
    set(kTicket, kFont, 0, kFontBold);
    EXPECT_EQ(0, canvasFontRecord(kTicket).lfWeight);
    set(kTicket, kFont, -900, kFontAngle);
    EXPECT_EQ(2700, canvasFontRecord(kTicket).lfEscapement);
    EXPECT_EQ(2700, canvasFontRecord(kTicket).lfOrientation);
    set(kTicket, kFont, 7200, kFontAngle);
    EXPECT_EQ(0, canvasFontRecord(kTicket).lfEscapement);
    set(kTicket, kFont, 5, kFontItalic);
    EXPECT_EQ(1, canvasFontRecord(kTicket).lfItalic);
    set(kTicket, kFont, 1, kFontUnderline);
    set(kTicket, kFont, 1, kFontStrikeOut);
    EXPECT_EQ(1, canvasFontRecord(kTicket).lfUnderline);
    EXPECT_EQ(1, canvasFontRecord(kTicket).lfStrikeOut);
    const char* faces[][2] = {
        {"Arial", "Arial"},
        {"", "宋体"},
        {"0123456789012345678901234567890", "0123456789012345678901234567890"},  // 31 bytes fit
        {"01234567890123456789012345678901", "宋体"},                          // 32 bytes do not
    };
    for (auto& face : faces) {
        ui::writeTextProperty(kTicket, kFont, kFontFace, face[0]);
        EXPECT_STREQ(face[1], canvasFontRecord(kTicket).lfFaceName) << face[0];
        EXPECT_STREQ(face[1], ui::readTextProperty(kTicket, kFont, kFontFace).c_str());
    }
    // A first font write on the stamp canvas starts from the GUI font's description.
    set(Control::stampCanvas, kFont, 1, kFontBold);
    EXPECT_EQ(gui.lfHeight, canvasFontRecord(Control::stampCanvas).lfHeight);
    EXPECT_EQ(700, canvasFontRecord(Control::stampCanvas).lfWeight);
}

TEST_F(CanvasTest, ResizingKeepsContentAndFillsTheNewPart) {
    clear(0x0000FF);
    ui::writeProperty(kTicket, ui::kWidth, -1, 400);
    harness::pump(50);
    app::HeapBlock wider = takePicture(kTicket);
    EXPECT_EQ(400, harness::pictureWidth(wider));
    EXPECT_EQ(0x0000FFu, harness::picturePixel(wider, 383, 10));
    EXPECT_EQ(face(), harness::picturePixel(wider, 390, 10));
    ui::writeProperty(kTicket, ui::kWidth, -1, 384);
    harness::pump(50);
    EXPECT_EQ(384, harness::pictureWidth(takePicture(kTicket)));
}

TEST_F(CanvasTest, ScreenIsRepaintedFromTheBitmapAfterBeingCovered) {
    clear(0x00FF00);
    drawPixel(kTicket, 20, 20, 0x0000FF);
    RECT canvas;
    GetWindowRect(ui::controlWindow(kTicket), &canvas);
    HWND cover = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, canvas.left, canvas.top, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    harness::pump(200);
    DestroyWindow(cover);
    harness::waitUntil([] { return readPixel(kTicket, 20, 20) == 0x0000FF; }, 2000);
    EXPECT_EQ(0x0000FFu, readPixel(kTicket, 20, 20));
    EXPECT_EQ(0x00FF00u, readPixel(kTicket, 50, 50));
}

TEST_F(CanvasTest, PendingEventsRunButQuitStaysQueued) {
    static int handled = 0;
    handled = 0;
    HWND window = ui::controlWindow(Control::generateButton);
    PostMessageA(window, WM_NULL, 0, 0);
    PostMessageA(ui::mainWindow(), WM_TIMER, 0, 0);
    PostQuitMessage(7);
    processPendingEvents();
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
    EXPECT_EQ(7u, message.wParam);
    (void)handled;
}

TEST_F(CanvasTest, NoGdiObjectLeaks) {
    auto objects = [] { return harness::gdiObjects(); };
    // Warm up every path once, then count.
    auto work = [](int i) {
        set(kTicket, kBrushStyle, i % 56);
        set(kTicket, kBrushColour, i * 7919);
        set(kTicket, kPenStyle, 1 + i % 6);
        set(kTicket, kPenColour, i * 31);
        set(kTicket, kPenWidth, i % 3);
        set(kTicket, kFont, 8 + i % 5, kFontSize);
        set(kTicket, kFont, i % 2, kFontBold);
        fillRect(kTicket, i % 50, 0, 60, 30);
        drawLine(kTicket, 0, i % 100, 383, 50);
        drawText(kTicket, 10, 40, "机票\r\nx");
        drawPixel(kTicket, i % 384, 5, 0x00FF00);
        readPixel(kTicket, i % 384, 5);
        app::HeapBlock picture = takePicture(kTicket);
    };
    work(0);
    DWORD before = objects();
    for (int i = 1; i <= 1000; ++i) work(i);
    work(0);  // the same drawing state as when counting began: the same pen, brush and font exist
    harness::pump(20);
    EXPECT_EQ(before, objects());
}

}  // namespace
