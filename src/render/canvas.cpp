// Ticket rendering subsystem: the Canvas drawing surface, its backing bitmap, picture and message pump.
#include "render/canvas.h"

#include <new>
#include <utility>
#include <cstring>

#include "app/fatal.h"
#include "app/lifecycle.h"
#include "render/gdi.h"
#include "ui/properties.h"
#include "ui/window.h"

namespace render {
namespace {

// Pattern brush styles 8 to 55, eight rows each; style 52 is the ticket's check.
constexpr uint8_t kBrushPatterns[48][8] = {
    {0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00},  //  8 sparse dots
    {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},  //  9 dots
    {0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00},  // 10 dotted rows
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},  // 11 fine check
    {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD},  // 12 dense dots
    {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00},  // 13 fine lines
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // 14 double lines
    {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // 15 wide lines
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},  // 16 columns
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},  // 17 double columns
    {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // 18 wide columns
    {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08},  // 19 bricks
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},  // 20 small grid
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // 21 large grid
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // 22 rising diagonal
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // 23 falling diagonal
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // 24 diagonal cross
    {0x03, 0x06, 0x0C, 0x18, 0x30, 0x60, 0xC0, 0x81},  // 25 wide rising diagonal
    {0xC0, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x03, 0x81},  // 26 wide falling diagonal
    {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88},  // 27 fine rising diagonal
    {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},  // 28 fine falling diagonal
    {0x18, 0x18, 0x18, 0xFF, 0xFF, 0x18, 0x18, 0x18},  // 29 plus
    {0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00},  // 30 diamonds
    {0x00, 0x3C, 0x42, 0x42, 0x42, 0x42, 0x3C, 0x00},  // 31 rings
    {0x00, 0x3C, 0x7E, 0x7E, 0x7E, 0x7E, 0x3C, 0x00},  // 32 discs
    {0x0F, 0x0F, 0x0F, 0x0F, 0xF0, 0xF0, 0xF0, 0xF0},  // 33 large check
    {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},  // 34 large check, shifted
    {0x82, 0x44, 0x28, 0x10, 0x28, 0x44, 0x82, 0x01},  // 35 lattice
    {0x08, 0x14, 0x22, 0x41, 0x80, 0x00, 0x00, 0x00},  // 36 zigzag
    {0x00, 0x00, 0x18, 0x24, 0x42, 0x81, 0x00, 0x00},  // 37 chevrons
    {0x11, 0x00, 0x44, 0x00, 0x11, 0x00, 0x44, 0x00},  // 38 scattered dots
    {0xE0, 0xE0, 0xE0, 0x00, 0x0E, 0x0E, 0x0E, 0x00},  // 39 blocks
    {0x00, 0x66, 0x66, 0x00, 0x00, 0x66, 0x66, 0x00},  // 40 small squares
    {0xF8, 0x74, 0x22, 0x47, 0x8F, 0x17, 0x22, 0x71},  // 41 weave
    {0xBB, 0x5F, 0xAE, 0x5D, 0xBA, 0x75, 0xEA, 0xF5},  // 42 trellis
    {0x00, 0x7E, 0x42, 0x5A, 0x5A, 0x42, 0x7E, 0x00},  // 43 nested squares
    {0x55, 0xAA, 0x00, 0x00, 0x55, 0xAA, 0x00, 0x00},  // 44 braid rows
    {0x50, 0x50, 0x50, 0x50, 0x05, 0x05, 0x05, 0x05},  // 45 offset columns
    {0x40, 0xA0, 0x00, 0x00, 0x04, 0x0A, 0x00, 0x00},  // 46 small arcs
    {0xFF, 0x01, 0x01, 0x01, 0xFF, 0x10, 0x10, 0x10},  // 47 mirrored bricks
    {0x20, 0x50, 0x88, 0x50, 0x20, 0x00, 0x00, 0x00},  // 48 small diamonds
    {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // 49 one dot
    {0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0x00},  // 50 tiles
    {0x99, 0x66, 0x66, 0x99, 0x99, 0x66, 0x66, 0x99},  // 51 check of pairs
    {0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33, 0xCC},  // 52 the ticket's check
    {0x33, 0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33},  // 53 the same, inverted
    {0xF0, 0x78, 0x3C, 0x1E, 0x0F, 0x87, 0xC3, 0xE1},  // 54 broad diagonal
    {0x0F, 0x1E, 0x3C, 0x78, 0xF0, 0xE1, 0xC3, 0x87},  // 55 broad diagonal, mirrored
};

static_assert(kBrushPatterns[52 - 8][0] == 0xCC && kBrushPatterns[52 - 8][1] == 0x33 &&
                  kBrushPatterns[52 - 8][7] == 0xCC && kBrushPatterns[55 - 8][0] == 0x0F,
              "pattern rows are indexed by style - 8");

// Style 0 is not used by the ticket; it draws nothing.
constexpr int kPenStyles[7] = {PS_NULL, PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_INSIDEFRAME};
constexpr int kHatches[6] = {HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS, HS_FDIAGONAL, HS_HORIZONTAL, HS_VERTICAL};
constexpr const char* kFallbackFace = "宋体";

enum class Operation { fill, line, text, pixel };

COLORREF resolved(uint32_t colour) {
    return colour == ui::kDefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

int32_t clampTo(int32_t value, int32_t low, int32_t high) { return value < low ? low : (value > high ? high : value); }

class Canvas {
public:
    Canvas(HWND window, const ui::ControlDescription* description);
    ~Canvas() = default;

    HWND window() const { return window_; }

    int32_t readProperty(const ui::CanvasPropertyCall& call) const;
    void writeProperty(const ui::CanvasPropertyCall& call);

    void fillRect(int x1, int y1, int x2, int y2);
    void drawLine(int x1, int y1, int x2, int y2);
    void drawText(int x, int y, const char* text);
    void drawPixel(int x, int y, uint32_t colour);
    uint32_t readPixel(int x, int y) const;
    void drawPixels(const PixelWrite* writes, int count);
    void readPixels(int x, int y, int stepX, int stepY, int count, uint32_t* colours) const;
    app::HeapBlock takePicture(int width, int height) const;

    void onSize();
    void onPaint();
    LOGFONTA currentFontRecord() const;

private:
    template <typename Draw>
    void runOnTargets(Operation operation, Draw draw);
    void prepare(HDC dc, Operation operation) const;
    static void restore(HDC dc);
    void remakePen();
    void remakeBrush();
    void remakeFont();
    void writeFontField(int field, int32_t value, const char* face);
    void paintPicture(HDC dc, int width, int height) const;

    HWND window_;
    const ui::ControlDescription* description_;
    uint32_t backColour_;
    int32_t autoRedraw_, unit_, penStyle_, drawMode_, penWidth_;
    uint32_t penColour_;
    int32_t brushStyle_;
    uint32_t brushColour_, textColour_, textBackColour_;
    bool fontStored_;
    LOGFONTA font_;
    GdiObject pen_, brush_, fontObject_;
    GdiObject backingBitmap_;
    int bitmapWidth_ = 0, bitmapHeight_ = 0;
};

Canvas::Canvas(HWND window, const ui::ControlDescription* description)
    : window_(window), description_(description) {
    const ui::CanvasDefaults& defaults = *description->canvas;
    backColour_ = defaults.backColour;
    autoRedraw_ = defaults.autoRedraw;
    unit_ = defaults.unit;
    penStyle_ = defaults.penStyle;
    drawMode_ = defaults.drawMode;
    penWidth_ = defaults.penWidth;
    penColour_ = defaults.penColour;
    brushStyle_ = defaults.brushStyle;
    brushColour_ = defaults.brushColour;
    textColour_ = defaults.textColour;
    textBackColour_ = defaults.textBackColour;
    fontStored_ = defaults.hasFont;
    memset(&font_, 0, sizeof font_);
    if (fontStored_) {
        lstrcpynA(font_.lfFaceName, defaults.fontFace, LF_FACESIZE);
        font_.lfHeight = defaults.fontHeight;
        font_.lfWeight = defaults.fontWeight;
    }
    remakePen();
    remakeBrush();
    if (fontStored_) remakeFont();
}

void Canvas::remakePen() {
    pen_.reset();
    pen_.reset(CreatePen(kPenStyles[penStyle_], penWidth_, penColour_));
}

void Canvas::remakeBrush() {
    brush_.reset();
    if (brushStyle_ == 0) {
        LOGBRUSH hollow = {BS_NULL, 0, 0};
        brush_.reset(CreateBrushIndirect(&hollow));
    } else if (brushStyle_ == 1) {
        brush_.reset(CreateSolidBrush(brushColour_));
    } else if (brushStyle_ <= 7) {
        brush_.reset(CreateHatchBrush(kHatches[brushStyle_ - 2], brushColour_));
    } else {
        // A monochrome bitmap: rows of one byte and one padding byte.
        uint8_t rows[16] = {};
        const uint8_t* pattern = brushPatternRows(brushStyle_);
        for (int row = 0; row < 8; ++row) rows[row * 2] = pattern[row];
        HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, rows);
        if (bitmap) {
            brush_.reset(CreatePatternBrush(bitmap));
            DeleteObject(bitmap);
        }
    }
}

LOGFONTA Canvas::currentFontRecord() const {
    if (fontStored_) return font_;
    LOGFONTA record = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof record, &record);
    return record;
}

