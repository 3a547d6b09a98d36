// fatalStop: the one way the system ends the process on an error.
#include "app/fatal.h"

#include <windows.h>
#include <cstdio>
#include <cstring>

#include "app/lifecycle.h"

namespace app {
namespace {

void append(char* out, size_t capacity, size_t& used, const char* part) {
    size_t n = strlen(part);
    if (used + 1 >= capacity) return;
    if (n > capacity - 1 - used) n = capacity - 1 - used;
    memcpy(out + used, part, n);
    used += n;
    out[used] = '\0';
}

}  // namespace

size_t formatFatalText(char* out, size_t capacity, const char* message, int code) {
    if (capacity == 0) return 0;
    size_t used = 0;
    out[0] = '\0';
    append(out, capacity, used, "运行时出错!\r\n\r\n");
    if (code != 0) {
        char number[16];
        snprintf(number, sizeof number, "%d", code);
        append(out, capacity, used, "错误代码：");
        append(out, capacity, used, number);
        append(out, capacity, used, "\r\n\r\n");
    }
    if (message && *message) {
        append(out, capacity, used, "错误信息：");
        append(out, capacity, used, message);
        append(out, capacity, used, "\r\n");
    }
    return used;
}

void fatalStop(const char* message, int code) {
    char text[2048];
    formatFatalText(text, sizeof text, message, code);
    MessageBoxA(nullptr, text, "错误", MB_ICONERROR | MB_OK);
    // The end-of-run hook is dropped, not called.
    releaseProcessResources();
    ExitProcess(static_cast<UINT>(-1));
}

void fatalStopAllocation(size_t bytes) {
    // The count is printed unsigned so a huge request is not shown as a negative number.
    char message[96];
    snprintf(message, sizeof message, "分配 %llu 字节内存失败!", static_cast<unsigned long long>(bytes));
    fatalStop(message, 0);
}

}  // namespace app
