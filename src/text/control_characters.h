#pragma once
// Single-line fields of the full log (names, paths, window texts, registry values) come from
// the machine and may hold any character. Written raw, a NUL would end the text early and a
// line feed could start a heading of its own, so control characters are written escaped.
#include <string>
#include <string_view>

// The text with every control character below U+0020 but the tab escaped as the JSON
// writer escapes it: "\n", "\r", "\b", "\f", or "\u" and four lower-case hex digits.
std::string EscapeControlCharacters(std::string_view text);
std::wstring EscapeControlCharacters(std::wstring_view text);
