#pragma once
// A RichEdit control gives its paragraph ends back as CR (or CR LF); the texts the product
// appends end their lines with LF.
#include <string>

inline std::wstring WithLineFeeds(const std::wstring& text) {
    std::wstring lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r') {
            lines += text[i];
        } else {
            lines += L'\n';
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        }
    }
    return lines;
}