void Canvas::remakeFont() {
    fontObject_.reset();
    LOGFONTA record = font_;
    record.lfCharSet = DEFAULT_CHARSET;
    record.lfOutPrecision = OUT_DEFAULT_PRECIS;
    record.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    record.lfQuality = PROOF_QUALITY;
    record.lfPitchAndFamily = DEFAULT_PITCH;
    fontObject_.reset(CreateFontIndirectA(&record));
}

void Canvas::writeFontField(int field, int32_t value, const char* face) {
    LOGFONTA record = currentFontRecord();
    switch (field) {
    case kFontAngle: {
        int32_t angle = value % 3600;
        if (angle < 0) angle += 3600;
        record.lfEscapement = record.lfOrientation = angle;
        break;
    }
    case kFontBold: record.lfWeight = value ? 700 : 0; break;
    case kFontItalic: record.lfItalic = value ? 1 : 0; break;
    case kFontStrikeOut: record.lfStrikeOut = value ? 1 : 0; break;
    case kFontUnderline: record.lfUnderline = value ? 1 : 0; break;
    case kFontSize: {
        WindowDC screen(nullptr);
        int size = value < 0 ? 0 : value;
        record.lfHeight = -MulDiv(size, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
        break;
    }
    case kFontFace: {
        size_t length = face ? strlen(face) : 0;
        memset(record.lfFaceName, 0, sizeof record.lfFaceName);
        lstrcpynA(record.lfFaceName, (length == 0 || length >= LF_FACESIZE) ? kFallbackFace : face, LF_FACESIZE);
        break;
    }
    default: return;
    }
    if (fontStored_ && memcmp(&record, &font_, sizeof record) == 0) return;  // unchanged: nothing to do
    font_ = record;
    fontStored_ = true;
    remakeFont();
}

int32_t Canvas::readProperty(const ui::CanvasPropertyCall& call) const {
    switch (call.number) {
    case kBackColour: return static_cast<int32_t>(backColour_);
    case kAutoRedraw: return autoRedraw_;
    case kUnit: return unit_;
    case kPenStyle: return penStyle_;
    case kDrawMode: return drawMode_;
    case kPenWidth: return penWidth_;
    case kPenColour: return static_cast<int32_t>(penColour_);
    case kBrushStyle: return brushStyle_;
    case kBrushColour: return static_cast<int32_t>(brushColour_);
    case kTextColour: return static_cast<int32_t>(textColour_);
    case kTextBackColour: return static_cast<int32_t>(textBackColour_);
    case kFont: {
        LOGFONTA record = currentFontRecord();
        switch (call.subIndex) {
        case kFontAngle: return record.lfEscapement;
        case kFontBold: return record.lfWeight >= 700 ? 1 : 0;
        case kFontItalic: return record.lfItalic;
        case kFontStrikeOut: return record.lfStrikeOut;
        case kFontUnderline: return record.lfUnderline;
        case kFontSize: {
            WindowDC screen(nullptr);
            return MulDiv(record.lfHeight < 0 ? -record.lfHeight : record.lfHeight, 72,
                          GetDeviceCaps(screen.get(), LOGPIXELSY));
        }
        case kFontFace:
            if (call.textResult) *call.textResult = app::Text::copyOf(record.lfFaceName);
            return 0;
        }
        return 0;
    }
    }
    return 0;
}

void Canvas::writeProperty(const ui::CanvasPropertyCall& call) {
    const int32_t value = call.value;
    auto setColour = [](uint32_t& field, int32_t v) {
        if (field == static_cast<uint32_t>(v)) return false;
        field = static_cast<uint32_t>(v);
        return true;
    };
    auto setRanged = [](int32_t& field, int32_t v, int32_t low, int32_t high) {
        v = clampTo(v, low, high);
        if (field == v) return false;
        field = v;
        return true;
    };
    switch (call.number) {
    case kBackColour: setColour(backColour_, value); break;
    case kAutoRedraw:
        if (setRanged(autoRedraw_, value ? 1 : 0, 0, 1)) {
            if (autoRedraw_) {
                onSize();
            } else {
                backingBitmap_.reset();
                bitmapWidth_ = bitmapHeight_ = 0;
            }
        }
        break;
    case kUnit: setRanged(unit_, value, 0, 5); break;
    case kPenStyle: if (setRanged(penStyle_, value, 0, 6)) remakePen(); break;
    case kDrawMode: setRanged(drawMode_, value, 0, 15); break;
    case kPenWidth: if (setRanged(penWidth_, value, 0, 32767)) remakePen(); break;
    case kPenColour: if (setColour(penColour_, value)) remakePen(); break;
    case kBrushStyle: if (setRanged(brushStyle_, value, 0, 55)) remakeBrush(); break;
    case kBrushColour: if (setColour(brushColour_, value)) remakeBrush(); break;
    case kTextColour: setColour(textColour_, value); break;
    case kTextBackColour: setColour(textBackColour_, value); break;
    case kFont: writeFontField(call.subIndex, value, call.text); break;
    }
}

void Canvas::prepare(HDC dc, Operation operation) const {
    SetMapMode(dc, MM_TEXT);
    SelectObject(dc, pen_ ? pen_.get() : GetStockObject(BLACK_PEN));
    SelectObject(dc, brush_ ? brush_.get() : GetStockObject(WHITE_BRUSH));
    SelectObject(dc, fontObject_ ? fontObject_.get() : GetStockObject(DEFAULT_GUI_FONT));
    // The text colour doubles as the colour of a pattern brush's 0 bits.
    SetTextColor(dc, operation == Operation::text ? textColour_ : brushColour_);
    if (textBackColour_ == ui::kDefaultColour) {
        SetBkMode(dc, TRANSPARENT);
        SetBkColor(dc, resolved(backColour_));
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, textBackColour_);
    }
    SetROP2(dc, drawMode_ + 1);
    SetPolyFillMode(dc, WINDING);
}

