#include "text/control_characters.h"

#include <gtest/gtest.h>

#include "text/json.h"

TEST(EscapeControlCharacters, EscapesEveryControlCharacterButTheTabAsTheJsonWriter) {
    for (unsigned code = 0; code < 0x20; ++code) {
        const std::string character(1, static_cast<char>(code));
        std::string expected = character;
        if (code != '\t') {
            // The writer's text of a string value, without its quotes.
            const std::string quoted = JsonToText(Json::Value(character));
            expected = quoted.substr(1, quoted.size() - 2);
        }
        EXPECT_EQ(EscapeControlCharacters(character), expected) << code;
        EXPECT_EQ(EscapeControlCharacters(std::wstring(1, static_cast<wchar_t>(code))),
                  std::wstring(expected.begin(), expected.end()))
            << code;
    }
}

TEST(EscapeControlCharacters, LeavesOtherTextAlone) {
    struct Case { std::wstring text, escaped; };
    const Case cases[] = {
        {L"C:\\Program Files\\Vistora\\vistora64.exe", L"C:\\Program Files\\Vistora\\vistora64.exe"},
        {L"User A\nWindows settings\n====", L"User A\\nWindows settings\\n===="},
        {std::wstring(L"a\0b", 3), L"a\\u0000b"},
        {L"\u00c4\u20ac \"quoted\" \x7f", L"\u00c4\u20ac \"quoted\" \x7f"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeControlCharacters(c.text), c.escaped);
    // UTF-8 bytes above 0x7F are never taken for control characters.
    EXPECT_EQ(EscapeControlCharacters(std::string("\xc3\x84\x1b")), "\xc3\x84\\u001b");
}
