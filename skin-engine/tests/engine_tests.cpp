// The real SkinH_EL.dll driving real windows under Wine; looks are checked by reading
// back the pixels GDI drew.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>

#include "test_window.h"

using namespace test;

namespace {

const int kSkinA = 13;  // vertical gradient caption
const int kSkinB = 24;  // flat caption, different palette

AttachFn Engine() {
  static AttachFn fn = [] {
    HMODULE dll = LoadLibraryA(ENGINE_DLL);
    return dll ? (AttachFn)GetProcAddress(dll, "SkinH_AttachRes") : nullptr;
  }();
  return fn;
}

int Apply(const std::vector<uint8_t>& block) {
  return Engine()(block.empty() ? nullptr : block.data(), (int)block.size(), "", 0, 0, 0);
}

she::Skin Palette(int n) {
  static std::vector<uint8_t> keep[40];  // ParseSkin points into the block
  keep[n] = SkinBytes(n);
  she::Skin s = {};
  EXPECT_TRUE(she::ParseSkin(keep[n].data(), keep[n].size(), &s)) << "skin " << n;
  return s;
}

COLORREF WindowPixel(HWND h, int x, int y) {
  HDC dc = GetWindowDC(h);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(h, dc);
  return c;
}

COLORREF ClientPixel(HWND h, int x, int y) {
  HDC dc = GetDC(h);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(h, dc);
  return c;
}

void Redraw(HWND h) {
  RedrawWindow(h, 0, 0, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

RECT WindowRectOf(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return r;
}

// Where the caption band ends, in window coordinates.
int ClientTop(HWND h) {
  POINT o = {0, 0};
  ClientToScreen(h, &o);
  return o.y - WindowRectOf(h).top;
}

std::string Hex(COLORREF c) {
  char b[16];
  snprintf(b, sizeof b, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return b;
}

// Each channel of c lies between those of a and b, widened by `slack`.
::testing::AssertionResult Between(COLORREF c, COLORREF a, COLORREF b, int slack) {
  const int ch[3][3] = {{GetRValue(c), GetRValue(a), GetRValue(b)},
                        {GetGValue(c), GetGValue(a), GetGValue(b)},
                        {GetBValue(c), GetBValue(a), GetBValue(b)}};
  for (auto& v : ch) {
    int lo = std::min(v[1], v[2]) - slack, hi = std::max(v[1], v[2]) + slack;
    if (v[0] < lo || v[0] > hi)
      return ::testing::AssertionFailure()
             << Hex(c) << " is not between " << Hex(a) << " and " << Hex(b) << " (+-" << slack << ")";
  }
  return ::testing::AssertionSuccess();
}

// Live GDI objects of this process. Wine answers GetGuiResources with 0, so there we
// walk its handle table instead: a handle whose upper word is 0 matches any live entry.
DWORD GdiObjects() {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return n;
  for (ULONG_PTR i = 1; i < 0x10000; ++i)
    if (GetObjectType((HGDIOBJ)i)) ++n;
  return n;
}

// Live USER objects; on Wine only windows can be counted this way.
DWORD UserObjects() {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (n) return n;
  for (ULONG_PTR i = 0x20; i < 0x10000; i += 2)
    if (IsWindow((HWND)i)) ++n;
  return n;
}

void MoveCursorAway() {
  SetCursorPos(1000, 740);
  Pump();
}

// Finds a point of the window whose WM_NCHITTEST answer is `code`, scanning the caption.
bool FindHit(HWND h, int code, POINT* out) {
  RECT r = WindowRectOf(h);
  int top = ClientTop(h);
  for (int y = r.top + 1; y < r.top + top; ++y)
    for (int x = r.right - 1; x > r.left; --x)
      if (SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == code) {
        // Aim for the middle of the run of matching pixels on this row.
        int x2 = x;
        while (x2 > r.left && SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(x2 - 1, y)) == code) --x2;
        out->x = (x + x2) / 2;
        out->y = y + 3;
        return SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(out->x, out->y)) == code;
      }
  return false;
}

void SendMouse(DWORD flags, POINT screen) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void Click(POINT screen) {
  SendMouse(MOUSEEVENTF_MOVE, screen);
  Pump();
  SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
  Pump();
  SendMouse(MOUSEEVENTF_LEFTUP, screen);
  for (int i = 0; i < 5; ++i) Pump();
}

// What the skin should have drawn, read back from one window.
struct Look {
  COLORREF frameEdge, caption, background, buttonBorder, buttonFace, editBorder, editInside,
      groupFrame, groupInside, groupEditInside, label;
};

Look Read(const TestWindow& w) {
  Look k;
  RECT r = WindowRectOf(w.main);
  int wh = r.bottom - r.top;
  k.frameEdge = WindowPixel(w.main, 0, wh / 2);
  k.caption = WindowPixel(w.main, 200, ClientTop(w.main) / 2);
  k.background = ClientPixel(w.main, 300, 190);
  RECT b;
  GetClientRect(w.button, &b);
  k.buttonBorder = ClientPixel(w.button, b.right / 2, 0);
  k.buttonFace = ClientPixel(w.button, 8, b.bottom / 2);
  k.editBorder = WindowPixel(w.edit, 0, 0);
  RECT e;
  GetClientRect(w.edit, &e);
  k.editInside = ClientPixel(w.edit, e.right - 3, e.bottom / 2);
  RECT g;
  GetClientRect(w.group, &g);
  k.groupFrame = ClientPixel(w.group, 0, g.bottom / 2);
  k.groupInside = ClientPixel(w.group, g.right - 8, g.bottom - 8);
  RECT ge;
  GetClientRect(w.groupEdit, &ge);
  k.groupEditInside = ClientPixel(w.groupEdit, ge.right - 3, ge.bottom / 2);
  k.label = ClientPixel(w.label, 2, 2);
  return k;
}

void ExpectSkinned(const TestWindow& w, int skin) {
  SCOPED_TRACE("skin " + std::to_string(skin));
  she::Skin s = Palette(skin);
  Look k = Read(w);
  bool active = GetActiveWindow() == w.main;
  EXPECT_EQ(Hex(k.frameEdge), Hex(s.color[active ? she::FrameActive : she::FrameInactive]));
  int slack = s.metric[she::TileStrength] / 2 + 3;
  EXPECT_TRUE(Between(k.caption, s.color[active ? she::CapActiveTop : she::CapInactiveTop],
                      s.color[active ? she::CapActiveBottom : she::CapInactiveBottom], slack));
  EXPECT_EQ(Hex(k.background), Hex(s.color[she::Background]));
  EXPECT_EQ(Hex(k.buttonBorder), Hex(s.color[she::ButtonBorder]));
  EXPECT_TRUE(Between(k.buttonFace, s.color[she::ButtonTop], s.color[she::ButtonBottom], 2));
  EXPECT_TRUE(k.editBorder == s.color[she::EditBorder] || k.editBorder == s.color[she::FocusColor])
      << Hex(k.editBorder);
  EXPECT_EQ(Hex(k.editInside), Hex(s.color[she::EditBackground]));
  EXPECT_EQ(Hex(k.groupFrame), Hex(s.color[she::GroupFrame]));
  EXPECT_EQ(Hex(k.groupInside), Hex(s.color[she::Background]));
  EXPECT_EQ(Hex(k.groupEditInside), Hex(s.color[she::EditBackground])) << "edit inside a group box";
  EXPECT_EQ(Hex(k.label), Hex(s.color[she::Background]));
  EXPECT_EQ(Hex(Seen().labelText), Hex(s.color[she::Text]));
}

void ExpectCanvasUntouched(const TestWindow& w) {
  RECT rc;
  GetClientRect(w.canvas, &rc);
  HDC dc = GetDC(w.canvas);
  int wrong = 0;
  for (int y = 0; y < rc.bottom; y += 3)
    for (int x = 0; x < rc.right; x += 3)
      if (GetPixel(dc, x, y) != CanvasColor(x, y)) ++wrong;
  ReleaseDC(w.canvas, dc);
  EXPECT_EQ(wrong, 0) << "canvas pixels changed";
}

class EngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_NE(Engine(), nullptr) << "cannot load " << ENGINE_DLL; }
  void SetUp() override {
    ASSERT_NE(Engine(), nullptr);
    MoveCursorAway();
    Seen() = Events();
  }
};

