// programDirectory: where the program file lies, found character by character.
#include "app/path.h"

#include <windows.h>

namespace app {
namespace {
Text gProgramDirectory;
}

Text directoryOfPath(const char* programPath, unsigned codePage) {
    if (!programPath) return Text::copyOf("", 0);
    const char* lastBackslash = nullptr;
    for (const char* p = programPath; *p;) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(*p)) && p[1] != '\0') {
            p += 2;  // a double-byte character: its second byte is never a separator
            continue;
        }
        if (*p == '\\') lastBackslash = p;
        ++p;
    }
    if (!lastBackslash) return Text::copyOf("", 0);
    return Text::copyOf(programPath, static_cast<size_t>(lastBackslash - programPath));
}

const char* programDirectory() { return gProgramDirectory.c_str(); }

void setProgramDirectoryFromModule() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    gProgramDirectory = directoryOfPath(path, CP_ACP);
}

}  // namespace app
