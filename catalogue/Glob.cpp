#include "catalogue/Glob.h"

namespace zwf {

namespace {

bool IsSeparator(char c, char separator) { return c == separator || (separator == '\\' && c == '/'); }

// Matches the set at pattern[p] (just after '[') against c; end receives the index after ']'.
// A '[' without its ']' is a plain character.
bool InSet(std::string_view pattern, std::size_t p, char c, std::size_t& end, bool& isSet) {
    std::size_t k = p;
    const bool negated = k < pattern.size() && (pattern[k] == '!' || pattern[k] == '^');
    if (negated)
        ++k;
    bool found = false;
    for (bool first = true; k < pattern.size() && (first || pattern[k] != ']'); first = false) {
        const auto low = static_cast<unsigned char>(pattern[k]);
        if (k + 2 < pattern.size() && pattern[k + 1] == '-' && pattern[k + 2] != ']') {
            const auto high = static_cast<unsigned char>(pattern[k + 2]);
            found = found || (static_cast<unsigned char>(c) >= low && static_cast<unsigned char>(c) <= high);
            k += 3;
        } else {
            found = found || pattern[k] == c;
            ++k;
        }
    }
    isSet = k < pattern.size();
    end = k + 1;
    return found != negated;
}

}  // namespace

bool GlobMatches(std::string_view pattern, std::string_view text, char separator) {
    // Backtracking to the last '*' only: linear in practice, never exponential.
    std::size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        bool advanced = false;
        if (p < pattern.size()) {
            const char c = pattern[p];
            if (c == '*') {
                starP = ++p;
                starT = t;
                continue;
            }
            if (c == '?' && !IsSeparator(text[t], separator)) {
                ++p, ++t;
                advanced = true;
            } else if (c == '[' && !IsSeparator(text[t], separator)) {
                std::size_t end = 0;
                bool isSet = false;
                const bool in = InSet(pattern, p + 1, text[t], end, isSet);
                if (isSet && in) {
                    p = end, ++t;
                    advanced = true;
                } else if (!isSet && text[t] == '[') {
                    ++p, ++t;
                    advanced = true;
                }
            } else if (c == '\\' && separator != '\\' && p + 1 < pattern.size()) {
                if (pattern[p + 1] == text[t]) {
                    p += 2, ++t;
                    advanced = true;
                }
            } else if (c != '?' && c != '[' &&
                       (c == text[t] || (IsSeparator(c, separator) && IsSeparator(text[t], separator)))) {
                ++p, ++t;
                advanced = true;
            }
        }
        if (advanced)
            continue;
        // A '*' takes one more character, but never a separator.
        if (starP == std::string_view::npos || IsSeparator(text[starT], separator))
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace zwf
