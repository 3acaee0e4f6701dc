#pragma once
// Text helpers of the reader, which runs on any system: UTF-8 from the knowledge tables'
// wide strings, repair of bytes that are not UTF-8, and ASCII case folding.
#include <string>
#include <string_view>

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are taken.
std::string WideToUtf8Text(const std::wstring& text);

// The inverse, for text that is UTF-8; other bytes become U+FFFD.
std::wstring Utf8ToWideText(std::string_view text);

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD.
std::string RepairUtf8(std::string_view text);

// Little-endian UTF-16 bytes as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);

// Only A-Z are lowered.
std::string LowerAscii(std::string_view text);

// True when the lower-case word occurs in the text, A-Z taken as a-z.
bool ContainsFolded(std::string_view text, std::string_view lowerWord);

bool StartsWith(std::string_view text, std::string_view prefix);
