#include "platform/win32/Utf16.h"

#include <cstdint>

namespace zwf::win32 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t code) {
    auto byte = [&](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | (code >> 6));
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | (code >> 12));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | (code >> 18));
        byte(0x80 | ((code >> 12) & 0x3F));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

void AppendUtf16(std::wstring& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<wchar_t>(code));
    } else {
        code -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    }
}

// Decodes one sequence at text[pos], advancing pos. Overlong forms, values above U+10FFFF and
// cut-off sequences give U+FFFD for their first byte; surrogate values (WTF-8) are accepted.
char32_t DecodeAt(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int trailing = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (trailing == 0 || lead > 0xF4)
        return kReplacement;
    char32_t code = lead & (0x3F >> trailing);
    const std::size_t start = pos;
    for (int i = 0; i < trailing; ++i) {
        if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80) {
            pos = start;
            return kReplacement;
        }
        code = (code << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[trailing] || code > 0x10FFFF) {
        pos = start;
        return kReplacement;
    }
    return code;
}

}  // namespace

std::string Narrow(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = static_cast<std::uint16_t>(text[i]);
        if (IsHighSurrogate(unit) && i + 1 < text.size()) {
            char32_t next = static_cast<std::uint16_t>(text[i + 1]);
            if (IsLowSurrogate(next)) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, unit);
    }
    return out;
}

std::wstring Widen(std::string_view text) {
    std::wstring out;
    WidenInto(out, text);
    return out;
}

void WidenInto(std::wstring& out, std::string_view text) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();)
        AppendUtf16(out, DecodeAt(text, pos));
}

}  // namespace zwf::win32
