// Functions of other libraries, named by library file and export, bound at their first call.
#pragma once
#include <cstdint>
#include <initializer_list>

namespace app {

enum class Outside : int {
    SkinH_AttachRes = 0,
    OpenClipboard = 1,
    EmptyClipboard = 2,
    SetClipboardData = 3,
    CloseClipboard = 4,
    IsClipboardFormatAvailable = 5,
};

struct OutsideFunction {
    const char* library;  // as written; no drive colon
    const char* exportName;
};
extern const OutsideFunction kOutsideFunctions[6];

// Calls the export with up to six word-sized arguments in the Windows API convention. The first call
// binds it (program directory first, then the standard search); a binding that fails, or a call that
// leaves the stack unbalanced, ends the process through fatalStop.
uintptr_t callOutside(Outside entry, std::initializer_list<uintptr_t> arguments);

// Whether the entry has been bound (for tests and shut-down).
bool outsideBound(Outside entry);

// Shut-down: FreeLibrary for every bound entry, then forget the bindings.
void releaseOutsideLibraries();

}  // namespace app
