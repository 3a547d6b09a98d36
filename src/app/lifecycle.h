// Start-up, the one message loop and shut-down of the process.
#pragma once
#include <windows.h>

namespace app {

// Start-up steps before the window: process heap, OLE for the thread, programDirectory, current
// directory, the thread of the user interface.
void prepareProcess();
DWORD userInterfaceThread();

// The loop: idle processing while the queue is empty, the keyboard-command chance for the target
// window and its parents, then translate and dispatch; returns on WM_QUIT, or at once when no window
// of the system exists.
void runEventLoop();
bool loopStarted();

// The keyboard-command chance, shared by the loop and by processPendingEvents.
using KeyboardCommandFilter = bool (*)(MSG* message);
void setKeyboardCommandFilter(KeyboardCommandFilter filter);
bool offerKeyboardCommand(MSG* message);

// The windows of the system announce themselves; the last one destroyed posts the quit request
// once the loop has started.
void systemWindowCreated();
void systemWindowDestroyed();
int systemWindowCount();
using WindowReleaser = void (*)();
void setWindowReleaser(WindowReleaser releaser);

// Shut-down steps 2 and 3 (also used by fatalStop): outside libraries, windows, OLE.
void releaseProcessResources();

// The normal end after the loop: returns the exit code, 0.
int shutDown();

}  // namespace app
