#pragma once
// For texts that tests write out by hand: codes as the product prints them, and
// placeholders for the paths that only the running test knows.
#include <string>

#include <windows.h>

// "0x" and eight upper-case hexadecimal digits, as error codes are shown.
inline std::wstring HexCode(DWORD value) {
    wchar_t text[16];
    wsprintfW(text, L"0x%08X", value);
    return text;
}

// Replaces every occurrence of the placeholder; a value that holds it is not filled again.
inline void FillPlaceholder(std::wstring& text, const std::wstring& placeholder,
                            const std::wstring& value) {
    for (size_t at = text.find(placeholder); at != std::wstring::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
}