TEST_F(EngineTest, SkinsAreAcceptedAndDrawn) {
  TestWindow w;
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  Pump();
  ExpectSkinned(w, kSkinA);
  ExpectCanvasUntouched(w);

  // Another skin takes over at once, and its colours really differ.
  Look before = Read(w);
  ASSERT_EQ(Apply(SkinBytes(kSkinB)), 0);
  Pump();
  ExpectSkinned(w, kSkinB);
  Look after = Read(w);
  EXPECT_NE(before.caption, after.caption);
  EXPECT_NE(before.background, after.background);
  EXPECT_NE(before.buttonBorder, after.buttonBorder);
  EXPECT_NE(before.frameEdge, after.frameEdge);
  ExpectCanvasUntouched(w);
}

TEST_F(EngineTest, EveryBuiltInSkinParsesAndApplies) {
  TestWindow w;
  for (int n = 1; n <= 33; ++n) {
    std::vector<uint8_t> b = SkinBytes(n);
    ASSERT_FALSE(b.empty()) << SkinPath(n);
    EXPECT_EQ(Apply(b), 0) << "skin " << n;
    Pump();
    EXPECT_EQ(Hex(Read(w).background), Hex(Palette(n).color[she::Background])) << "skin " << n;
  }
  ExpectCanvasUntouched(w);
}

