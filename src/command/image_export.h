// The ticket picture to the clipboard as a bitmap (CF_BITMAP).
#pragma once
#include <windows.h>

#include "app/memory.h"

namespace command {

// Decodes a BMP file image into a bitmap compatible with the screen; nullptr for 5 bytes or fewer or
// for bytes that do not decode.
HBITMAP bitmapFromImageBytes(const app::HeapBlock& imageBytes);

// Leaves the picture on the clipboard as CF_BITMAP. True when, after the clipboard was closed again,
// it reports a bitmap.
bool copyImageToClipboard(const app::HeapBlock& imageBytes);

}  // namespace command
