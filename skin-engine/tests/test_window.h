// A top-level window shaped like the program's main window, plus helpers to load the
// engine and skins, shared by the engine tests and the demo.
#pragma once
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string>
#include <vector>

#include "skin_format.h"

namespace test {

typedef int(__stdcall* AttachFn)(const unsigned char*, int, const char*, int, int, int);

enum ChildId { kButton = 101, kEdit, kGroup, kGroupEdit, kLabel, kCanvas };

// Pixel pattern the unknown-class canvas paints; the skin must never touch it.
inline COLORREF CanvasColor(int x, int y) {
  return ((x / 4 + y / 4) % 2) ? RGB(10, 200, 30) : RGB(250, 5, 120);
}

struct Events {
  int clicks = 0;       // BN_CLICKED from the push button
  COLORREF labelText = CLR_INVALID;  // text colour the label got from its parent
  COLORREF labelFill = CLR_INVALID;  // colour of the brush the label got
};

inline Events& Seen() {
  static Events e;
  return e;
}

inline LRESULT CALLBACK MainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_ERASEBKGND: {
      // Like the program: no class brush, the face colour filled here.
      RECT rc;
      GetClientRect(h, &rc);
      FillRect((HDC)w, &rc, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_COMMAND:
      if (LOWORD(w) == kButton && HIWORD(w) == BN_CLICKED) Seen().clicks++;
      return 0;
  }
  return DefWindowProcA(h, m, w, l);
}

// Paints itself with whatever its parent answers to WM_CTLCOLORSTATIC, like the program's labels.
inline LRESULT CALLBACK LabelProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HBRUSH br = (HBRUSH)SendMessageA(GetParent(h), WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)h);
    RECT rc;
    GetClientRect(h, &rc);
    FillRect(dc, &rc, br ? br : GetSysColorBrush(COLOR_BTNFACE));
    LOGBRUSH lb = {};
    if (br && GetObjectA(br, sizeof lb, &lb)) Seen().labelFill = lb.lbColor;
    Seen().labelText = GetTextColor(dc);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    char text[64];
    GetWindowTextA(h, text, sizeof text);
    DrawTextA(dc, text, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    EndPaint(h, &ps);
    return 0;
  }
  if (m == WM_ERASEBKGND) return 1;
  return DefWindowProcA(h, m, w, l);
}

inline LRESULT CALLBACK CanvasProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT rc;
    GetClientRect(h, &rc);
    for (int y = 0; y < rc.bottom; y += 4)
      for (int x = 0; x < rc.right; x += 4) {
        RECT cell = {x, y, x + 4, y + 4};
        HBRUSH b = CreateSolidBrush(CanvasColor(x, y));
        FillRect(dc, &cell, b);
        DeleteObject(b);
      }
    EndPaint(h, &ps);
    return 0;
  }
  if (m == WM_ERASEBKGND) return 1;
  return DefWindowProcA(h, m, w, l);
}

inline void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSA wc = {};
  wc.hInstance = GetModuleHandleA(0);
  wc.hCursor = LoadCursorA(0, (LPCSTR)IDC_ARROW);
  wc.hIcon = LoadIconA(0, (LPCSTR)IDI_INFORMATION);
  wc.lpfnWndProc = MainProc;
  wc.lpszClassName = "SheTestMain";
  RegisterClassA(&wc);
  wc.hIcon = 0;
  wc.lpfnWndProc = LabelProc;
  wc.lpszClassName = "SheTestLabel";
  RegisterClassA(&wc);
  wc.lpfnWndProc = CanvasProc;
  wc.lpszClassName = "SheTestCanvas";
  RegisterClassA(&wc);
}

struct TestWindow {
  HWND main = 0, button = 0, edit = 0, group = 0, groupEdit = 0, label = 0, canvas = 0;

  explicit TestWindow(int x = 40, int y = 40, const char* title = "Skin test") {
    RegisterClasses();
    HINSTANCE inst = GetModuleHandleA(0);
    main = CreateWindowExA(0, "SheTestMain", title,
                           WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y,
                           406, 246, 0, 0, inst, 0);
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    auto child = [&](DWORD ex, const char* cls, const char* text, DWORD style, int cx, int cy,
                     int cw, int ch, HWND parent, int id) {
      HWND c = CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, cx, cy, cw, ch,
                               parent, (HMENU)(INT_PTR)id, inst, 0);
      SendMessageA(c, WM_SETFONT, (WPARAM)font, 0);
      return c;
    };
    button = child(0, "Button", "OK", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 90, 28, main, kButton);
    edit = child(WS_EX_CLIENTEDGE, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, 110, 12, 150, 24,
                 main, kEdit);
    group = child(0, "Button", "Group", BS_GROUPBOX, 10, 56, 250, 120, main, kGroup);
    groupEdit = child(WS_EX_CLIENTEDGE, "Edit", "inside", ES_AUTOHSCROLL, 12, 30, 150, 24, group,
                      kGroupEdit);
    label = child(0, "SheTestLabel", "Label", 0, 272, 12, 110, 22, main, kLabel);
    canvas = child(0, "SheTestCanvas", "", 0, 272, 56, 100, 80, main, kCanvas);
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    UpdateWindow(main);
  }
  ~TestWindow() {
    if (IsWindow(main)) DestroyWindow(main);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  uint8_t buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(f);
  return out;
}

inline std::string SkinPath(int n) {
  char name[32];
  snprintf(name, sizeof name, "/skin%02d.she", n);
  return std::string(SKINS_DIR) + name;
}

inline std::vector<uint8_t> SkinBytes(int n) { return ReadBytes(SkinPath(n)); }

inline void Pump() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, 0, FALSE, 5, QS_ALLINPUT);
  }
}

}  // namespace test
