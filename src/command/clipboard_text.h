// The clipboard as text (CF_TEXT).
#pragma once
#include <windows.h>

#include "app/memory.h"

namespace command {

// Replaces everything on the clipboard with text. True when the clipboard was opened and the memory
// for the text obtained.
bool setClipboardText(const char* text);

// The clipboard's CF_TEXT contents as a new text; absent when it cannot be opened, holds no text, or
// holds an empty one.
app::Text getClipboardText();

// The window the clipboard is opened for: MainWindow while it exists. With no owner at all,
// EmptyClipboard leaves the clipboard ownerless and Windows then refuses SetClipboardData.
HWND clipboardOwner();

// Makes the next clipboard writes of setClipboardText fail as if another program held the clipboard
// open at that moment, while reads go on (for tests of the paths that follow such a failure).
void failClipboardWritesForTesting(bool fail);

}  // namespace command
