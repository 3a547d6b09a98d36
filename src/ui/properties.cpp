// Property access by number for MainWindow and its controls.
#include "ui/properties.h"

#include "app/fatal.h"
#include "ui/window.h"

namespace ui {
namespace {

struct StoredPlace {
    int32_t left, top, width, height;
    bool visible;
};
StoredPlace gStored[kControlCount + 1];

StoredPlace& storedOf(Control control) {
    return gStored[control == Control::mainWindow ? kControlCount : indexOf(control)];
}

bool validControl(Control control) {
    return control == Control::mainWindow || (indexOf(control) >= 0 && indexOf(control) < kControlCount);
}

int32_t clampExtent(int32_t value) {
    if (value > kLargestExtent) return kLargestExtent;
    if (value < 0) return 0;
    return value;
}

RECT placeInParent(HWND window) {
    RECT outer;
    GetWindowRect(window, &outer);
    HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&outer), 2);
    return outer;
}

// Properties from 8 up need the live window; their absence is fatal.
HWND liveWindowOrStop(Control control) {
    HWND window = validControl(control) ? controlWindow(control) : nullptr;
    if (!window) app::fatalStop("指定窗口尚未载入", 0);
    return window;
}

bool isCanvas(Control control) {
    return control != Control::mainWindow && describe(control).kind == ControlKind::canvas;
}

}  // namespace

void resetStoredProperties(int mainLeft, int mainTop) {
    for (const ControlDescription& control : kControls) {
        gStored[indexOf(control.id)] = {control.left, control.top, control.width, control.height, control.shownAtStart};
    }
    gStored[kControlCount] = {mainLeft, mainTop, kMainWindow.width, kMainWindow.height, kMainWindow.shownAtStart};
}

int32_t readProperty(Control control, int number, int subIndex) {
    if (number >= kText) {
        HWND window = liveWindowOrStop(control);
        if (isCanvas(control)) {
            CanvasPropertyCall call = {number, subIndex, 0, nullptr, nullptr};
            return static_cast<int32_t>(SendMessageA(window, kCanvasReadProperty, 0, reinterpret_cast<LPARAM>(&call)));
        }
        return 0;
    }
    if (!validControl(control)) return 0;
    HWND window = controlWindow(control);
    if (!window) {
        const StoredPlace& stored = storedOf(control);
        switch (number) {
        case kLeft: return stored.left;
        case kTop: return stored.top;
        case kWidth: return stored.width;
        case kHeight: return stored.height;
        case kVisible: return stored.visible ? 1 : 0;
        default: return 0;
        }
    }
    RECT place = placeInParent(window);
    switch (number) {
    case kLeft: return place.left;
    case kTop: return place.top;
    case kWidth: return place.right - place.left;
    case kHeight: return place.bottom - place.top;
    case kVisible: return IsWindowVisible(window) ? 1 : 0;
    default: return 0;
    }
}

void writeProperty(Control control, int number, int subIndex, int32_t value) {
    if (number >= kText) {
        HWND window = liveWindowOrStop(control);
        if (isCanvas(control)) {
            CanvasPropertyCall call = {number, subIndex, value, nullptr, nullptr};
            SendMessageA(window, kCanvasWriteProperty, 0, reinterpret_cast<LPARAM>(&call));
        }
        return;
    }
    if (!validControl(control)) return;
    StoredPlace& stored = storedOf(control);
    if (number == kWidth || number == kHeight) value = clampExtent(value);
    switch (number) {
    case kLeft: stored.left = value; break;
    case kTop: stored.top = value; break;
    case kWidth: stored.width = value; break;
    case kHeight: stored.height = value; break;
    case kVisible: stored.visible = value != 0; break;
    default: return;
    }
    HWND window = controlWindow(control);
    if (!window) return;  // a gone window only keeps the value
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
    RECT place = placeInParent(window);
    switch (number) {
    case kLeft:
        SetWindowPos(window, nullptr, value, place.top, 0, 0, keep | SWP_NOSIZE);
        break;
    case kTop:
        SetWindowPos(window, nullptr, place.left, value, 0, 0, keep | SWP_NOSIZE);
        break;
    case kWidth:
        SetWindowPos(window, nullptr, 0, 0, value, place.bottom - place.top, keep | SWP_NOMOVE);
        break;
    case kHeight:
        SetWindowPos(window, nullptr, 0, 0, place.right - place.left, value, keep | SWP_NOMOVE);
        break;
    case kVisible:
        ShowWindow(window, value ? SW_SHOW : SW_HIDE);
        break;
    }
}

app::Text readTextProperty(Control control, int number, int subIndex) {
    HWND window = liveWindowOrStop(control);
    if (number == kText && !isCanvas(control)) {
        int length = GetWindowTextLengthA(window);
        app::HeapBlock buffer(static_cast<size_t>(length) + 1);
        int got = GetWindowTextA(window, reinterpret_cast<char*>(buffer.data()), length + 1);
        return app::Text::copyOf(reinterpret_cast<const char*>(buffer.data()), got > 0 ? static_cast<size_t>(got) : 0);
    }
    app::Text result;
    if (isCanvas(control) && number > kText) {
        CanvasPropertyCall call = {number, subIndex, 0, nullptr, &result};
        SendMessageA(window, kCanvasReadProperty, 0, reinterpret_cast<LPARAM>(&call));
    }
    return result;
}

void writeTextProperty(Control control, int number, int subIndex, const char* text) {
    HWND window = liveWindowOrStop(control);
    if (number == kText && !isCanvas(control)) {
        SetWindowTextA(window, text ? text : "");
        return;
    }
    if (isCanvas(control) && number > kText) {
        CanvasPropertyCall call = {number, subIndex, 0, text ? text : "", nullptr};
        SendMessageA(window, kCanvasWriteProperty, 0, reinterpret_cast<LPARAM>(&call));
    }
}

}  // namespace ui
