// SkinH_EL: restyles the windows of the calling thread from a ".SHE" skin block.
//
// Top-level captioned windows get their non-client area painted here (caption, icon,
// buttons, frame) and a skin background; push buttons, group boxes and edit borders are
// painted here too; every other control is coloured through the WM_CTLCOLOR* replies of
// its subclassed parent. Windows of classes we do not know are never subclassed.
#include <windows.h>
#include <commctrl.h>

#include "skin_format.h"

namespace {

const UINT_PTR kSubclassId = 0x5348454Cu;

enum Kind { kFrame = 1, kPushButton, kGroupBox, kEdit, kPanel };

struct WinData {
  HWND hwnd;
  int kind;
  bool active;     // caption drawn active
  bool tracking;   // a caption button holds the mouse capture
  bool hot;        // push button under the mouse
  int capHot;      // caption button under the mouse (HT code) or 0
  int capPressed;  // caption button drawn pressed (HT code) or 0
  int capTracked;  // caption button that got the mouse down
};

struct Engine {
  bool hasSkin;
  she::Skin skin;  // skin.tile points at `tile`, our own copy
  uint8_t* tile;
  HBRUSH background;
  HBRUSH editBackground;
  HFONT captionFont;
  HHOOK hook;
  DWORD hookThread;
  WinData** windows;
  int count, capacity;
};

Engine g;

COLORREF C(int role) { return g.skin.color[role]; }
int M(int metric) { return g.skin.metric[metric]; }

COLORREF Mix(COLORREF a, COLORREF b, int t256) {
  int r = GetRValue(a) + ((GetRValue(b) - GetRValue(a)) * t256) / 256;
  int gg = GetGValue(a) + ((GetGValue(b) - GetGValue(a)) * t256) / 256;
  int bb = GetBValue(a) + ((GetBValue(b) - GetBValue(a)) * t256) / 256;
  return RGB(r, gg, bb);
}
COLORREF Lighter(COLORREF c, int t256) { return Mix(c, RGB(255, 255, 255), t256); }
COLORREF Darker(COLORREF c, int t256) { return Mix(c, RGB(0, 0, 0), t256); }

// ---------------------------------------------------------------------------
// Bookkeeping of subclassed windows.

LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

int FindWindowIndex(HWND h) {
  for (int i = 0; i < g.count; ++i)
    if (g.windows[i]->hwnd == h) return i;
  return -1;
}

bool Remember(WinData* d) {
  if (g.count == g.capacity) {
    int cap = g.capacity ? g.capacity * 2 : 32;
    HANDLE heap = GetProcessHeap();
    void* p = g.windows ? HeapReAlloc(heap, 0, g.windows, cap * sizeof(WinData*))
                        : HeapAlloc(heap, 0, cap * sizeof(WinData*));
    if (!p) return false;
    g.windows = (WinData**)p;
    g.capacity = cap;
  }
  g.windows[g.count++] = d;
  return true;
}

void Forget(WinData* d) {
  int i = FindWindowIndex(d->hwnd);
  if (i >= 0) g.windows[i] = g.windows[--g.count];
  HeapFree(GetProcessHeap(), 0, d);
}

bool ClassIs(const char* cls, const char* name) { return lstrcmpiA(cls, name) == 0; }

int Classify(HWND h, LONG style) {
  char cls[64];
  if (!GetClassNameA(h, cls, sizeof cls)) return 0;
  if (!(style & WS_CHILD)) {
    // Overlapped windows always get a caption from the system.
    if (!(style & WS_POPUP)) style |= WS_CAPTION;
    if ((style & WS_CAPTION) != WS_CAPTION) return 0;
    if (ClassIs(cls, "#32768") || ClassIs(cls, "tooltips_class32")) return 0;
    return kFrame;
  }
  if (ClassIs(cls, "Button")) {
    LONG type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return kPushButton;
    if (type == BS_GROUPBOX) return kGroupBox;
    return 0;
  }
  if (ClassIs(cls, "Edit")) return kEdit;
  if (ClassIs(cls, "#32770")) return kPanel;
  return 0;
}

// With desktop composition Windows draws captions itself and ignores ours; ask it not to.
// dwmapi is looked up at run time so the DLL still loads where it does not exist.
void DisableCompositedFrame(HWND h) {
  typedef HRESULT(WINAPI * SetAttr)(HWND, DWORD, LPCVOID, DWORD);
  static SetAttr set = 0;
  static bool looked = false;
  if (!looked) {
    looked = true;
    HMODULE dwm = LoadLibraryA("dwmapi.dll");
    if (dwm) set = (SetAttr)(void*)GetProcAddress(dwm, "DwmSetWindowAttribute");
  }
  if (set) {
    const DWORD kNcRenderingPolicy = 2, kDisabled = 1;
    set(h, kNcRenderingPolicy, &kDisabled, sizeof kDisabled);
  }
}

void Attach(HWND h, LONG style) {
  int kind = Classify(h, style);
  if (!kind || FindWindowIndex(h) >= 0) return;
  WinData* d = (WinData*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WinData));
  if (!d) return;
  d->hwnd = h;
  d->kind = kind;
  d->active = kind == kFrame && GetActiveWindow() == h;
  if (!Remember(d)) {
    HeapFree(GetProcessHeap(), 0, d);
    return;
  }
  if (!SetWindowSubclass(h, SubclassProc, kSubclassId, (DWORD_PTR)d)) {
    g.count--;
    HeapFree(GetProcessHeap(), 0, d);
    return;
  }
  if (kind == kFrame) DisableCompositedFrame(h);
}

