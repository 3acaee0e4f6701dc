#pragma once
// Conversions of narrow text to wide text and back: UTF-8 and UTF-16, and bytes widened one
// by one.
#include <ostream>
#include <string>

// Whole strings, embedded NULs included. Invalid input becomes U+FFFD.
std::string WideToUtf8(const std::wstring& wide);
std::wstring Utf8ToWide(const std::string& utf8);

// NUL-terminated forms, for fixed buffers filled by Win32; a null pointer gives "".
std::string WideToUtf8(const wchar_t* wide);
std::wstring Utf8ToWide(const char* utf8);

// Writes narrow text up to its first NUL with each byte widened to the code unit of the
// same value: for ASCII texts and for reports whose encoding is not known.
void WriteBytesWidened(std::wostream& out, const std::string& text);
