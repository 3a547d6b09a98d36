// Shared helpers for the Wine test suites: message pumping, the real window, real input, processes.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "ui/window.h"

namespace harness {

// Dispatches messages of this thread for the given time.
void pump(int milliseconds);
// Pumps until the condition holds or the time runs out; returns the condition's last value.
bool waitUntil(const std::function<bool()>& condition, int timeoutMilliseconds = 3000);

// MainWindow opened in this process for one test, closed again at the end.
class OpenMainWindow {
public:
    explicit OpenMainWindow(const ui::EventHandlers& handlers = ui::EventHandlers());
    ~OpenMainWindow();
    OpenMainWindow(const OpenMainWindow&) = delete;
    OpenMainWindow& operator=(const OpenMainWindow&) = delete;
    HWND window() const { return ui::mainWindow(); }
    bool opened() const { return opened_; }

private:
    bool opened_ = false;
};

// Makes the window the foreground one with a real click on its caption area, as a user would.
void bringToFront(HWND window);

// Real key input through SendInput, then pumping until it has been handled.
void pressKey(WORD virtualKey, bool shift = false, bool control = false);
void typeText(const char* ascii);

// A real mouse click at a screen point.
void clickAt(int screenX, int screenY);

// The directory of the running test executable (where the program and probes are built).
std::string binaryDirectory();
// A fresh empty directory under the system's temporary folder.
std::string freshDirectory(const char* tag);

struct ProcessOutcome {
    DWORD exitCode = 0;
    bool finished = false;
    std::string errorBoxText;   // the text of a "错误" message box the process showed, if any
    bool windowShown = false;   // a visible top-level window of the process was seen
    bool timedOut = false;
};
// Runs a program, answers an error box with OK (recording its text), and, when closeAfterMs >= 0,
// closes the process's main window that long after it appeared.
ProcessOutcome runProcess(const std::string& commandLine, const std::string& workingDirectory,
                          int closeAfterMs = -1, int timeoutMs = 20000);

}  // namespace harness

#include <cstdint>
#include "app/memory.h"

namespace harness {
// The colour (0x00BBGGRR) of pixel (x, y), top-down, of a 24-bit BMP file image; 0xFFFFFFFF outside.
uint32_t picturePixel(const app::HeapBlock& picture, int x, int y);
int pictureWidth(const app::HeapBlock& picture);
int pictureHeight(const app::HeapBlock& picture);
// Writes bytes to a file; true on success.
bool writeFile(const std::string& path, const void* bytes, size_t size);
}  // namespace harness

namespace harness {
// Live GDI and USER objects of this process. Wine answers GetGuiResources with 0, so there the GDI
// handle table is walked (a handle with upper word 0 matches any live entry) and windows are counted.
DWORD gdiObjects();
DWORD userObjects();
}  // namespace harness