// ---------------------------------------------------------------------------
// Drawing helpers.

void FillColor(HDC dc, const RECT& r, COLORREF c) {
  SetDCBrushColor(dc, c);
  FillRect(dc, &r, (HBRUSH)GetStockObject(DC_BRUSH));
}

void FrameColor(HDC dc, const RECT& r, COLORREF c) {
  SetDCBrushColor(dc, c);
  FrameRect(dc, &r, (HBRUSH)GetStockObject(DC_BRUSH));
}

// A memory canvas: a top-down 32-bit DIB selected into its own DC.
struct Canvas {
  HDC dc;
  HBITMAP bmp, old;
  DWORD* bits;
  int w, h;

  bool Open(HDC ref, int width, int height) {
    w = width;
    h = height;
    dc = 0;
    bmp = 0;
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = 0;
    bmp = CreateDIBSection(ref, &bi, DIB_RGB_COLORS, &p, 0, 0);
    if (!bmp) return false;
    dc = CreateCompatibleDC(ref);
    if (!dc) {
      DeleteObject(bmp);
      bmp = 0;
      return false;
    }
    bits = (DWORD*)p;
    old = (HBITMAP)SelectObject(dc, bmp);
    return true;
  }
  void Close() {
    if (dc) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bmp) DeleteObject(bmp);
  }
};

HFONT CaptionFont() {
  if (!g.captionFont) {
    NONCLIENTMETRICSW ncm;
    ZeroMemory(&ncm, sizeof ncm);
    ncm.cbSize = sizeof ncm;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
      ncm.cbSize = sizeof ncm - sizeof ncm.iPaddedBorderWidth;
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0);
    }
    ncm.lfCaptionFont.lfWeight = FW_BOLD;
    g.captionFont = CreateFontIndirectW(&ncm.lfCaptionFont);
  }
  return g.captionFont ? g.captionFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

