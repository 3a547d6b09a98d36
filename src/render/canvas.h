// Ticket rendering: the drawing surface behind the canvas controls of MainWindow.
#pragma once
#include <windows.h>
#include <cstdint>

#include "app/memory.h"
#include "ui/description.h"

namespace render {

// Canvas drawing-state property numbers (read and written through the ui property access).
enum CanvasProperty : int {
    kBackColour = 9,
    kAutoRedraw = 12,
    kUnit = 13,
    kPenStyle = 14,
    kDrawMode = 15,
    kPenWidth = 16,
    kPenColour = 17,
    kBrushStyle = 18,
    kBrushColour = 19,
    kTextColour = 20,
    kTextBackColour = 21,
    kFont = 22,
};
// Sub-indices of the font record.
enum FontField : int {
    kFontAngle = 0,
    kFontBold = 1,
    kFontItalic = 2,
    kFontStrikeOut = 3,
    kFontUnderline = 4,
    kFontSize = 5,
    kFontFace = 6,
};

constexpr uint32_t kInvalidColour = 0xFFFFFFFF;  // CLR_INVALID

// Registers the canvas window class; must run before MainWindow is built.
bool registerCanvasClass();

// The eight rows of an 8 x 8 pattern brush style (8 to 55), most significant bit leftmost.
const uint8_t* brushPatternRows(int brushStyle);

// Drawing operations. Each looks its canvas up among the controls of the open window first; a canvas
// whose window no longer exists ends the process through fatalStop.
void fillRect(ui::Control canvas, int x1, int y1, int x2, int y2);
void drawLine(ui::Control canvas, int x1, int y1, int x2, int y2);
void drawText(ui::Control canvas, int x, int y, const char* text);
void drawPixel(ui::Control canvas, int x, int y, uint32_t colour);
uint32_t readPixel(ui::Control canvas, int x, int y);
// The canvas picture as BMP file bytes; width and height 0 mean the canvas's own size.
app::HeapBlock takePicture(ui::Control canvas, int width = 0, int height = 0);

// The colour (0x00BBGGRR) of pixel (x, y), counted from the top, of a picture's bytes; kInvalidColour
// outside it.
uint32_t picturePixel(const app::HeapBlock& picture, int x, int y);

// Batched forms for pixel-by-pixel work: one device context per call instead of one per pixel.
struct PixelWrite {
    int x, y;
    uint32_t colour;
};
void drawPixels(ui::Control canvas, const PixelWrite* writes, int count);
// readPixel for count points from (x, y) on, stepping (stepX, stepY).
void readPixels(ui::Control canvas, int x, int y, int stepX, int stepY, int count, uint32_t* colours);

// The canvas's current font record (the stored one, else the stock GUI font's description).
LOGFONTA canvasFontRecord(ui::Control canvas);

// Lets pending messages of the thread run; leaves WM_QUIT in the queue for the main loop.
void processPendingEvents();

}  // namespace render