void Canvas::restore(HDC dc) {
    SetMapMode(dc, MM_TEXT);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
}

template <typename Draw>
void Canvas::runOnTargets(Operation operation, Draw draw) {
    WindowDC screen(window_);
    if (backingBitmap_) {
        MemoryDC memory(screen.get(), static_cast<HBITMAP>(backingBitmap_.get()));
        if (memory.get()) {
            prepare(memory.get(), operation);
            draw(memory.get());
            restore(memory.get());
        }
    }
    if (screen.get()) {
        prepare(screen.get(), operation);
        draw(screen.get());
        restore(screen.get());
    }
}

void Canvas::fillRect(int x1, int y1, int x2, int y2) {
    if (x1 > x2) { int t = x1; x1 = x2; x2 = t; }
    if (y1 > y2) { int t = y1; y1 = y2; y2 = t; }
    if (x1 == x2) x2 = x1 + 1;
    if (y1 == y2) y2 = y1 + 1;
    RECT area = {x1, y1, x2, y2};
    HBRUSH brush = static_cast<HBRUSH>(brush_ ? brush_.get() : GetStockObject(WHITE_BRUSH));
    runOnTargets(Operation::fill, [&](HDC dc) { FillRect(dc, &area, brush); });
}

void Canvas::drawLine(int x1, int y1, int x2, int y2) {
    runOnTargets(Operation::line, [&](HDC dc) {
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    });
}

