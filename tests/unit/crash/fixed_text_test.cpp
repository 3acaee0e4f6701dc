#include "crash/fixed_text.h"

#include <cwchar>
#include <string>

#include <gtest/gtest.h>

TEST(AppendFixedText, CutsWhatDoesNotFitAndKeepsTheTerminator) {
    struct Case {
        const wchar_t* start;
        const wchar_t* piece;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"", L"abc", L"abc"},
        {L"ab", L"cd", L"abcd"},
        {L"abcd", L"efgh", L"abcdefg"},   // 8 units hold 7 and the terminator
        {L"abcdefg", L"h", L"abcdefg"},
        {L"abc", L"", L"abc"},
    };
    for (const auto& c : cases) {
        wchar_t buffer[8] = {};
        std::wcsncpy(buffer, c.start, 7);
        AppendFixedText(buffer, c.piece);
        EXPECT_EQ(std::wstring(buffer), c.expected) << c.start << " + " << c.piece;
        EXPECT_EQ(buffer[7], L'\0');
    }
}

TEST(CopyFoldedText, LowersOnlyAsciiCapitals) {
    wchar_t folded[32] = {};
    CopyFoldedText(folded, L"C:\\RTSS\\\u00C4Hook.DLL");
    EXPECT_EQ(std::wstring(folded), L"c:\\rtss\\\u00C4hook.dll");
}
