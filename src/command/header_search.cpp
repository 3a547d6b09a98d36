// kHeaderPattern compiled with Boost.Regex and searched over a byte string.
#include "command/header_search.h"

#include <boost/regex.hpp>
#include <boost/regex/v5/w32_regex_traits.hpp>
#include <cstring>
#include <new>

namespace command {

using Regex = boost::basic_regex<char, boost::w32_regex_traits<char>>;

struct HeaderPattern::Compiled {
    Regex regex;
    bool ok = false;
};

HeaderPattern::HeaderPattern() : compiled_(new (app::heapAllocate(sizeof(Compiled))) Compiled()) {
    try {
        compiled_->regex.assign(kHeaderPattern, boost::regex_constants::perl);
        compiled_->ok = !compiled_->regex.empty();
    } catch (...) {
        compiled_->ok = false;  // every search then finds nothing
    }
}

HeaderPattern::~HeaderPattern() {
    compiled_->~Compiled();
    app::heapRelease(compiled_);
}

bool HeaderPattern::compiled() const { return compiled_->ok; }

HeaderMatch HeaderPattern::search(const char* text) const {
    HeaderMatch result;
    if (!compiled_->ok || !text || !*text) return result;
    const char* end = text + strlen(text);
    try {
        boost::match_results<const char*> match;
        if (!boost::regex_search(text, end, match, compiled_->regex, boost::match_default)) return result;
        result.found = true;
        for (int i = 0; i < 3 && i < static_cast<int>(match.size()); ++i) {
            result.groups[i].matched = match[i].matched;
            if (match[i].matched) {
                result.groups[i].offset = static_cast<size_t>(match[i].first - text);
                result.groups[i].length = static_cast<size_t>(match[i].second - match[i].first);
            }
        }
    } catch (...) {
        return HeaderMatch();  // the engine's limits on effort or stack: no match
    }
    return result;
}

app::Text cutGroup(const char* reading, const HeaderMatch& match, int group) {
    if (!match.found || group < 0 || group > 2) return app::Text();
    const HeaderGroup& g = match.groups[group];
    if (!g.matched || g.length == 0 || !reading) return app::Text();
    // Another program may have changed the clipboard since the search: stay inside this reading.
    const size_t available = strlen(reading);
    if (g.offset >= available) return app::Text();
    const size_t length = g.length < available - g.offset ? g.length : available - g.offset;
    return app::Text::copyOf(reading + g.offset, length);
}

}  // namespace command