void Canvas::drawText(int x, int y, const char* text) {
    if (!text || !*text) return;
    runOnTargets(Operation::text, [&](HDC dc) {
        SIZE empty = {};
        GetTextExtentPoint32A(dc, "W", 1, &empty);
        int lineY = y;
        const char* line = text;
        for (;;) {
            const char* end = line;
            while (*end && *end != '\r' && *end != '\n') ++end;
            int length = static_cast<int>(end - line);
            int height = empty.cy;
            if (length > 0) {
                SIZE extent = {};
                GetTextExtentPoint32A(dc, line, length, &extent);
                height = extent.cy;
                TextOutA(dc, x, lineY, line, length);
            }
            if (!*end) break;
            // A break byte, and one more when that byte is LF: CR LF and LF LF are one break.
            const char* next = end + 1;
            if (*next == '\n') ++next;
            lineY += height + 2;
            line = next;
        }
    });
}

void Canvas::drawPixel(int x, int y, uint32_t colour) {
    runOnTargets(Operation::pixel, [&](HDC dc) { SetPixelV(dc, x, y, colour); });
}

void Canvas::drawPixels(const PixelWrite* writes, int count) {
    runOnTargets(Operation::pixel, [&](HDC dc) {
        for (int i = 0; i < count; ++i) SetPixelV(dc, writes[i].x, writes[i].y, writes[i].colour);
    });
}

