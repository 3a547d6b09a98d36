// Process-heap allocation with the one fatal report for a refused request.
#include "app/memory.h"

#include <windows.h>
#include <cstring>

#include "app/fatal.h"

namespace app {

void* heapAllocate(size_t bytes) {
    void* block = HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!block) fatalStopAllocation(bytes);
    return block;
}

void heapRelease(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

HeapBlock& HeapBlock::operator=(HeapBlock&& other) noexcept {
    if (this != &other) {
        heapRelease(data_);
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

Text Text::copyOf(const char* bytes, size_t length) {
    Text text;
    text.bytes_ = static_cast<char*>(heapAllocate(length + 1));
    if (length) memcpy(text.bytes_, bytes, length);
    text.bytes_[length] = '\0';
    return text;
}

Text Text::copyOf(const char* zeroTerminated) {
    if (!zeroTerminated || !*zeroTerminated) return Text();
    return copyOf(zeroTerminated, strlen(zeroTerminated));
}

Text Text::concat(std::initializer_list<const char*> parts) {
    size_t total = 0;
    for (const char* part : parts) total += part ? strlen(part) : 0;
    Text text;
    text.bytes_ = static_cast<char*>(heapAllocate(total + 1));
    char* out = text.bytes_;
    for (const char* part : parts) {
        size_t n = part ? strlen(part) : 0;
        if (n) memcpy(out, part, n);
        out += n;
    }
    *out = '\0';
    return text;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this != &other) {
        heapRelease(bytes_);
        bytes_ = other.bytes_;
        other.bytes_ = nullptr;
    }
    return *this;
}

size_t Text::length() const { return bytes_ ? strlen(bytes_) : 0; }

int compareText(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a ? a : "");
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b ? b : "");
    while (*x && *x == *y) { ++x; ++y; }
    return (*x > *y) - (*x < *y);
}

}  // namespace app
