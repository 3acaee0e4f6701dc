#pragma once
// For texts that tests write out by hand or look into: codes as the product prints them,
// placeholders for the paths that only the running test knows, and counts of a part.
#include <string>

#include <windows.h>

// How often the part occurs in the text, overlapping occurrences included.
inline size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

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
