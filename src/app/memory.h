// Process-heap memory for the system's own data: byte blocks and zero-terminated texts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace app {

// Every allocation asks the process heap for the exact count; a refusal ends the process.
void* heapAllocate(size_t bytes);
void heapRelease(void* block);

// An owned byte block from the process heap (a canvas picture, a copied skin).
class HeapBlock {
public:
    HeapBlock() = default;
    explicit HeapBlock(size_t bytes) : data_(static_cast<uint8_t*>(heapAllocate(bytes))), size_(bytes) {}
    HeapBlock(HeapBlock&& other) noexcept : data_(other.data_), size_(other.size_) { other.data_ = nullptr; other.size_ = 0; }
    HeapBlock& operator=(HeapBlock&& other) noexcept;
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    ~HeapBlock() { heapRelease(data_); }

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// A zero-terminated byte string in code page 936 that may be absent (no storage at all).
class Text {
public:
    Text() = default;
    static Text copyOf(const char* bytes, size_t length);   // length bytes, then a zero
    static Text copyOf(const char* zeroTerminated);           // empty input gives absent
    static Text concat(std::initializer_list<const char*> parts);  // always present

    Text(Text&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = nullptr; }
    Text& operator=(Text&& other) noexcept;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { heapRelease(bytes_); }

    bool absent() const { return bytes_ == nullptr; }
    // Present and not starting with a zero byte; a single space counts.
    bool filled() const { return bytes_ != nullptr && bytes_[0] != '\0'; }
    // An absent text reads as "".
    const char* c_str() const { return bytes_ ? bytes_ : ""; }
    size_t length() const;

private:
    char* bytes_ = nullptr;
};

// Byte-wise comparison on unsigned values; absent equals "".
int compareText(const char* a, const char* b);

}  // namespace app
