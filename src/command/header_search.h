// The header search over the clipboard text: "nickname(number)  time " as a chat copy shows it.
#pragma once
#include <cstddef>

#include "app/memory.h"

namespace command {

// 24 characters; every backslash belongs to the pattern.
constexpr const char kHeaderPattern[] = "^(.*?)\\(.*?\\)\\s\\s(.*?)\\s";

struct HeaderGroup {
    size_t offset = 0;  // bytes from the first byte of the searched text
    size_t length = 0;
    bool matched = false;
};

// The outcome of one search: the whole match (0) and groups 1 and 2; no entries when nothing matched.
struct HeaderMatch {
    bool found = false;
    HeaderGroup groups[3];
};

// A compiled kHeaderPattern (Boost.Regex, perl syntax, no flags, Windows locale traits for bytes).
class HeaderPattern {
public:
    HeaderPattern();
    ~HeaderPattern();
    HeaderPattern(const HeaderPattern&) = delete;
    HeaderPattern& operator=(const HeaderPattern&) = delete;

    bool compiled() const;
    // Searches the whole text; an empty or absent text, and any failure inside the engine, find nothing.
    HeaderMatch search(const char* text) const;

private:
    struct Compiled;
    Compiled* compiled_;
};

// The group's bytes cut out of reading at the recorded offset and length, kept inside the reading;
// absent when nothing matched, the group did not take part, or nothing is left to cut.
app::Text cutGroup(const char* reading, const HeaderMatch& match, int group);

}  // namespace command
