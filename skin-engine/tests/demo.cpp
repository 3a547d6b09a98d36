// Shows the test window with one skin file until closed; used for screenshots.
#include "test_window.h"

int main(int argc, char** argv) {
  HMODULE dll = LoadLibraryA(ENGINE_DLL);
  test::AttachFn attach = dll ? (test::AttachFn)GetProcAddress(dll, "SkinH_AttachRes") : 0;
  if (!attach) return 2;
  int skin = argc > 1 ? atoi(argv[1]) : 13;
  std::vector<uint8_t> block = test::SkinBytes(skin);
  test::TestWindow w(20, 20, "Skin demo");
  test::TestWindow other(460, 20, "Inactive window");
  SetWindowTextA(w.edit, "Edit text");
  SetForegroundWindow(w.main);
  if (attach(block.data(), (int)block.size(), "", 0, 0, 0) != 0) return 3;
  if (argc > 2) MessageBoxA(w.main, "A message box under the same skin.", "Skin demo", MB_OKCANCEL | MB_ICONINFORMATION);
  MSG msg;
  while (IsWindow(w.main) && GetMessageA(&msg, 0, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  FreeLibrary(dll);
  return 0;
}
