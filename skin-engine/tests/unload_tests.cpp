// Unloading the engine while windows live: they fall back to their own painting and keep
// working, and later windows are left alone. Its own process, since the DLL goes away.
#include <gtest/gtest.h>

#include "test_window.h"

using namespace test;

namespace {

COLORREF Background(HWND main) {
  HDC dc = GetDC(main);
  COLORREF c = GetPixel(dc, 300, 190);
  ReleaseDC(main, dc);
  return c;
}

TEST(Unload, WindowsSurviveFreeLibrary) {
  HMODULE dll = LoadLibraryA(ENGINE_DLL);
  ASSERT_NE(dll, nullptr);
  AttachFn attach = (AttachFn)GetProcAddress(dll, "SkinH_AttachRes");
  ASSERT_NE(attach, nullptr);
  std::vector<uint8_t> block = SkinBytes(13);
  she::Skin s;
  ASSERT_TRUE(she::ParseSkin(block.data(), block.size(), &s));

  TestWindow before;
  ASSERT_EQ(attach(block.data(), (int)block.size(), "", 0, 0, 0), 0);
  Pump();
  ASSERT_EQ(Background(before.main), s.color[she::Background]);

  ASSERT_TRUE(FreeLibrary(dll));
  RedrawWindow(before.main, 0, 0,
               RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  EXPECT_EQ(Background(before.main), GetSysColor(COLOR_BTNFACE));
  SendMessageA(before.button, BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(Seen().clicks, 1);
  SendMessageA(before.edit, WM_CHAR, 'q', 1);
  char text[8] = {};
  GetWindowTextA(before.edit, text, sizeof text);
  EXPECT_STREQ(text, "q");

  TestWindow after(100, 300, "After unload");
  Pump();
  EXPECT_EQ(Background(after.main), GetSysColor(COLOR_BTNFACE));
}

TEST(Unload, ReloadAfterWindowsAreGone) {
  for (int round = 0; round < 3; ++round) {
    HMODULE dll = LoadLibraryA(ENGINE_DLL);
    ASSERT_NE(dll, nullptr);
    AttachFn attach = (AttachFn)GetProcAddress(dll, "SkinH_AttachRes");
    std::vector<uint8_t> block = SkinBytes(1 + round * 10);
    {
      TestWindow w;
      EXPECT_EQ(attach(block.data(), (int)block.size(), "", 0, 0, 0), 0);
      Pump();
    }
    Pump();
    EXPECT_TRUE(FreeLibrary(dll));
  }
}

}  // namespace
