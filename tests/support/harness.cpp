// Helpers shared by the test suites.
#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/lifecycle.h"
#include "render/canvas.h"

namespace harness {

void pump(int milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (app::offerKeyboardCommand(&message)) continue;  // as the program's loop does
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (static_cast<int>(GetTickCount() - start) < milliseconds);
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMilliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (static_cast<int>(GetTickCount() - start) >= timeoutMilliseconds) return condition();
        pump(10);
    }
}

OpenMainWindow::OpenMainWindow(const ui::EventHandlers& handlers) {
    ui::loadWindowDescription();
    render::registerCanvasClass();
    DWORD t0 = GetTickCount();
    opened_ = ui::openWindow(handlers);
    DWORD t1 = GetTickCount();
    if (opened_) waitUntil([] { return ui::mainWindow() && IsWindowVisible(ui::mainWindow()); }, 3000);
    pump(100);
    if (getenv("TANDREL_TIMING")) printf("open %lu wait %lu\n", t1 - t0, GetTickCount() - t1);
}

OpenMainWindow::~OpenMainWindow() {
    DWORD t0 = GetTickCount();
    if (ui::mainWindow()) DestroyWindow(ui::mainWindow());
    pump(20);
    if (getenv("TANDREL_TIMING")) printf("close %lu\n", GetTickCount() - t0);
}

void bringToFront(HWND window) {
    RECT outer;
    GetWindowRect(window, &outer);
    clickAt(outer.left + 60, outer.top + 10);  // the caption bar, away from its buttons
    SetForegroundWindow(window);
    waitUntil([window] { return GetForegroundWindow() == window; }, 2000);
    pump(50);
}

namespace {
void sendKeyEvent(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}
}  // namespace

void pressKey(WORD virtualKey, bool shift, bool control) {
    if (control) sendKeyEvent(VK_CONTROL, false);
    if (shift) sendKeyEvent(VK_SHIFT, false);
    sendKeyEvent(virtualKey, false);
    sendKeyEvent(virtualKey, true);
    if (shift) sendKeyEvent(VK_SHIFT, true);
    if (control) sendKeyEvent(VK_CONTROL, true);
    pump(60);
}

void typeText(const char* ascii) {
    for (const char* p = ascii; *p; ++p) {
        SHORT scan = VkKeyScanA(*p);
        pressKey(LOBYTE(scan), (HIBYTE(scan) & 1) != 0);
    }
}

void clickAt(int screenX, int screenY) {
    SetCursorPos(screenX, screenY);
    INPUT inputs[2] = {};
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(screenX, 65535, width - 1);
        input.mi.dy = MulDiv(screenY, 65535, height - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(2, inputs, sizeof(INPUT));
    pump(80);
}

std::string binaryDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path);
    return full.substr(0, full.find_last_of('\\'));
}

std::string freshDirectory(const char* tag) {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%standrel-%s-%lu-%d", base, tag, GetCurrentProcessId(), ++counter);
    CreateDirectoryA(name, nullptr);
    return name;
}

namespace {

struct ProcessWindows {
    DWORD processId;
    HWND errorBox = nullptr;
    HWND mainWindow = nullptr;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<ProcessWindows*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != found->processId || !IsWindowVisible(window)) return TRUE;
    char title[64] = {}, className[64] = {};
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, className, sizeof className);
    if (strcmp(title, "错误") == 0 && strcmp(className, "#32770") == 0) found->errorBox = window;
    if (strcmp(className, ui::kMainWindowClass) == 0) found->mainWindow = window;
    return TRUE;
}

std::string messageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    char buffer[2048] = {};
    DWORD_PTR result = 0;
    if (text) SendMessageTimeoutA(text, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &result);
    return buffer;
}

}  // namespace

ProcessOutcome runProcess(const std::string& commandLine, const std::string& workingDirectory, int closeAfterMs,
                          int timeoutMs) {
    ProcessOutcome outcome;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process)) {
        return outcome;
    }
    DWORD start = GetTickCount();
    DWORD mainSeenAt = 0;
    bool closeSent = false;
    while (WaitForSingleObject(process.hProcess, 30) == WAIT_TIMEOUT) {
        ProcessWindows windows{process.dwProcessId};
        EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
        if (windows.errorBox && outcome.errorBoxText.empty()) {
            Sleep(100);
            outcome.errorBoxText = messageBoxText(windows.errorBox);
            PostMessageA(windows.errorBox, WM_COMMAND, IDOK, 0);
        }
        if (windows.mainWindow) {
            outcome.windowShown = true;
            if (!mainSeenAt) mainSeenAt = GetTickCount();
            if (closeAfterMs >= 0 && !closeSent && static_cast<int>(GetTickCount() - mainSeenAt) >= closeAfterMs) {
                PostMessageA(windows.mainWindow, WM_CLOSE, 0, 0);
                closeSent = true;
            }
        }
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) {
            outcome.timedOut = true;
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
    }
    outcome.finished = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

}  // namespace harness

namespace harness {

int pictureWidth(const app::HeapBlock& picture) {
    if (picture.size() < 54) return 0;
    int32_t width;
    memcpy(&width, picture.data() + 18, 4);
    return width;
}

int pictureHeight(const app::HeapBlock& picture) {
    if (picture.size() < 54) return 0;
    int32_t height;
    memcpy(&height, picture.data() + 22, 4);
    return height;
}

uint32_t picturePixel(const app::HeapBlock& picture, int x, int y) { return render::picturePixel(picture, x, y); }

bool writeFile(const std::string& path, const void* bytes, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

}  // namespace harness

namespace harness {

DWORD gdiObjects() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count) return count;
    for (ULONG_PTR i = 1; i < 0x10000; ++i) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++count;
    }
    return count;
}

DWORD userObjects() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (count) return count;
    for (ULONG_PTR i = 0x20; i < 0x10000; i += 2) {
        if (IsWindow(reinterpret_cast<HWND>(i))) ++count;
    }
    return count;
}

}  // namespace harness