HFONT ControlFont(HWND h) {
  HFONT f = (HFONT)SendMessageW(h, WM_GETFONT, 0, 0);
  return f ? f : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

// Hover is only as good as the mouse-leave notification; check where the cursor is.
bool CursorInWindow(HWND h) {
  POINT p;
  RECT r;
  return GetCursorPos(&p) && GetWindowRect(h, &r) && PtInRect(&r, p);
}

// ---------------------------------------------------------------------------
// Top-level frame: caption, buttons and border.

struct FrameGeometry {
  int w, h;
  RECT client;       // in window coordinates
  int capTop, capBottom;
  int buttons;
  RECT button[3];
  int code[3];       // HTCLOSE / HTMAXBUTTON / HTMINBUTTON
  int iconLeft;
  bool hasIcon;
};

bool HasCaption(HWND h) {
  LONG s = GetWindowLongW(h, GWL_STYLE);
  return (s & WS_CAPTION) == WS_CAPTION && !(s & WS_CHILD);
}

void GetFrameGeometry(HWND h, FrameGeometry* f) {
  RECT wr, cr;
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  POINT o = {0, 0};
  ClientToScreen(h, &o);
  f->w = wr.right - wr.left;
  f->h = wr.bottom - wr.top;
  f->client.left = o.x - wr.left;
  f->client.top = o.y - wr.top;
  f->client.right = f->client.left + cr.right;
  f->client.bottom = f->client.top + cr.bottom;

  LONG style = GetWindowLongW(h, GWL_STYLE);
  LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
  int border = f->client.left;
  if (border < 0) border = 0;
  f->capTop = border;
  f->capBottom = f->client.top;
  if (GetMenu(h)) {
    int ch = GetSystemMetrics((ex & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (f->capTop + ch < f->capBottom) f->capBottom = f->capTop + ch;
  }
  if (f->capBottom < f->capTop) f->capBottom = f->capTop;

  int ch = f->capBottom - f->capTop;
  int bh = ch - 4;
  if (bh < 8) bh = ch - 2;
  if (bh < 4) bh = 4;
  int bw = bh + bh / 3;
  int y = f->capTop + (ch - bh) / 2;
  int right = f->w - border - 3;
  f->buttons = 0;
  f->hasIcon = (style & WS_SYSMENU) && !(ex & WS_EX_TOOLWINDOW);
  f->iconLeft = border + 4;
  if (!(style & WS_SYSMENU)) return;
  const int codes[3] = {HTCLOSE, HTMAXBUTTON, HTMINBUTTON};
  const LONG need[3] = {0, WS_MAXIMIZEBOX, WS_MINIMIZEBOX};
  for (int i = 0; i < 3; ++i) {
    if (need[i] && (!(style & need[i]) || (ex & WS_EX_TOOLWINDOW))) continue;
    RECT& r = f->button[f->buttons];
    r.right = right;
    r.left = right - bw;
    r.top = y;
    r.bottom = y + bh;
    f->code[f->buttons++] = codes[i];
    right = r.left - 2;
  }
}

int HitCaptionButton(const FrameGeometry& f, int x, int y) {
  for (int i = 0; i < f.buttons; ++i) {
    const RECT& r = f.button[i];
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return f.code[i];
  }
  return 0;
}

void DrawGlyph(HDC dc, const RECT& r, int code, bool zoomed, COLORREF c) {
  int w = r.right - r.left, h = r.bottom - r.top;
  int s = (h < w ? h : w) * 4 / 10;
  if (s < 4) s = 4;
  int cx = r.left + w / 2, cy = r.top + h / 2;
  int thick = h >= 16 ? 2 : 1;
  HPEN pen = CreatePen(PS_SOLID, thick, c);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  int a = s / 2;
  if (code == HTCLOSE) {
    MoveToEx(dc, cx - a, cy - a, 0);
    LineTo(dc, cx + a + 1, cy + a + 1);
    MoveToEx(dc, cx + a, cy - a, 0);
    LineTo(dc, cx - a - 1, cy + a + 1);
  } else if (code == HTMINBUTTON) {
    RECT bar = {cx - a, cy + a - thick + 1, cx + a + 1, cy + a + 1};
    FillColor(dc, bar, c);
  } else if (zoomed) {
    Rectangle(dc, cx - a + 2, cy - a - 1, cx + a + 2, cy + a - 1);
    Rectangle(dc, cx - a - 1, cy - a + 2, cx + a - 1, cy + a + 2);
  } else {
    Rectangle(dc, cx - a, cy - a, cx + a + 1, cy + a + 1);
    RECT top = {cx - a, cy - a, cx + a + 1, cy - a + 2};
    FillColor(dc, top, c);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void DrawCaptionButton(HDC dc, const RECT& r, int code, bool hot, bool pressed, bool zoomed,
                       bool active) {
  COLORREF face = code == HTCLOSE ? C(she::CloseFace) : C(she::CapButtonFace);
  if (!active) face = Mix(face, C(she::CapInactiveBottom), 110);
  int shape = M(she::CapButtonShape);
  bool drawFace = shape != 1 || hot || pressed || code == HTCLOSE;
  if (pressed) face = Darker(face, 60);
  else if (hot) face = Lighter(face, 70);
  if (drawFace) {
    HPEN pen = CreatePen(PS_SOLID, 1, Darker(face, 70));
    HBRUSH brush = CreateSolidBrush(face);
    HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
    if (shape == 2) {
      int w = r.right - r.left, h = r.bottom - r.top, d = h < w ? h : w;
      int x = r.left + (w - d) / 2, y = r.top + (h - d) / 2;
      Ellipse(dc, x, y, x + d, y + d);
    } else {
      int rad = M(she::CapButtonRadius);
      RoundRect(dc, r.left, r.top, r.right, r.bottom, rad * 2, rad * 2);
    }
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(pen);
    DeleteObject(brush);
  }
  COLORREF glyph = C(she::CapButtonGlyph);
  if (!active) glyph = Mix(glyph, face, 90);
  RECT g2 = r;
  if (pressed) OffsetRect(&g2, 1, 1);
  DrawGlyph(dc, g2, code, zoomed, glyph);
}

void RenderCaptionBand(Canvas& cv, const FrameGeometry& f, bool active) {
  COLORREF top = C(active ? she::CapActiveTop : she::CapInactiveTop);
  COLORREF bottom = C(active ? she::CapActiveBottom : she::CapInactiveBottom);
  int style = M(she::CaptionStyle);
  int strength = M(she::TileStrength);
  int rows = cv.h, cols = cv.w;
  int half = rows / 2;
  for (int y = 0; y < rows; ++y) {
    COLORREF rowColor = top;
    if (style == 0) {
      rowColor = Mix(top, bottom, rows > 1 ? y * 256 / (rows - 1) : 0);
    } else if (style == 2) {
      rowColor = y < half ? Mix(Lighter(top, 90), top, half > 1 ? y * 256 / half : 0)
                          : Mix(bottom, Mix(bottom, top, 80),
                                rows - half > 1 ? (y - half) * 256 / (rows - half - 1) : 0);
    } else if (style == 3) {
      rowColor = y >= rows - 2 ? bottom : top;
    }
    DWORD* line = cv.bits + y * cols;
    const uint8_t* tileRow =
        g.skin.tile && strength ? g.skin.tile + (y % g.skin.tileH) * g.skin.tileW : 0;
    for (int x = 0; x < cols; ++x) {
      COLORREF c = style == 1 ? Mix(top, bottom, cols > 1 ? x * 256 / (cols - 1) : 0) : rowColor;
      int r = GetRValue(c), gg = GetGValue(c), b = GetBValue(c);
      if (tileRow) {
        int delta = ((int)tileRow[x % g.skin.tileW] - 128) * strength / 256;
        r += delta;
        gg += delta;
        b += delta;
        r = r < 0 ? 0 : r > 255 ? 255 : r;
        gg = gg < 0 ? 0 : gg > 255 ? 255 : gg;
        b = b < 0 ? 0 : b > 255 ? 255 : b;
      }
      line[x] = (r << 16) | (gg << 8) | b;
    }
  }
}

HICON SmallIcon(HWND h) {
  HICON ic = (HICON)SendMessageW(h, WM_GETICON, ICON_SMALL, 0);
  if (!ic) ic = (HICON)SendMessageW(h, WM_GETICON, ICON_SMALL2, 0);
  if (!ic) ic = (HICON)GetClassLongPtrW(h, GCLP_HICONSM);
  if (!ic) ic = (HICON)GetClassLongPtrW(h, GCLP_HICON);
  if (!ic) ic = LoadIconW(0, (LPCWSTR)IDI_APPLICATION);
  return ic;
}

void PaintFrame(HWND h, WinData* d) {
  if (!g.hasSkin || !HasCaption(h) || IsIconic(h) || !IsWindowVisible(h)) return;
  FrameGeometry f;
  GetFrameGeometry(h, &f);
  if (d->capHot) {
    POINT p;
    RECT wr;
    GetCursorPos(&p);
    GetWindowRect(h, &wr);
    if (HitCaptionButton(f, p.x - wr.left, p.y - wr.top) != d->capHot) d->capHot = 0;
  }
  HDC wdc = GetWindowDC(h);
  if (!wdc) return;
  ExcludeClipRect(wdc, f.client.left, f.client.top, f.client.right, f.client.bottom);
  bool active = d->active;
  COLORREF outer = C(active ? she::FrameActive : she::FrameInactive);
  COLORREF fill = C(active ? she::CapActiveBottom : she::CapInactiveBottom);

  Canvas cv;
  int band = f.capBottom;
  if (cv.Open(wdc, f.w, band)) {
    RenderCaptionBand(cv, f, active);
    SetBkMode(cv.dc, TRANSPARENT);
    int textLeft = f.capTop + 6;
    if (f.hasIcon) {
      int is = GetSystemMetrics(SM_CXSMICON);
      int iy = f.capTop + (band - f.capTop - is) / 2;
      DrawIconEx(cv.dc, f.iconLeft, iy, SmallIcon(h), is, is, 0, 0, DI_NORMAL);
      textLeft = f.iconLeft + is + 5;
    }
    int textRight = f.buttons ? f.button[f.buttons - 1].left - 4 : f.w - f.capTop - 4;
    WCHAR text[256];
    int n = GetWindowTextW(h, text, 256);
    if (n > 0 && textRight > textLeft) {
      HGDIOBJ oldFont = SelectObject(cv.dc, CaptionFont());
      RECT tr = {textLeft, f.capTop, textRight, band};
      UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
      if (M(she::CaptionAlign) == 1) {
        // Centre on the whole window, but never under the icon or the buttons.
        SIZE sz;
        GetTextExtentPoint32W(cv.dc, text, n, &sz);
        int x = (f.w - sz.cx) / 2;
        if (x > tr.left && x + sz.cx < tr.right) tr.left = x;
      }
      if (M(she::CaptionShadow)) {
        RECT sr = tr;
        OffsetRect(&sr, 1, 1);
        SetTextColor(cv.dc, Darker(fill, 120));
        DrawTextW(cv.dc, text, n, &sr, fmt);
      }
      SetTextColor(cv.dc, C(active ? she::CapTextActive : she::CapTextInactive));
      DrawTextW(cv.dc, text, n, &tr, fmt);
      SelectObject(cv.dc, oldFont);
    }
    bool zoomed = IsZoomed(h) != 0;
    for (int i = 0; i < f.buttons; ++i)
      DrawCaptionButton(cv.dc, f.button[i], f.code[i], d->capHot == f.code[i],
                        d->capPressed == f.code[i], zoomed, active);
    BitBlt(wdc, 0, 0, f.w, band, cv.dc, 0, 0, SRCCOPY);
    cv.Close();
  }

  // Sides and bottom continue the caption's lower colour.
  RECT left = {0, band, f.client.left, f.h};
  RECT right = {f.client.right, band, f.w, f.h};
  RECT bottom = {0, f.client.bottom, f.w, f.h};
  RECT gap = {f.client.left, band, f.client.right, f.client.top};  // menu bar area, if any
  FillColor(wdc, left, fill);
  FillColor(wdc, right, fill);
  FillColor(wdc, bottom, fill);
  if (!GetMenu(h)) FillColor(wdc, gap, fill);

  RECT all = {0, 0, f.w, f.h};
  FrameColor(wdc, all, outer);
  int style = M(she::BorderStyle);
  if (style == 2 && f.client.left >= 3) {
    RECT hi = {1, 1, f.w - 1, f.h - 1};
    FrameColor(wdc, hi, Lighter(fill, 110));
  }
  if (style >= 1 && f.client.left >= 2) {
    RECT inner = {f.client.left - 1, f.client.top - 1, f.client.right + 1, f.client.bottom + 1};
    FrameColor(wdc, inner, C(she::FrameInner));
  }
  ReleaseDC(h, wdc);
}

// ---------------------------------------------------------------------------
// Controls.

void PaintPushButton(HWND h, HDC target, WinData* d) {
  RECT rc;
  GetClientRect(h, &rc);
  Canvas cv;
  if (!cv.Open(target, rc.right, rc.bottom)) return;
  HDC dc = cv.dc;
  LRESULT state = SendMessageW(h, BM_GETSTATE, 0, 0);
  LONG style = GetWindowLongW(h, GWL_STYLE);
  bool pushed = (state & BST_PUSHED) != 0;
  bool focused = GetFocus() == h;
  bool enabled = IsWindowEnabled(h) != 0;
  bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  if (d->hot && !CursorInWindow(h)) d->hot = false;

  FillColor(dc, rc, C(she::Background));
  COLORREF top = C(she::ButtonTop), bottom = C(she::ButtonBottom);
  if (pushed) {
    top = C(she::ButtonDownTop);
    bottom = C(she::ButtonDownBottom);
  } else if (d->hot && enabled) {
    top = C(she::ButtonHotTop);
    bottom = C(she::ButtonHotBottom);
  }
  int rad = M(she::ButtonRadius) * 2;
  HRGN rgn = CreateRoundRectRgn(0, 0, rc.right + 1, rc.bottom + 1, rad, rad);
  SelectClipRgn(dc, rgn);
  SelectObject(dc, GetStockObject(DC_BRUSH));
  for (int y = 0; y < rc.bottom; ++y) {
    SetDCBrushColor(dc, Mix(top, bottom, rc.bottom > 1 ? y * 256 / (rc.bottom - 1) : 0));
    PatBlt(dc, 0, y, rc.right, 1, PATCOPY);
  }
  SelectClipRgn(dc, 0);
  SetDCBrushColor(dc, C(she::ButtonBorder));
  FrameRgn(dc, rgn, (HBRUSH)GetStockObject(DC_BRUSH), 1, 1);
  if (isDefault || focused) {
    // Second line inside the first marks the default button.
    HRGN in = CreateRoundRectRgn(1, 1, rc.right, rc.bottom, rad > 2 ? rad - 2 : rad, rad > 2 ? rad - 2 : rad);
    SetDCBrushColor(dc, Mix(C(she::ButtonBorder), top, 90));
    FrameRgn(dc, in, (HBRUSH)GetStockObject(DC_BRUSH), 1, 1);
    DeleteObject(in);
  }
  DeleteObject(rgn);

  WCHAR text[256];
  int n = GetWindowTextW(h, text, 256);
  if (n > 0) {
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(h));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? C(she::ButtonText) : C(she::DisabledText));
    RECT tr = rc;
    InflateRect(&tr, -3, -2);
    if (pushed) OffsetRect(&tr, 1, 1);
    UINT fmt = DT_CENTER | DT_VCENTER;
    if (style & BS_MULTILINE) {
      RECT calc = tr;
      DrawTextW(dc, text, n, &calc, fmt | DT_WORDBREAK | DT_CALCRECT);
      int dy = ((tr.bottom - tr.top) - (calc.bottom - calc.top)) / 2;
      if (dy > 0) tr.top += dy;
      fmt |= DT_WORDBREAK;
    } else {
      fmt |= DT_SINGLELINE;
    }
    DrawTextW(dc, text, n, &tr, fmt);
    SelectObject(dc, oldFont);
  }
  if (focused && !(SendMessageW(h, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    RECT fr = rc;
    InflateRect(&fr, -4, -4);
    SetTextColor(dc, C(she::FocusColor));
    SetBkColor(dc, top);
    DrawFocusRect(dc, &fr);
  }
  BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
  cv.Close();
}

void PaintGroupBox(HWND h, HDC target) {
  RECT rc;
  GetClientRect(h, &rc);
  // The box sits under its own children; leave their areas to them.
  int saved = SaveDC(target);
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(0, h, (POINT*)&r, 2);
    ExcludeClipRect(target, r.left, r.top, r.right, r.bottom);
  }
  Canvas cv;
  if (cv.Open(target, rc.right, rc.bottom)) {
    HDC dc = cv.dc;
    FillColor(dc, rc, C(she::Background));
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(h));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    RECT frame = rc;
    frame.top += tm.tmHeight / 2;
    FrameColor(dc, frame, C(she::GroupFrame));
    if (M(she::BorderStyle) == 2) {
      RECT in = frame;
      InflateRect(&in, -1, -1);
      FrameColor(dc, in, Lighter(C(she::Background), 140));
    }
    WCHAR text[256];
    int n = GetWindowTextW(h, text, 256);
    if (n > 0) {
      RECT tr = {8, 0, rc.right - 8, tm.tmHeight};
      DrawTextW(dc, text, n, &tr, DT_SINGLELINE | DT_CALCRECT);
      if (tr.right > rc.right - 8) tr.right = rc.right - 8;
      RECT bg = tr;
      InflateRect(&bg, 2, 0);
      FillColor(dc, bg, C(she::Background));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, IsWindowEnabled(h) ? C(she::GroupText) : C(she::DisabledText));
      DrawTextW(dc, text, n, &tr, DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    SelectObject(dc, oldFont);
    BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    cv.Close();
  }
  RestoreDC(target, saved);
}

void PaintEditBorder(HWND h) {
  LONG style = GetWindowLongW(h, GWL_STYLE), ex = GetWindowLongW(h, GWL_EXSTYLE);
  if (!(ex & WS_EX_CLIENTEDGE) && !(style & WS_BORDER)) return;
  RECT wr;
  GetWindowRect(h, &wr);
  POINT o = {0, 0};
  ClientToScreen(h, &o);
  int thick = o.y - wr.top;
  if (thick <= 0) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  RECT r = {0, 0, wr.right - wr.left, wr.bottom - wr.top};
  FrameColor(dc, r, GetFocus() == h ? C(she::FocusColor) : C(she::EditBorder));
  COLORREF in = IsWindowEnabled(h) ? C(she::EditBackground) : C(she::Background);
  for (int i = 1; i < thick; ++i) {
    InflateRect(&r, -1, -1);
    FrameColor(dc, r, in);
  }
  ReleaseDC(h, dc);
}

LRESULT CtlColor(UINT msg, HDC dc) {
  switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      SetTextColor(dc, C(she::EditText));
      SetBkColor(dc, C(she::EditBackground));
      return (LRESULT)g.editBackground;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
      SetTextColor(dc, C(she::Text));
      SetBkColor(dc, C(she::Background));
      return (LRESULT)g.background;
  }
  return 0;
}

bool IsCtlColor(UINT m) {
  return m == WM_CTLCOLOREDIT || m == WM_CTLCOLORLISTBOX || m == WM_CTLCOLORBTN ||
         m == WM_CTLCOLORSTATIC || m == WM_CTLCOLORDLG;
}

// ---------------------------------------------------------------------------
// Window procedures.

void RefreshCaption(HWND h, WinData* d) {
  if (HasCaption(h)) PaintFrame(h, d);
}

void TrackLeave(HWND h, DWORD flags) {
  TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE | flags, h, 0};
  TrackMouseEvent(&t);
}

LRESULT FrameProc(HWND h, UINT m, WPARAM w, LPARAM l, WinData* d) {
  switch (m) {
    case WM_NCPAINT: {
      if (!HasCaption(h) || IsIconic(h)) break;
      LONG style = GetWindowLongW(h, GWL_STYLE);
      if (GetMenu(h) || (style & (WS_HSCROLL | WS_VSCROLL))) DefSubclassProc(h, m, w, l);
      PaintFrame(h, d);
      return 0;
    }
    case WM_NCACTIVATE: {
      d->active = w != 0;
      if (!HasCaption(h) || IsIconic(h)) break;
      // lParam -1 keeps the default handler from painting the standard caption.
      LRESULT r = DefSubclassProc(h, m, w, (LPARAM)-1);
      PaintFrame(h, d);
      return r;
    }
    case WM_SETTEXT:
    case WM_SETICON:
    case WM_STYLECHANGED: {
      LRESULT r = DefSubclassProc(h, m, w, l);
      RefreshCaption(h, d);
      return r;
    }
    case WM_NCHITTEST: {
      LRESULT r = DefSubclassProc(h, m, w, l);
      if (!HasCaption(h) || IsIconic(h)) return r;
      FrameGeometry f;
      GetFrameGeometry(h, &f);
      RECT wr;
      GetWindowRect(h, &wr);
      int hit = HitCaptionButton(f, (short)LOWORD(l) - wr.left, (short)HIWORD(l) - wr.top);
      if (hit) return hit;
      if (r == HTCLOSE || r == HTMINBUTTON || r == HTMAXBUTTON || r == HTHELP) return HTCAPTION;
      return r;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if ((w == HTCLOSE || w == HTMINBUTTON || w == HTMAXBUTTON) && HasCaption(h)) {
        d->tracking = true;
        d->capTracked = d->capPressed = (int)w;
        SetCapture(h);
        PaintFrame(h, d);
        return 0;
      }
      break;
    case WM_NCMOUSEMOVE: {
      int hot = (w == HTCLOSE || w == HTMINBUTTON || w == HTMAXBUTTON) ? (int)w : 0;
      if (hot != d->capHot) {
        d->capHot = hot;
        if (hot) TrackLeave(h, TME_NONCLIENT);
        RefreshCaption(h, d);
      }
      break;
    }
    case WM_NCMOUSELEAVE:
      if (d->capHot) {
        d->capHot = 0;
        RefreshCaption(h, d);
      }
      break;
    case WM_MOUSEMOVE:
      if (d->tracking) {
        POINT p = {(short)LOWORD(l), (short)HIWORD(l)};
        ClientToScreen(h, &p);
        RECT wr;
        GetWindowRect(h, &wr);
        FrameGeometry f;
        GetFrameGeometry(h, &f);
        int over = HitCaptionButton(f, p.x - wr.left, p.y - wr.top) == d->capTracked;
        int pressed = over ? d->capTracked : 0;
        if (pressed != d->capPressed) {
          d->capPressed = pressed;
          PaintFrame(h, d);
        }
        return 0;
      }
      if (d->capHot) {
        d->capHot = 0;
        RefreshCaption(h, d);
      }
      break;
    case WM_LBUTTONUP:
      if (d->tracking) {
        POINT p = {(short)LOWORD(l), (short)HIWORD(l)};
        ClientToScreen(h, &p);
        RECT wr;
        GetWindowRect(h, &wr);
        FrameGeometry f;
        GetFrameGeometry(h, &f);
        int code = d->capTracked;
        bool over = HitCaptionButton(f, p.x - wr.left, p.y - wr.top) == code;
        d->tracking = false;
        d->capPressed = d->capTracked = 0;
        d->capHot = over ? code : 0;
        ReleaseCapture();
        PaintFrame(h, d);
        if (over) {
          WPARAM cmd = code == HTCLOSE       ? SC_CLOSE
                       : code == HTMINBUTTON ? SC_MINIMIZE
                       : IsZoomed(h)         ? SC_RESTORE
                                             : SC_MAXIMIZE;
          d->capHot = 0;
          SendMessageW(h, WM_SYSCOMMAND, cmd, MAKELPARAM(p.x, p.y));
        }
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (d->tracking && (HWND)l != h) {
        d->tracking = false;
        d->capPressed = d->capTracked = 0;
        PaintFrame(h, d);
      }
      break;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(h, &rc);
      FillRect((HDC)w, &rc, g.background);
      return 1;
    }
  }
  if (IsCtlColor(m)) return CtlColor(m, (HDC)w);
  return DefSubclassProc(h, m, w, l);
}

bool IsPushType(HWND h, int want) {
  LONG type = GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK;
  if (want == kPushButton) return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
  return type == BS_GROUPBOX;
}

void RepaintNow(HWND h, WinData* d) {
  if (!IsWindowVisible(h) || !IsPushType(h, d->kind)) return;
  HDC dc = GetDC(h);
  if (!dc) return;
  if (d->kind == kPushButton) PaintPushButton(h, dc, d);
  else PaintGroupBox(h, dc);
  ReleaseDC(h, dc);
}

LRESULT ButtonProc(HWND h, UINT m, WPARAM w, LPARAM l, WinData* d) {
  if (!IsPushType(h, d->kind)) return DefSubclassProc(h, m, w, l);
  switch (m) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (d->kind == kPushButton) PaintPushButton(h, dc, d);
      else PaintGroupBox(h, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (d->kind == kPushButton) PaintPushButton(h, (HDC)w, d);
      else PaintGroupBox(h, (HDC)w);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (d->kind == kPushButton && !d->hot) {
        d->hot = true;
        TrackLeave(h, 0);
        LRESULT r = DefSubclassProc(h, m, w, l);
        RepaintNow(h, d);
        return r;
      }
      break;
    case WM_MOUSELEAVE:
      if (d->hot) {
        d->hot = false;
        LRESULT r = DefSubclassProc(h, m, w, l);
        RepaintNow(h, d);
        return r;
      }
      break;
    // The control repaints itself directly on these; draw our face over it at once.
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_UPDATEUISTATE:
    case BM_SETSTATE:
    case BM_SETSTYLE: {
      LRESULT r = DefSubclassProc(h, m, w, l);
      RepaintNow(h, d);
      return r;
    }
  }
  if (d->kind == kGroupBox && IsCtlColor(m)) return CtlColor(m, (HDC)w);
  return DefSubclassProc(h, m, w, l);
}

LRESULT EditProc(HWND h, UINT m, WPARAM w, LPARAM l, WinData*) {
  switch (m) {
    case WM_NCPAINT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: {
      LRESULT r = DefSubclassProc(h, m, w, l);
      PaintEditBorder(h);
      return r;
    }
  }
  return DefSubclassProc(h, m, w, l);
}

LRESULT PanelProc(HWND h, UINT m, WPARAM w, LPARAM l, WinData*) {
  if (m == WM_ERASEBKGND) {
    RECT rc;
    GetClientRect(h, &rc);
    FillRect((HDC)w, &rc, g.background);
    return 1;
  }
  if (IsCtlColor(m)) return CtlColor(m, (HDC)w);
  return DefSubclassProc(h, m, w, l);
}

LRESULT CALLBACK SubclassProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR ref) {
  WinData* d = (WinData*)ref;
  if (m == WM_NCDESTROY) {
    LRESULT r = DefSubclassProc(h, m, w, l);
    RemoveWindowSubclass(h, SubclassProc, kSubclassId);
    Forget(d);
    return r;
  }
  if (!g.hasSkin) return DefSubclassProc(h, m, w, l);
  switch (d->kind) {
    case kFrame: return FrameProc(h, m, w, l, d);
    case kPushButton:
    case kGroupBox: return ButtonProc(h, m, w, l, d);
    case kEdit: return EditProc(h, m, w, l, d);
    case kPanel: return PanelProc(h, m, w, l, d);
  }
  return DefSubclassProc(h, m, w, l);
}

LRESULT CALLBACK CbtProc(int code, WPARAM w, LPARAM l) {
  if (code == HCBT_CREATEWND && g.hasSkin) {
    CBT_CREATEWNDW* c = (CBT_CREATEWNDW*)l;
    if (c && c->lpcs) Attach((HWND)w, c->lpcs->style);
  }
  return CallNextHookEx(g.hook, code, w, l);
}

BOOL CALLBACK AttachChild(HWND h, LPARAM) {
  Attach(h, GetWindowLongW(h, GWL_STYLE));
  return TRUE;
}

BOOL CALLBACK AttachTopLevel(HWND h, LPARAM) {
  Attach(h, GetWindowLongW(h, GWL_STYLE));
  EnumChildWindows(h, AttachChild, 0);
  return TRUE;
}

BOOL CALLBACK RedrawTopLevel(HWND h, LPARAM) {
  RedrawWindow(h, 0, 0,
               RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return TRUE;
}

void ReleaseSkinObjects() {
  if (g.background) DeleteObject(g.background);
  if (g.editBackground) DeleteObject(g.editBackground);
  if (g.tile) HeapFree(GetProcessHeap(), 0, g.tile);
  g.background = g.editBackground = 0;
  g.tile = 0;
}

void Shutdown() {
  if (g.hook) UnhookWindowsHookEx(g.hook);
  g.hook = 0;
  g.hasSkin = false;
  // Windows still alive on this thread go back to their own painting.
  DWORD self = GetCurrentThreadId();
  for (int i = g.count - 1; i >= 0; --i) {
    WinData* d = g.windows[i];
    if (GetWindowThreadProcessId(d->hwnd, 0) != self) continue;
    RemoveWindowSubclass(d->hwnd, SubclassProc, kSubclassId);
    RedrawWindow(d->hwnd, 0, 0, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    Forget(d);
  }
  ReleaseSkinObjects();
  if (g.captionFont) DeleteObject(g.captionFont);
  g.captionFont = 0;
}

}  // namespace

extern "C" __declspec(dllexport) int __stdcall SkinH_AttachRes(const unsigned char* data,
                                                               int length, const char*, int,
                                                               int, int) {
  she::Skin s;
  if (!data || length <= 0 || !she::ParseSkin(data, length, &s)) return 1;

  // The caller frees the block when we return, so keep copies only.
  uint8_t* tile = 0;
  if (s.tile) {
    SIZE_T n = (SIZE_T)s.tileW * s.tileH;
    tile = (uint8_t*)HeapAlloc(GetProcessHeap(), 0, n);
    if (!tile) return 2;
    CopyMemory(tile, s.tile, n);
  }
  HBRUSH bg = CreateSolidBrush(s.color[she::Background]);
  HBRUSH eb = CreateSolidBrush(s.color[she::EditBackground]);
  if (!bg || !eb) {
    if (bg) DeleteObject(bg);
    if (eb) DeleteObject(eb);
    if (tile) HeapFree(GetProcessHeap(), 0, tile);
    return 3;
  }
  ReleaseSkinObjects();
  g.skin = s;
  g.skin.tile = tile;
  g.tile = tile;
  g.background = bg;
  g.editBackground = eb;
  g.hasSkin = true;

  DWORD self = GetCurrentThreadId();
  if (!g.hook) {
    g.hook = SetWindowsHookExW(WH_CBT, CbtProc, 0, self);
    g.hookThread = self;
  }
  EnumThreadWindows(self, AttachTopLevel, 0);
  EnumThreadWindows(self, RedrawTopLevel, 0);
  return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(inst);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Only on FreeLibrary: at process exit other threads and windows are already gone.
    Shutdown();
  }
  return TRUE;
}
