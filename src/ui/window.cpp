// Main window subsystem: MainWindow built from its description, focus order, keys and input filter.
#include "ui/window.h"

#include "app/lifecycle.h"
#include "ui/properties.h"

namespace ui {
namespace {

HWND gMainWindow = nullptr;
HWND gControls[kControlCount] = {};
EventHandlers gHandlers;
HICON gSmallIcon = nullptr;
HICON gLargeIcon = nullptr;
HWND gRememberedFocus = nullptr;
WNDPROC gEditProcedure = nullptr;

struct Picture {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
};
Picture gStampPicture;

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

Picture findPicture(int resource) {
    HMODULE module = instance();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

bool isControlOfMainWindow(HWND window) {
    return window && gMainWindow && (window == gMainWindow || IsChild(gMainWindow, window));
}

void focusFirstOrRemembered() {
    HWND target = nullptr;
    if (gRememberedFocus && IsWindow(gRememberedFocus) && IsChild(gMainWindow, gRememberedFocus) &&
        IsWindowVisible(gRememberedFocus) && IsWindowEnabled(gRememberedFocus)) {
        target = gRememberedFocus;
    } else {
        Control order[kControlCount];
        if (focusOrder(order, kControlCount) > 0) target = gControls[indexOf(order[0])];
    }
    if (target) SetFocus(target);
}

void moveFocus(bool backwards) {
    Control order[kControlCount];
    int count = focusOrder(order, kControlCount);
    if (count == 0) return;
    HWND focused = GetFocus();
    int current = -1;
    for (int i = 0; i < count; ++i) {
        HWND control = gControls[indexOf(order[i])];
        if (focused == control || IsChild(control, focused)) current = i;
    }
    int next;
    if (current < 0) {
        next = backwards ? count - 1 : 0;
    } else {
        next = backwards ? (current + count - 1) % count : (current + 1) % count;
    }
    SetFocus(gControls[indexOf(order[next])]);
}

LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam &&
            reinterpret_cast<HWND>(lParam) == gControls[indexOf(Control::generateButton)] &&
            gHandlers.onGenerateClicked) {
            gHandlers.onGenerateClicked();
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focused = GetFocus();
            if (focused && IsChild(window, focused)) gRememberedFocus = focused;
        }
        break;
    case WM_SETFOCUS:
        focusFirstOrRemembered();
        return 0;
    case WM_NCDESTROY:
        gMainWindow = nullptr;
        for (HWND& control : gControls) control = nullptr;
        gRememberedFocus = nullptr;
        if (gSmallIcon) DestroyIcon(gSmallIcon);
        if (gLargeIcon && gLargeIcon != gSmallIcon) DestroyIcon(gLargeIcon);
        gSmallIcon = gLargeIcon = nullptr;
        app::systemWindowDestroyed();
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Labels paint like static text, asking their parent for the colours so a skin can restyle them.
LRESULT CALLBACK labelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        SetWindowLongPtrA(window, 0, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrA(window, 0);
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        SetTextColor(dc, RGB(0, 0, 0));
        HBRUSH brush = reinterpret_cast<HBRUSH>(
            SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
        FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrA(window, 0));
        HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        char text[256];
        int length = GetWindowTextA(window, text, sizeof text);
        DrawTextA(dc, text, length, &client, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
        SelectObject(dc, previous);
        EndPaint(window, &paint);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// groupNumberEdit takes digits and '-' among the printable characters; control characters
// (Backspace, Ctrl+V and the like) pass, and pasted text is not filtered.
LRESULT CALLBACK groupNumberFilterProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR || message == WM_IME_CHAR) {
        WPARAM code = message == WM_CHAR ? (wParam & 0xFF) : wParam;
        bool allowed = code < 0x20 || (code >= '0' && code <= '9') || code == '-';
        if (!allowed) return 0;
    }
    return CallWindowProcA(gEditProcedure, window, message, wParam, lParam);
}

bool registerClasses() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = kMainWindow.classStyle;
    windowClass.lpfnWndProc = mainWindowProcedure;
    windowClass.hInstance = instance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    WNDCLASSEXA labelClass = {};
    labelClass.cbSize = sizeof labelClass;
    labelClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    labelClass.lpfnWndProc = labelProcedure;
    labelClass.cbWndExtra = sizeof(LONG_PTR);
    labelClass.hInstance = instance();
    labelClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    labelClass.lpszClassName = kLabelClass;
    if (!RegisterClassExA(&labelClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    return true;
}

struct KindStyle {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

KindStyle styleOf(const ControlDescription& control) {
    switch (control.kind) {
    case ControlKind::editBox:
        return {"EDIT", WS_CHILD | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::label:
        return {kLabelClass, WS_CHILD, 0};
    case ControlKind::groupBox:
        return {"BUTTON", WS_CHILD | BS_GROUPBOX | BS_LEFT, 0};
    case ControlKind::pushButton:
        return {"BUTTON", WS_CHILD | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0};
    case ControlKind::canvas:
        return {kCanvasClass, WS_CHILD, 0};
    }
    return {"STATIC", WS_CHILD, 0};
}

HWND parentWindowOf(const ControlDescription& control) {
    return control.parent == Control::mainWindow ? gMainWindow : gControls[indexOf(control.parent)];
}

// An edit box lower than the text "吴" plus two 3-D edges is made that tall; its width stays.
void applyMinimumEditHeight(HWND edit, const ControlDescription& control) {
    HDC dc = GetDC(edit);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, "吴", 2, &extent);
    SelectObject(dc, previous);
    ReleaseDC(edit, dc);
    int minimum = extent.cy + 2 * GetSystemMetrics(SM_CYEDGE);
    if (control.height < minimum) {
        SetWindowPos(edit, nullptr, 0, 0, control.width, minimum, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool createControls() {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // Parents come later in the table than their children, so build from the last row up.
    for (int row = kControlCount - 1; row >= 0; --row) {
        const ControlDescription& control = kControls[row];
        KindStyle kind = styleOf(control);
        DWORD style = kind.style | (control.tabStop ? WS_TABSTOP : 0);
        HWND window = CreateWindowExA(kind.exStyle, kind.className, control.text ? control.text : "", style,
                                      control.left, control.top, control.width, control.height,
                                      parentWindowOf(control), reinterpret_cast<HMENU>(static_cast<INT_PTR>(row + 1)),
                                      instance(), const_cast<ControlDescription*>(&control));
        if (!window) return false;
        gControls[row] = window;
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (control.kind == ControlKind::editBox) {
            SendMessageA(window, EM_SETLIMITTEXT, 0, 0);
            SendMessageA(window, EM_SETSEL, 0, 0);
            applyMinimumEditHeight(window, control);
            if (control.id == Control::groupNumberEdit) {
                gEditProcedure = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(groupNumberFilterProcedure)));
            }
        }
    }
    // Stack each parent's controls in table order, the earliest row on top.
    HWND previousOfParent[kControlCount + 1] = {};
    for (int row = 0; row < kControlCount; ++row) {
        const ControlDescription& control = kControls[row];
        int parentSlot = control.parent == Control::mainWindow ? kControlCount : indexOf(control.parent);
        HWND after = previousOfParent[parentSlot] ? previousOfParent[parentSlot] : HWND_TOP;
        SetWindowPos(gControls[row], after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previousOfParent[parentSlot] = gControls[row];
    }
    for (int row = 0; row < kControlCount; ++row) {
        if (kControls[row].shownAtStart) ShowWindow(gControls[row], SW_SHOWNA);
    }
    return true;
}

void setIcons() {
    // Both window icons come from the 16 x 16 image.
    gSmallIcon = static_cast<HICON>(LoadImageA(instance(), "DEFAULT_ICON", IMAGE_ICON, 16, 16, 0));
    gLargeIcon = static_cast<HICON>(LoadImageA(instance(), "DEFAULT_ICON", IMAGE_ICON, 16, 16, 0));
    SendMessageA(gMainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gSmallIcon));
    SendMessageA(gMainWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(gLargeIcon));
}

}  // namespace

bool loadWindowDescription() {
    gStampPicture = findPicture(describe(Control::stampCanvas).pictureResource);
    HRSRC icon = FindResourceA(instance(), "DEFAULT_ICON", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    return gStampPicture.bytes && gStampPicture.size > 54 && icon;
}

const uint8_t* pictureBytes(int resource, size_t* size) {
    if (resource != 0 && resource == describe(Control::stampCanvas).pictureResource && gStampPicture.bytes) {
        *size = gStampPicture.size;
        return gStampPicture.bytes;
    }
    *size = 0;
    return nullptr;
}

POINT centredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    // C++ division of signed integers truncates toward zero, as the centring rule wants.
    return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

bool openWindow(const EventHandlers& handlers) {
    if (gMainWindow) return false;  // one window, and no way to open a second
    gHandlers = handlers;
    if (!registerClasses()) return false;
    POINT origin = {kMainWindow.storedLeft, kMainWindow.storedTop};
    if (kMainWindow.positionMode == 1) {
        origin = centredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), kMainWindow.width,
                               kMainWindow.height);
    }
    gMainWindow = CreateWindowExA(kMainWindow.exStyle, kMainWindowClass, kMainWindow.caption, kMainWindow.style,
                                  origin.x, origin.y, kMainWindow.width, kMainWindow.height, nullptr, nullptr,
                                  instance(), nullptr);
    if (!gMainWindow) return false;
    app::systemWindowCreated();
    app::setWindowReleaser(releaseWindows);
    app::setKeyboardCommandFilter(takeKeyboardCommand);
    resetStoredProperties(origin.x, origin.y);

    RECT outer;
    GetWindowRect(gMainWindow, &outer);
    if (outer.right - outer.left != kMainWindow.width || outer.bottom - outer.top != kMainWindow.height) {
        SetWindowPos(gMainWindow, nullptr, origin.x, origin.y, kMainWindow.width, kMainWindow.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    setIcons();
    SendMessageA(gMainWindow, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (!createControls()) {
        DestroyWindow(gMainWindow);
        return false;
    }
    if (gHandlers.onMainWindowCreated) gHandlers.onMainWindowCreated();
    if (gMainWindow && IsWindow(gMainWindow) && kMainWindow.shownAtStart) ShowWindow(gMainWindow, SW_SHOW);
    return true;
}

HWND mainWindow() { return gMainWindow && IsWindow(gMainWindow) ? gMainWindow : nullptr; }

HWND controlWindow(Control control) {
    if (control == Control::mainWindow) return mainWindow();
    if (indexOf(control) < 0 || indexOf(control) >= kControlCount) return nullptr;
    HWND window = gControls[indexOf(control)];
    return window && IsWindow(window) ? window : nullptr;
}

int focusOrder(Control* out, int capacity) {
    int count = 0;
    // Lowest tab-order key first; equal keys by descending table row.
    for (int key = 0; key <= 0; ++key) {
        for (int row = kControlCount - 1; row >= 0; --row) {
            const ControlDescription& control = kControls[row];
            HWND window = gControls[row];
            if (control.tabKey != key || !window) continue;
            LONG style = GetWindowLongA(window, GWL_STYLE);
            if (!(style & WS_TABSTOP) || !IsWindowEnabled(window) || !IsWindowVisible(window)) continue;
            if (count < capacity) out[count++] = control.id;
        }
    }
    return count;
}

bool takeKeyboardCommand(MSG* message) {
    if (!gMainWindow || !isControlOfMainWindow(message->hwnd)) return false;
    if (message->message == WM_KEYDOWN && message->wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 &&
        GetKeyState(VK_MENU) >= 0) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if ((message->message == WM_CHAR && message->wParam == '\t')) return true;  // no tab character lands in a box
    return false;
}

void raiseCanvasMouseMove(HWND canvas, int x, int y, int keyState) {
    if (canvas == gControls[indexOf(Control::ticketCanvas)] && gHandlers.onTicketCanvasMouseMove) {
        gHandlers.onTicketCanvasMouseMove(x, y, keyState);
    }
}

void onTicketCanvasMouseMove(int x, int y, int keyState) {
    // Bound to the canvas but with nothing to do; the mouse message takes its ordinary course.
    (void)x;
    (void)y;
    (void)keyState;
}

void releaseWindows() {
    if (mainWindow()) DestroyWindow(gMainWindow);
}

}  // namespace ui
