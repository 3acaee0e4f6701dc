#include "text/case_folding.h"

#include <gtest/gtest.h>

TEST(ToLowerAscii, LowersOnlyAsciiCapitals) {
    struct Case { std::wstring in, out; };
    const Case cases[] = {
        {L"", L""},
        {L"RTSSHooks64.DLL", L"rtsshooks64.dll"},
        {L"@AZ[`az{", L"@az[`az{"},                        // neighbours of A-Z stay
        {L"X\u00C4Y\u0130\u0410", L"x\u00C4y\u0130\u0410"},  // non-ASCII capitals stay
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToLowerAscii(c.in), c.out);
    }
}

TEST(ToLowerAscii, NarrowLeavesUtf8BytesAlone) {
    // "ÄBC" in UTF-8: the two bytes of the A with diaeresis must not change.
    EXPECT_EQ(ToLowerAscii(std::string("\xC3\x84" "BC")), std::string("\xC3\x84" "bc"));
    EXPECT_EQ(ToLowerAscii(std::string("A\0B", 3)), std::string("a\0b", 3));
}
