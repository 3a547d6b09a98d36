// The program's own directory.
#pragma once
#include "app/memory.h"

namespace app {

// The part of programPath before its last backslash, scanning characters in the ANSI code page so
// that a trail byte of 0x5C is never taken for a separator. "D:" for a file in a drive's root;
// empty when there is no backslash.
Text directoryOfPath(const char* programPath, unsigned codePage);

// Set once at start-up from GetModuleFileNameA; "" before that.
const char* programDirectory();
void setProgramDirectoryFromModule();

}  // namespace app