uint32_t Canvas::readPixel(int x, int y) const {
    uint32_t colour = kInvalidColour;
    readPixels(x, y, 0, 0, 1, &colour);
    return colour;
}

void Canvas::readPixels(int x, int y, int stepX, int stepY, int count, uint32_t* colours) const {
    WindowDC screen(window_);
    if (screen.get()) SetMapMode(screen.get(), MM_TEXT);
    for (int i = 0; i < count; ++i, x += stepX, y += stepY) {
        // A point the screen does not show (hidden, covered, off the client area) has no colour.
        colours[i] = screen.get() && PtVisible(screen.get(), x, y) ? GetPixel(screen.get(), x, y) : kInvalidColour;
    }
}

app::HeapBlock Canvas::takePicture(int width, int height) const {
    WindowDC screen(nullptr);
    GdiObject copied;
    HBITMAP source = static_cast<HBITMAP>(backingBitmap_.get());
    int sourceWidth = bitmapWidth_, sourceHeight = bitmapHeight_;
    if (!source) {
        // Without a backing bitmap the picture is what the screen shows of the client area.
        RECT client;
        GetClientRect(window_, &client);
        sourceWidth = client.right;
        sourceHeight = client.bottom;
        if (sourceWidth <= 0 || sourceHeight <= 0) return app::HeapBlock();
        copied.reset(CreateCompatibleBitmap(screen.get(), sourceWidth, sourceHeight));
        if (!copied) return app::HeapBlock();
        WindowDC own(window_);
        MemoryDC memory(screen.get(), static_cast<HBITMAP>(copied.get()));
        BitBlt(memory.get(), 0, 0, sourceWidth, sourceHeight, own.get(), 0, 0, SRCCOPY);
        source = static_cast<HBITMAP>(copied.get());
    }
    if (width > 0 || height > 0) {
        // A picture of another size is the canvas scaled to it.
        int targetWidth = width > 0 ? width : sourceWidth;
        int targetHeight = height > 0 ? height : sourceHeight;
        GdiObject scaled(CreateCompatibleBitmap(screen.get(), targetWidth, targetHeight));
        if (!scaled) return app::HeapBlock();
        {
            MemoryDC from(screen.get(), source);
            MemoryDC to(screen.get(), static_cast<HBITMAP>(scaled.get()));
            SetStretchBltMode(to.get(), COLORONCOLOR);
            StretchBlt(to.get(), 0, 0, targetWidth, targetHeight, from.get(), 0, 0, sourceWidth, sourceHeight, SRCCOPY);
        }
        copied = std::move(scaled);
        source = static_cast<HBITMAP>(copied.get());
        sourceWidth = targetWidth;
        sourceHeight = targetHeight;
    }
    if (sourceWidth <= 0 || sourceHeight <= 0) return app::HeapBlock();

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = sourceWidth;
    header.biHeight = sourceHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    HPALETTE previousPalette = nullptr;
    if (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) {
        previousPalette = SelectPalette(screen.get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
        RealizePalette(screen.get());
    }
    BITMAPINFOHEADER probe = header;
    GetDIBits(screen.get(), source, 0, sourceHeight, nullptr, reinterpret_cast<BITMAPINFO*>(&probe), DIB_RGB_COLORS);
    const uint32_t stride = ((24u * static_cast<uint32_t>(sourceWidth) + 31u) / 32u) * 4u;
    uint32_t imageSize = probe.biSizeImage ? probe.biSizeImage : stride * static_cast<uint32_t>(sourceHeight);
    if (imageSize < stride * static_cast<uint32_t>(sourceHeight)) imageSize = stride * static_cast<uint32_t>(sourceHeight);

    const uint32_t total = 14 + sizeof header + imageSize;
    app::HeapBlock picture(total);
    uint8_t* bytes = picture.data();
    memset(bytes, 0, total);
    header.biSizeImage = imageSize;
    memcpy(bytes + 14, &header, sizeof header);
    int rows = GetDIBits(screen.get(), source, 0, sourceHeight, bytes + 54, reinterpret_cast<BITMAPINFO*>(bytes + 14),
                         DIB_RGB_COLORS);
    if (previousPalette) SelectPalette(screen.get(), previousPalette, FALSE);
    if (rows != sourceHeight) return app::HeapBlock();
    // GetDIBits may rewrite header fields; the picture's header is fixed.
    memcpy(bytes + 14, &header, sizeof header);
    bytes[0] = 'B';
    bytes[1] = 'M';
    memcpy(bytes + 2, &total, 4);
    const uint32_t offset = 54;
    memcpy(bytes + 10, &offset, 4);
    return picture;
}

void Canvas::paintPicture(HDC dc, int width, int height) const {
    size_t size = 0;
    const uint8_t* file = ui::pictureBytes(description_->pictureResource, &size);
    bool drawn = false;
    if (file && size > 54 && file[0] == 'B' && file[1] == 'M') {
        uint32_t offBits;
        memcpy(&offBits, file + 10, 4);
        const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(file + 14);
        const BITMAPINFOHEADER& header = info->bmiHeader;
        int tileWidth = header.biWidth, tileHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
        uint64_t stride = ((static_cast<uint64_t>(header.biBitCount) * static_cast<uint64_t>(tileWidth) + 31) / 32) * 4;
        if (tileWidth > 0 && tileHeight > 0 && header.biSize >= 40 && offBits < size &&
            size - offBits >= stride * static_cast<uint64_t>(tileHeight)) {
            // What the picture does not cover gets the background colour; then the tiles.
            RECT all = {0, 0, width, height};
            HBRUSH fill = CreateSolidBrush(resolved(backColour_));
            FillRect(dc, &all, fill);
            DeleteObject(fill);
            for (int y = 0; y < height; y += tileHeight) {
                for (int x = 0; x < width; x += tileWidth) {
                    SetDIBitsToDevice(dc, x, y, tileWidth, tileHeight, 0, 0, 0, tileHeight, file + offBits, info,
                                      DIB_RGB_COLORS);
                }
            }
            drawn = true;
        }
    }
    if (!drawn) {
        RECT all = {0, 0, width, height};
        HBRUSH fill = CreateSolidBrush(resolved(backColour_));
        FillRect(dc, &all, fill);
        DeleteObject(fill);
    }
}

void Canvas::onSize() {
    if (!autoRedraw_) return;
    RECT client;
    GetClientRect(window_, &client);
    int width = client.right > 1 ? client.right : 1;
    int height = client.bottom > 1 ? client.bottom : 1;
    WindowDC screen(nullptr);
    GdiObject bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap) return;
    {
        MemoryDC target(screen.get(), static_cast<HBITMAP>(bitmap.get()));
        paintPicture(target.get(), width, height);
        if (backingBitmap_) {
            MemoryDC previous(screen.get(), static_cast<HBITMAP>(backingBitmap_.get()));
            BitBlt(target.get(), 0, 0, bitmapWidth_ < width ? bitmapWidth_ : width,
                   bitmapHeight_ < height ? bitmapHeight_ : height, previous.get(), 0, 0, SRCCOPY);
        }
    }
    backingBitmap_ = std::move(bitmap);
    bitmapWidth_ = width;
    bitmapHeight_ = height;
}

