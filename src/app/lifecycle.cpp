// The frame of the process: start-up, the message loop, ending the loop and shut-down.
#include "app/lifecycle.h"

#include <ole2.h>

#include "app/outside.h"
#include "app/path.h"

namespace app {
namespace {

bool gLoopStarted = false;
bool gOleInitialised = false;
bool gResourcesReleased = false;
int gSystemWindows = 0;
DWORD gUserInterfaceThread = 0;
KeyboardCommandFilter gKeyboardFilter = nullptr;
WindowReleaser gWindowReleaser = nullptr;

// The platform's housekeeping between messages; the system registers no idle work of its own.
bool idlePass(long passCount) {
    (void)passCount;
    return false;
}

}  // namespace

void prepareProcess() {
    GetProcessHeap();
    gOleInitialised = SUCCEEDED(OleInitialize(nullptr));
    setProgramDirectoryFromModule();
    SetCurrentDirectoryA(programDirectory());
    gUserInterfaceThread = GetCurrentThreadId();
}

DWORD userInterfaceThread() { return gUserInterfaceThread; }

bool loopStarted() { return gLoopStarted; }

void setKeyboardCommandFilter(KeyboardCommandFilter filter) { gKeyboardFilter = filter; }

bool offerKeyboardCommand(MSG* message) { return gKeyboardFilter && gKeyboardFilter(message); }

void runEventLoop() {
    gLoopStarted = true;
    if (gSystemWindows == 0) return;
    MSG message;
    for (;;) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            for (long pass = 0; idlePass(pass); ++pass) {
            }
        }
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;  // WM_QUIT, or a broken queue
        if (offerKeyboardCommand(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void systemWindowCreated() { ++gSystemWindows; }

void systemWindowDestroyed() {
    if (gSystemWindows > 0) --gSystemWindows;
    if (gSystemWindows == 0 && gLoopStarted) PostQuitMessage(0);
}

int systemWindowCount() { return gSystemWindows; }

void setWindowReleaser(WindowReleaser releaser) { gWindowReleaser = releaser; }

void releaseProcessResources() {
    if (gResourcesReleased) return;
    gResourcesReleased = true;
    // Windows go before the libraries: a window subclassed by the skin engine must not outlive it.
    if (gWindowReleaser) gWindowReleaser();
    releaseOutsideLibraries();
    if (gOleInitialised) OleUninitialize();
    gOleInitialised = false;
}

int shutDown() {
    // The end-of-run hook does nothing in this program.
    releaseProcessResources();
    return 0;
}

}  // namespace app
