#pragma once

#include <string>
#include <string_view>

// UTF-8 inside the program, UTF-16 only at the Win32 call.
namespace zwf::win32 {

// Windows names are sequences of 16-bit units that need not be valid UTF-16. A lone surrogate
// is carried through as its three-byte form (WTF-8), so every name found on disk can be
// converted back unchanged and opened, compared or deleted.
std::string Narrow(std::wstring_view text);

// The reverse of Narrow. Bytes that are not UTF-8 (which no name from Narrow contains, but a
// caller's text might) become U+FFFD each, so any text can be shown.
std::wstring Widen(std::string_view text);
// Widen into a buffer of the caller's, which it replaces: one buffer serves many texts.
void WidenInto(std::wstring& out, std::string_view text);

}  // namespace zwf::win32