TEST_F(EngineTest, WindowsCreatedLaterAreSkinned) {
  ASSERT_EQ(Apply(SkinBytes(kSkinB)), 0);
  TestWindow w(80, 300, "Later");
  Pump();
  ExpectSkinned(w, kSkinB);
  ExpectCanvasUntouched(w);
}

TEST_F(EngineTest, BlockIsCopiedDuringTheCall) {
  TestWindow w;
  std::vector<uint8_t> file = SkinBytes(kSkinA);
  uint8_t* block = new uint8_t[file.size()];
  memcpy(block, file.data(), file.size());
  ASSERT_EQ(Engine()(block, (int)file.size(), "", 0, 0, 0), 0);
  memset(block, 0xCD, file.size());
  delete[] block;
  Redraw(w.main);
  Pump();
  ExpectSkinned(w, kSkinA);
}

struct BadBlock {
  std::string what;
  std::function<void(std::vector<uint8_t>&)> damage;
  bool lie;     // pass `length` instead of the real size
  int length;
};

std::vector<BadBlock> BadBlocks() {
  std::vector<BadBlock> cases;
  auto add = [&](std::string what, std::function<void(std::vector<uint8_t>&)> f) {
    cases.push_back({what, f, false, 0});
  };
  auto lie = [&](std::string what, int len) {
    cases.push_back({what, [](std::vector<uint8_t>&) {}, true, len});
  };
  add("null pointer", [](std::vector<uint8_t>& b) { b.clear(); });
  lie("length 0", 0);
  lie("negative length", -1);
  lie("very negative length", -2147483647 - 1);
  add("wrong magic", [](std::vector<uint8_t>& b) { b[0] = 'X'; });
  add("lower-case magic", [](std::vector<uint8_t>& b) { b[1] = 's'; });
  add("wrong version", [](std::vector<uint8_t>& b) { b[4] = 2; });
  add("section count too high", [](std::vector<uint8_t>& b) { b[6]++; });
  add("section count too low", [](std::vector<uint8_t>& b) { b[6]--; });
  add("total length too big", [](std::vector<uint8_t>& b) { b[9]++; });
  add("total length too small", [](std::vector<uint8_t>& b) { b[8]--; });
  add("checksum", [](std::vector<uint8_t>& b) { b[12] ^= 1; });
  for (int len = 0; len <= 64; ++len)
    add("truncated to " + std::to_string(len), [len](std::vector<uint8_t>& b) { b.resize(len); });
  for (double part : {0.25, 0.5, 0.9}) {
    add("truncated to " + std::to_string(part) + " of the block",
        [part](std::vector<uint8_t>& b) { b.resize((size_t)(b.size() * part)); });
  }
  add("one byte short", [](std::vector<uint8_t>& b) { b.pop_back(); });
  for (int at : {20, 40, 100, 160, 170, 500, 5000, -1}) {
    add("flipped byte at " + std::to_string(at), [at](std::vector<uint8_t>& b) {
      b[at >= 0 ? at : b.size() - 1] ^= 0x40;
    });
  }
  add("all zeros", [](std::vector<uint8_t>& b) { std::fill(b.begin(), b.end(), 0); });
  add("magic only", [](std::vector<uint8_t>& b) { b.resize(4); });
  return cases;
}

