#pragma once
// Test programs learn the build's file paths at compile time, as Unix paths; under Wine the
// Unix root is drive Z:.
#include <string>

inline std::wstring WindowsPath(const std::string& path) {
    std::wstring result = path.rfind('/', 0) == 0 ? L"Z:" : L"";
    for (char c : path) result += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return result;
}
