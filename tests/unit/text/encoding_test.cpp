#include "text/encoding.h"

#include <gtest/gtest.h>

TEST(Encoding, RoundTripsAndReplacementCharacters) {
    struct Case { std::string utf8; std::wstring wide; };
    const Case cases[] = {
        {"", L""},
        {"plain", L"plain"},
        {"\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80", L"\u00C4\u20AC\U0001F600"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},  // embedded NUL survives
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
    }
}

TEST(Encoding, InvalidInputBecomesReplacementCharacter) {
    struct Case { std::string utf8; std::wstring wide; };
    const Case cases[] = {
        {"\xFF", L"\uFFFD"},
        {"a\xC3", L"a\uFFFD"},          // truncated sequence at the end
        {"\xC3(", L"\uFFFD("},          // lead byte without continuation
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
    }
    // An unpaired surrogate cannot be written as UTF-8.
    EXPECT_EQ(WideToUtf8(std::wstring(L"x\xD800y")), "x\xEF\xBF\xBDy");
}

TEST(Encoding, CStringFormsStopAtFirstNul) {
    const wchar_t wideBuffer[] = L"ab\0cd";
    const char narrowBuffer[] = "ab\0cd";
    EXPECT_EQ(WideToUtf8(wideBuffer), "ab");
    EXPECT_EQ(Utf8ToWide(narrowBuffer), L"ab");
    EXPECT_EQ(WideToUtf8(static_cast<const wchar_t*>(nullptr)), "");
    EXPECT_EQ(Utf8ToWide(static_cast<const char*>(nullptr)), L"");
}