TEST_F(EngineTest, MalformedBlocksAreRejectedAndChangeNothing) {
  TestWindow w;
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  Pump();
  Look good = Read(w);
  const std::vector<uint8_t> real = SkinBytes(kSkinB);
  for (const BadBlock& c : BadBlocks()) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> b = real;
    c.damage(b);
    // Hand the engine exactly the damaged bytes, on the heap, so reading past them is caught.
    uint8_t* heap = b.empty() ? nullptr : (uint8_t*)HeapAlloc(GetProcessHeap(), 0, b.size());
    if (heap) memcpy(heap, b.data(), b.size());
    int len = c.lie ? c.length : (int)b.size();
    EXPECT_NE(Engine()(heap, len, "", 0, 0, 0), 0);
    if (heap) HeapFree(GetProcessHeap(), 0, heap);
    Redraw(w.main);
    Look now = Read(w);
    EXPECT_EQ(Hex(now.caption), Hex(good.caption));
    EXPECT_EQ(Hex(now.background), Hex(good.background));
    EXPECT_EQ(Hex(now.buttonBorder), Hex(good.buttonBorder));
  }
  ExpectSkinned(w, kSkinA);
}

TEST_F(EngineTest, EditKeepsWorking) {
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  TestWindow w;
  Pump();
  SetFocus(w.edit);
  for (char ch : std::string("abc")) SendMessageA(w.edit, WM_CHAR, ch, 1);
  // Real key strokes through the input queue.
  for (wchar_t ch : std::wstring(L"XY")) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = ch;
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
  }
  for (int i = 0; i < 5; ++i) Pump();
  char text[64] = {};
  GetWindowTextA(w.edit, text, sizeof text);
  EXPECT_STREQ(text, "abcXY");

  // Selection and caret.
  SendMessageA(w.edit, EM_SETSEL, 1, 3);
  DWORD from = 0, to = 0;
  SendMessageA(w.edit, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
  EXPECT_EQ(from, 1u);
  EXPECT_EQ(to, 3u);
  SendMessageA(w.edit, WM_CHAR, 'z', 1);  // replaces the selection
  GetWindowTextA(w.edit, text, sizeof text);
  EXPECT_STREQ(text, "azXY");

  // Paste from the clipboard.
  ASSERT_TRUE(OpenClipboard(w.main));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 6);
  memcpy(GlobalLock(mem), "paste", 6);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  SendMessageA(w.edit, EM_SETSEL, 4, 4);
  SendMessageA(w.edit, WM_PASTE, 0, 0);
  GetWindowTextA(w.edit, text, sizeof text);
  EXPECT_STREQ(text, "azXYpaste");

  // Typing must not have repainted the edit in system colours.
  Pump();
  RECT e;
  GetClientRect(w.edit, &e);
  EXPECT_EQ(Hex(ClientPixel(w.edit, e.right - 3, e.bottom - 3)),
            Hex(Palette(kSkinA).color[she::EditBackground]));
}

