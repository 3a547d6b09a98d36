// The single fatal-error report of the system.
#pragma once
#include <cstddef>

namespace app {

// Shows the error box, releases the outside libraries and OLE, and ends the process with -1.
[[noreturn]] void fatalStop(const char* message, int code);

// A refused heap request; formats without touching the heap.
[[noreturn]] void fatalStopAllocation(size_t bytes);

// The box text: "运行时出错!", the code line when code != 0, the message line when not empty.
// Writes at most capacity bytes including the zero; returns the length written.
size_t formatFatalText(char* out, size_t capacity, const char* message, int code);

}  // namespace app
