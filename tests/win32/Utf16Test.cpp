#include "platform/win32/Utf16.h"

#include <gtest/gtest.h>

namespace zwf::win32 {
namespace {

TEST(Utf16, GermanAndAstralTextsRoundTrip) {
    const std::string text = "L\xC3\xB6sche \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";  // Lösche 日本 😀
    const std::wstring wide = Widen(text);
    EXPECT_EQ(wide, L"L\u00F6sche \u65E5\u672C \xD83D\xDE00");
    EXPECT_EQ(Narrow(wide), text);
}

TEST(Utf16, LoneSurrogatesSurviveTheRoundTrip) {
    // Windows names may hold such units; each must come back exactly, or the file is lost.
    const std::wstring names[] = {std::wstring(L"a\xD800z"), std::wstring(L"\xDC00"),
                                  std::wstring(L"x\xDBFF"), std::wstring(L"\xDC00\xD800")};
    for (const std::wstring& name : names)
        EXPECT_EQ(Widen(Narrow(name)), name);
    EXPECT_EQ(Narrow(std::wstring(L"a\xD800z")), "a\xED\xA0\x80z");
}

TEST(Utf16, BytesThatAreNoUtf8BecomeReplacementCharacters) {
    EXPECT_EQ(Widen("a\xFF" "b"), L"a\uFFFDb");
    EXPECT_EQ(Widen("\xC3"), L"\uFFFD");               // cut off
    EXPECT_EQ(Widen("\xC0\xAF"), L"\uFFFD\uFFFD");     // overlong "/"
    EXPECT_EQ(Widen("\xF4\x90\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
    EXPECT_EQ(Widen("\xE4" "x"), L"\uFFFDx");          // a broken sequence does not eat the next
}

}  // namespace
}  // namespace zwf::win32