TEST_F(EngineTest, ButtonKeepsWorking) {
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  TestWindow w;
  Pump();
  SendMessageA(w.button, BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(Seen().clicks, 1) << "BM_CLICK";

  RECT r = WindowRectOf(w.button);
  Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  EXPECT_EQ(Seen().clicks, 2) << "mouse click";

  SetFocus(w.button);
  SendMessageA(w.button, WM_KEYDOWN, VK_SPACE, 0x00390001);
  SendMessageA(w.button, WM_KEYUP, VK_SPACE, 0xC0390001);
  Pump();
  EXPECT_EQ(Seen().clicks, 3) << "space bar";

  // Still our face after all that, not the system's.
  MoveCursorAway();
  she::Skin s = Palette(kSkinA);
  RECT b;
  GetClientRect(w.button, &b);
  EXPECT_EQ(Hex(ClientPixel(w.button, b.right / 2, 0)), Hex(s.color[she::ButtonBorder]));

  // Pressed state is drawn with the pressed colours.
  SendMessageA(w.button, BM_SETSTATE, TRUE, 0);
  EXPECT_TRUE(Between(ClientPixel(w.button, 8, b.bottom / 2), s.color[she::ButtonDownTop],
                      s.color[she::ButtonDownBottom], 2));
  SendMessageA(w.button, BM_SETSTATE, FALSE, 0);
  EXPECT_TRUE(Between(ClientPixel(w.button, 8, b.bottom / 2), s.color[she::ButtonTop],
                      s.color[she::ButtonBottom], 2));
}

TEST_F(EngineTest, CaptionButtonsHitTestAndWork) {
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  TestWindow w;
  Pump();
  POINT close, minimize, maximize;
  ASSERT_TRUE(FindHit(w.main, HTCLOSE, &close));
  ASSERT_TRUE(FindHit(w.main, HTMINBUTTON, &minimize));
  EXPECT_FALSE(FindHit(w.main, HTMAXBUTTON, &maximize)) << "window has no maximise box";
  EXPECT_LT(minimize.x, close.x);
  RECT r = WindowRectOf(w.main);
  EXPECT_EQ(SendMessageA(w.main, WM_NCHITTEST, 0, MAKELPARAM(r.left + 200, r.top + 10)),
            HTCAPTION);

  // Pressing close and letting go elsewhere cancels, and never draws the standard caption.
  she::Skin s = Palette(kSkinA);
  SendMessageA(w.main, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close.x, close.y));
  EXPECT_EQ(GetCapture(), w.main);
  EXPECT_EQ(Hex(WindowPixel(w.main, 0, 100)), Hex(s.color[she::FrameActive]));
  EXPECT_TRUE(Between(WindowPixel(w.main, 200, ClientTop(w.main) / 2), s.color[she::CapActiveTop],
                      s.color[she::CapActiveBottom], s.metric[she::TileStrength] / 2 + 3));
  SendMessageA(w.main, WM_LBUTTONUP, 0, MAKELPARAM(150, 100));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(IsWindow(w.main));
  EXPECT_FALSE(IsIconic(w.main));

  // Minimise through a real click on our button, then restore: still skinned.
  Click(minimize);
  EXPECT_TRUE(IsIconic(w.main));
  ShowWindow(w.main, SW_RESTORE);
  SetForegroundWindow(w.main);
  Pump();
  EXPECT_FALSE(IsIconic(w.main));
  MoveCursorAway();
  ExpectSkinned(w, kSkinA);

  // Close through a real click.
  ASSERT_TRUE(FindHit(w.main, HTCLOSE, &close));
  Click(close);
  EXPECT_FALSE(IsWindow(w.main));
}

TEST_F(EngineTest, CaptionDragMovesWindow) {
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  TestWindow w;
  Pump();
  RECT r = WindowRectOf(w.main);
  POINT from = {r.left + 150, r.top + ClientTop(w.main) / 2};
  ASSERT_EQ(SendMessageA(w.main, WM_NCHITTEST, 0, MAKELPARAM(from.x, from.y)), HTCAPTION);
  POINT to = {from.x + 60, from.y + 40};
  SendMouse(MOUSEEVENTF_MOVE, from);
  Pump();
  SendMouse(MOUSEEVENTF_LEFTDOWN, from);
  SendMouse(MOUSEEVENTF_MOVE, {from.x + 30, from.y + 20});
  SendMouse(MOUSEEVENTF_MOVE, to);
  SendMouse(MOUSEEVENTF_LEFTUP, to);
  for (int i = 0; i < 10; ++i) Pump();
  RECT moved = WindowRectOf(w.main);
  EXPECT_EQ(moved.left - r.left, 60);
  EXPECT_EQ(moved.top - r.top, 40);
  MoveCursorAway();
  ExpectSkinned(w, kSkinA);
}

