#pragma once
// Conversions between narrow UTF-8 text and wide UTF-16 text.
#include <string>

// Whole strings, embedded NULs included. Invalid input becomes U+FFFD.
std::string WideToUtf8(const std::wstring& wide);
std::wstring Utf8ToWide(const std::string& utf8);

// NUL-terminated forms, for fixed buffers filled by Win32; a null pointer gives "".
std::string WideToUtf8(const wchar_t* wide);
std::wstring Utf8ToWide(const char* utf8);
