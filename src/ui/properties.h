// Numbered control properties: how other subsystems read and change the controls.
#pragma once
#include <windows.h>
#include <cstdint>

#include "app/memory.h"
#include "ui/description.h"

namespace ui {

enum PropertyNumber : int {
    kLeft = 0,
    kTop = 1,
    kWidth = 2,
    kHeight = 3,
    kVisible = 5,
    kText = 8,
};
constexpr int32_t kLargestExtent = 32627;

int32_t readProperty(Control control, int number, int subIndex = -1);
void writeProperty(Control control, int number, int subIndex, int32_t value);
// Text-valued properties (an edit box's text, a canvas font's face); the result belongs to the caller.
app::Text readTextProperty(Control control, int number, int subIndex = -1);
void writeTextProperty(Control control, int number, int subIndex, const char* text);

// The kept values of properties 0 to 7, which answer once a control's window is gone.
void resetStoredProperties(int mainLeft, int mainTop);

// How property numbers from 9 up reach a canvas: a message to its window carrying this call.
struct CanvasPropertyCall {
    int number;
    int subIndex;
    int32_t value;
    const char* text;          // text writes; nullptr otherwise
    app::Text* textResult;     // text reads; nullptr otherwise
};
constexpr UINT kCanvasReadProperty = WM_APP + 0x341;   // returns the value
constexpr UINT kCanvasWriteProperty = WM_APP + 0x342;

}  // namespace ui