TEST_F(EngineTest, GrowsToNewHeight) {
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  TestWindow w;
  Pump();
  RECT before;
  GetClientRect(w.main, &before);
  SetWindowPos(w.main, 0, 0, 0, 406, 290, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  RECT r = WindowRectOf(w.main);
  EXPECT_EQ(r.bottom - r.top, 290);
  RECT after;
  GetClientRect(w.main, &after);
  EXPECT_EQ(after.bottom - before.bottom, 44) << "frame metrics must not change";
  she::Skin s = Palette(kSkinA);
  bool active = GetActiveWindow() == w.main;
  EXPECT_EQ(Hex(WindowPixel(w.main, 200, 289)),
            Hex(s.color[active ? she::FrameActive : she::FrameInactive]));
  EXPECT_EQ(Hex(ClientPixel(w.main, 300, after.bottom - 4)), Hex(s.color[she::Background]));
  ExpectSkinned(w, kSkinA);
}

TEST_F(EngineTest, ActiveAndInactiveCaptionsDiffer) {
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  TestWindow a(40, 40, "A");
  Pump();
  ASSERT_EQ(GetActiveWindow(), a.main);
  COLORREF activeEdge = WindowPixel(a.main, 0, 100);
  TestWindow b(500, 300, "B");
  SetForegroundWindow(b.main);
  Pump();
  ASSERT_EQ(GetActiveWindow(), b.main);
  she::Skin s = Palette(kSkinA);
  EXPECT_EQ(Hex(activeEdge), Hex(s.color[she::FrameActive]));
  EXPECT_EQ(Hex(WindowPixel(a.main, 0, 100)), Hex(s.color[she::FrameInactive]));
  EXPECT_TRUE(Between(WindowPixel(a.main, 200, ClientTop(a.main) / 2),
                      s.color[she::CapInactiveTop], s.color[she::CapInactiveBottom],
                      s.metric[she::TileStrength] / 2 + 3));
  // Changing the title must not bring back the standard caption.
  SetWindowTextA(a.main, "A renamed");
  EXPECT_EQ(Hex(WindowPixel(a.main, 0, 100)), Hex(s.color[she::FrameInactive]));
  EXPECT_TRUE(Between(WindowPixel(a.main, 200, ClientTop(a.main) / 2),
                      s.color[she::CapInactiveTop], s.color[she::CapInactiveBottom],
                      s.metric[she::TileStrength] / 2 + 3));
}

TEST_F(EngineTest, NoGdiOrUserLeaksOverManyReskins) {
  TestWindow w;
  std::vector<uint8_t> a = SkinBytes(kSkinA), b = SkinBytes(kSkinB);
  for (int i = 0; i < 4; ++i) Apply(i % 2 ? a : b);
  Pump();
  DWORD gdi = GdiObjects();
  DWORD user = UserObjects();
  ASSERT_GT(gdi, 0u) << "GDI object count unavailable";
  ASSERT_GT(user, 0u) << "USER object count unavailable";
  {
    // The counters see a leak of the kind we look for.
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    HWND probeWindow = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 5, 5, 0, 0, 0, 0);
    EXPECT_EQ(GdiObjects(), gdi + 1);
    EXPECT_EQ(UserObjects(), user + 1);
    DeleteObject(probe);
    DestroyWindow(probeWindow);
  }
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(Apply(i % 2 ? a : b), 0);
    Pump();
  }
  EXPECT_EQ(GdiObjects(), gdi);
  EXPECT_EQ(UserObjects(), user);
}

struct BoxLook {
  bool found = false;
  COLORREF edge = CLR_INVALID, background = CLR_INVALID, buttonBorder = CLR_INVALID;
};
BoxLook g_box;

void CALLBACK InspectMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", "Skinned box");
  if (!box) return;
  KillTimer(0, id);
  g_box.found = true;
  RECT r = WindowRectOf(box);
  g_box.edge = WindowPixel(box, 0, (r.bottom - r.top) / 2);
  g_box.background = ClientPixel(box, 2, 2);
  HWND ok = GetDlgItem(box, IDOK);
  RECT b;
  GetClientRect(ok, &b);
  g_box.buttonBorder = ClientPixel(ok, b.right / 2, 0);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(EngineTest, MessageBoxesAreSkinned) {
  ASSERT_EQ(Apply(SkinBytes(kSkinA)), 0);
  TestWindow w;
  Pump();
  g_box = BoxLook();
  SetTimer(0, 0, 100, InspectMessageBox);
  EXPECT_EQ(MessageBoxA(w.main, "Hello from the test", "Skinned box", MB_OK), IDOK);
  ASSERT_TRUE(g_box.found);
  she::Skin s = Palette(kSkinA);
  EXPECT_EQ(Hex(g_box.edge), Hex(s.color[she::FrameActive]));
  EXPECT_EQ(Hex(g_box.background), Hex(s.color[she::Background]));
  EXPECT_EQ(Hex(g_box.buttonBorder), Hex(s.color[she::ButtonBorder]));
}

TEST_F(EngineTest, PaddedImageLoads) {
  HMODULE m = LoadLibraryA(ENGINE_IMAGE);
  ASSERT_NE(m, nullptr) << ENGINE_IMAGE;
  EXPECT_NE(GetProcAddress(m, "SkinH_AttachRes"), nullptr);
  FreeLibrary(m);
}

}  // namespace
