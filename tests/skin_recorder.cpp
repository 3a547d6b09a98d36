// A stand-in for the skin engine: it records what reaches SkinH_AttachRes, one line per call, in
// recorded.txt of the current directory, and keeps the address it was handed so that the caller can
// check afterwards that the memory behind it was released.
#include <windows.h>

#include <cstdio>

namespace {
const unsigned char* gLastAddress = nullptr;
}

extern "C" __declspec(dllexport) int WINAPI SkinH_AttachRes(const unsigned char* data, int length, const char* text,
                                                            int a, int b, int c) {
    gLastAddress = data;
    char head[16] = "-", hash[16] = "-";
    if (data && length >= 4) snprintf(head, sizeof head, "%c%c%c%c", data[0], data[1], data[2], data[3]);
    if (data) {
        unsigned value = 2166136261u;  // FNV-1a over every byte handed over
        for (int i = 0; i < length; ++i) value = (value ^ data[i]) * 16777619u;
        snprintf(hash, sizeof hash, "%08x", value);
    }
    const char* textKind = !text ? "null-text" : (text[0] ? "other-text" : "empty-text");
    char line[160];
    int size = snprintf(line, sizeof line, "%d %s %s %s %s %d %d %d\r\n", length, data ? "address" : "null", head,
                        hash, textKind, a, b, c);
    HANDLE file = CreateFileA("recorded.txt", FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(file);
    }
    return 1;
}

extern "C" __declspec(dllexport) const unsigned char* WINAPI RecordedAddress() { return gLastAddress; }
