// Building MainWindow from its description, focus and keyboard rules, and the input filter.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "ui/description.h"

namespace ui {

struct EventHandlers {
    void (*onMainWindowCreated)() = nullptr;
    void (*onGenerateClicked)() = nullptr;
    void (*onTicketCanvasMouseMove)(int x, int y, int keyState) = nullptr;
};

// Locates the embedded pictures of the description; false when any is missing.
bool loadWindowDescription();
// The stamp picture as BMP file bytes (read-only), or nullptr before loading.
const uint8_t* pictureBytes(int resource, size_t* size);

// Centred place: (screen - window) / 2 on signed integers, truncating toward zero.
POINT centredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Builds MainWindow hidden, raises its creation event, then shows it. False when it could not be made.
bool openWindow(const EventHandlers& handlers);

// Live window handles; nullptr once the window no longer exists.
HWND mainWindow();
HWND controlWindow(Control control);

// The keyboard-command chance of the target window and its parents up to MainWindow:
// Tab and Shift+Tab move the focus; true when the message was taken.
bool takeKeyboardCommand(MSG* message);

// The focus order as it stands now (controls with a tab stop, enabled and shown).
int focusOrder(Control* out, int capacity);

// The mouse-move binding of ticketCanvas; key state: Ctrl 1, Shift 2, Alt 4.
void raiseCanvasMouseMove(HWND canvas, int x, int y, int keyState);
void onTicketCanvasMouseMove(int x, int y, int keyState);

// Destroys MainWindow if it still exists (shut-down).
void releaseWindows();

}  // namespace ui
