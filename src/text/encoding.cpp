#include "text/encoding.h"

#include <climits>
#include <cwchar>
#include <cstring>

#include <windows.h>

namespace {

// Two-pass conversion with flags 0, so invalid sequences become U+FFFD rather than
// failing the call. Lengths that do not fit an int cannot be passed to Win32.
std::string WideRangeToUtf8(const wchar_t* wide, size_t length) {
    if (length == 0 || length > INT_MAX) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

std::wstring Utf8RangeToWide(const char* utf8, size_t length) {
    if (length == 0 || length > INT_MAX) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), wide.data(), size);
    return wide;
}

}  // namespace

std::string WideToUtf8(const std::wstring& wide) {
    return WideRangeToUtf8(wide.data(), wide.size());
}

std::wstring Utf8ToWide(const std::string& utf8) {
    return Utf8RangeToWide(utf8.data(), utf8.size());
}

std::string WideToUtf8(const wchar_t* wide) {
    return wide ? WideRangeToUtf8(wide, std::wcslen(wide)) : std::string();
}

std::wstring Utf8ToWide(const char* utf8) {
    return utf8 ? Utf8RangeToWide(utf8, std::strlen(utf8)) : std::wstring();
}

void WriteBytesWidened(std::wostream& out, const std::string& text) {
    for (const char byte : text) {
        if (byte == '\0') break;
        out.put(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    }
}