void Canvas::onPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (backingBitmap_) {
        RECT client;
        GetClientRect(window_, &client);
        RECT held = {0, 0, bitmapWidth_, bitmapHeight_};
        RECT area;
        if (IntersectRect(&area, &paint.rcPaint, &client) && IntersectRect(&area, &area, &held)) {
            MemoryDC memory(dc, static_cast<HBITMAP>(backingBitmap_.get()));
            BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.get(), area.left,
                   area.top, SRCCOPY);
        }
    }
    EndPaint(window_, &paint);
}

Canvas* canvasOfWindow(HWND window) { return reinterpret_cast<Canvas*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

LRESULT CALLBACK canvasProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* description = static_cast<const ui::ControlDescription*>(create->lpCreateParams);
        if (!description || !description->canvas) return FALSE;
        void* memory = app::heapAllocate(sizeof(Canvas));
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new (memory) Canvas(window, description)));
        break;
    }
    case WM_NCDESTROY:
        if (Canvas* canvas = canvasOfWindow(window)) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            canvas->~Canvas();
            app::heapRelease(canvas);
        }
        break;
    case WM_SIZE:
        if (Canvas* canvas = canvasOfWindow(window)) canvas->onSize();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (Canvas* canvas = canvasOfWindow(window)) {
            canvas->onPaint();
            return 0;
        }
        break;
    case WM_MOUSEMOVE: {
        int keys = ((wParam & MK_CONTROL) ? 1 : 0) | ((wParam & MK_SHIFT) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
        ui::raiseCanvasMouseMove(window, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), keys);
        break;
    }
    case ui::kCanvasReadProperty:
        if (Canvas* canvas = canvasOfWindow(window)) {
            return canvas->readProperty(*reinterpret_cast<const ui::CanvasPropertyCall*>(lParam));
        }
        return 0;
    case ui::kCanvasWriteProperty:
        if (Canvas* canvas = canvasOfWindow(window)) {
            canvas->writeProperty(*reinterpret_cast<const ui::CanvasPropertyCall*>(lParam));
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

Canvas& canvasOrStop(ui::Control control) {
    HWND window = ui::controlWindow(control);
    Canvas* canvas = window ? canvasOfWindow(window) : nullptr;
    if (!canvas) app::fatalStop("指定窗口或窗口组件不存在或尚未载入", 0);
    return *canvas;
}

}  // namespace

