// Clipboard text: each operation opens and closes the clipboard by itself.
#include "command/clipboard_text.h"

#include <cstring>

#include "ui/window.h"

namespace command {

namespace {
bool gFailWrites = false;
}

HWND clipboardOwner() { return ui::mainWindow(); }

void failClipboardWritesForTesting(bool fail) { gFailWrites = fail; }

bool setClipboardText(const char* text) {
    if (gFailWrites || !OpenClipboard(clipboardOwner())) return false;
    EmptyClipboard();
    const size_t length = text ? strlen(text) : 0;
    bool result = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 1)) {
        if (char* bytes = static_cast<char*>(GlobalLock(memory))) {
            if (length) memcpy(bytes, text, length);
            bytes[length] = '\0';
            GlobalUnlock(memory);
        }
        // The clipboard owns the memory from here on, unless it refused it.
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        result = true;
    }
    CloseClipboard();
    return result;
}

app::Text getClipboardText() {
    if (!OpenClipboard(clipboardOwner())) return app::Text();
    app::Text result;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            // Never read past the block, even when its text lacks the terminating zero.
            size_t capacity = GlobalSize(data);
            size_t length = 0;
            while (length < capacity && bytes[length]) ++length;
            if (length) result = app::Text::copyOf(bytes, length);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

}  // namespace command
