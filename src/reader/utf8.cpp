#include "reader/utf8.h"

#include <algorithm>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Appends UTF-16 code units, pairing surrogates.
template <typename Unit>
std::string Utf16ToUtf8(std::size_t count, Unit unitAt) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
            const char32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendCodePoint(out, unit);
    }
    return out;
}

}  // namespace

std::string WideToUtf8Text(const std::wstring& text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return Utf16ToUtf8(text.size(), [&](std::size_t i) {
            return static_cast<char32_t>(static_cast<char16_t>(text[i]));
        });
    } else {
        std::string out;
        for (wchar_t c : text) AppendCodePoint(out, static_cast<char32_t>(c));
        return out;
    }
}

std::wstring Utf8ToWideText(std::string_view text) {
    const std::string valid = RepairUtf8(text);
    std::wstring out;
    for (std::size_t i = 0; i < valid.size();) {
        const unsigned char lead = static_cast<unsigned char>(valid[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = length == 1   ? lead
                     : length == 4 ? lead & 0x07
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x1F;
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (valid[i + k] & 0x3F);
        i += length;
        if (sizeof(wchar_t) == 2 && c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    return Utf16ToUtf8(bytes.size() / 2, [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    });
}

std::string RepairUtf8(std::string_view text) {
    // Most text is ASCII, which needs no look at sequences.
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        char32_t c = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
        bool valid = length != 0 && lead <= 0xF4 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
        valid = valid && !(length == 3 && c < 0x800) && !(length == 4 && c < 0x10000) &&
                c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            AppendCodePoint(out, kReplacement);
            ++i;
        }
    }
    return out;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool ContainsFolded(std::string_view text, std::string_view lowerWord) {
    const auto folded = [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    };
    return std::search(text.begin(), text.end(), lowerWord.begin(), lowerWord.end(), folded) !=
           text.end();
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
