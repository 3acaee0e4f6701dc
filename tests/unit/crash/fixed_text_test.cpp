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

TEST(AppendFixedNumber, WritesDigitsWithLeadingZerosAndCutsAtTheEnd) {
    struct Case {
        const wchar_t* start;
        unsigned long long value;
        unsigned base;
        std::size_t digits;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"", 0, 10, 1, L"0"},
        {L"v", 42, 10, 1, L"v42"},
        {L"", 9, 10, 2, L"09"},
        {L"", 2021, 10, 4, L"2021"},
        {L"", 12345, 10, 4, L"12345"},
        {L"", 0xC0000005, 16, 8, L"C0000005"},
        {L"", 0x1234, 16, 8, L"00001234"},
        {L"0x", 0x123456789ABull, 16, 8, L"0x123456789AB"},
        {L"", 0xFFFFFFFFFFFFFFFFull, 16, 1, L"FFFFFFFFFFFFFFFF"},
        {L"abcdefghijklmnop", 1234, 10, 1, L"abcdefghijklmnop123"},   // 20 units hold 19 and the terminator
    };
    for (const auto& c : cases) {
        wchar_t buffer[20] = {};
        std::wcsncpy(buffer, c.start, 19);
        AppendFixedNumber(buffer, c.value, c.base, c.digits);
        EXPECT_EQ(std::wstring(buffer), c.expected) << c.start << " + " << c.value;
    }
}