bool registerCanvasClass() {
    WNDCLASSEXA canvasClass = {};
    canvasClass.cbSize = sizeof canvasClass;
    canvasClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    canvasClass.lpfnWndProc = canvasProcedure;
    canvasClass.hInstance = GetModuleHandleA(nullptr);
    canvasClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    canvasClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    canvasClass.lpszClassName = ui::kCanvasClass;
    return RegisterClassExA(&canvasClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

const uint8_t* brushPatternRows(int brushStyle) {
    if (brushStyle < 8 || brushStyle > 55) return kBrushPatterns[52 - 8];
    return kBrushPatterns[brushStyle - 8];
}

void fillRect(ui::Control canvas, int x1, int y1, int x2, int y2) { canvasOrStop(canvas).fillRect(x1, y1, x2, y2); }
void drawLine(ui::Control canvas, int x1, int y1, int x2, int y2) { canvasOrStop(canvas).drawLine(x1, y1, x2, y2); }
void drawText(ui::Control canvas, int x, int y, const char* text) { canvasOrStop(canvas).drawText(x, y, text); }
void drawPixel(ui::Control canvas, int x, int y, uint32_t colour) { canvasOrStop(canvas).drawPixel(x, y, colour); }
uint32_t readPixel(ui::Control canvas, int x, int y) { return canvasOrStop(canvas).readPixel(x, y); }
void drawPixels(ui::Control canvas, const PixelWrite* writes, int count) {
    canvasOrStop(canvas).drawPixels(writes, count);
}
void readPixels(ui::Control canvas, int x, int y, int stepX, int stepY, int count, uint32_t* colours) {
    canvasOrStop(canvas).readPixels(x, y, stepX, stepY, count, colours);
}
app::HeapBlock takePicture(ui::Control canvas, int width, int height) {
    return canvasOrStop(canvas).takePicture(width, height);
}

uint32_t picturePixel(const app::HeapBlock& picture, int x, int y) {
    if (picture.size() < 54) return kInvalidColour;
    int32_t width, height;
    memcpy(&width, picture.data() + 18, 4);
    memcpy(&height, picture.data() + 22, 4);
    if (x < 0 || y < 0 || x >= width || y >= height) return kInvalidColour;
    size_t stride = ((24u * static_cast<uint32_t>(width) + 31u) / 32u) * 4u;
    size_t offset = 54 + stride * static_cast<size_t>(height - 1 - y) + 3u * static_cast<size_t>(x);
    if (offset + 3 > picture.size()) return kInvalidColour;
    const uint8_t* pixel = picture.data() + offset;
    return pixel[2] | (pixel[1] << 8) | (pixel[0] << 16);
}

LOGFONTA canvasFontRecord(ui::Control canvas) { return canvasOrStop(canvas).currentFontRecord(); }

void processPendingEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        if (!GetMessageA(&message, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(message.wParam));  // never take the quit request away from the loop
            return;
        }
        if (app::offerKeyboardCommand(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace render
