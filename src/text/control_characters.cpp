#include "text/control_characters.h"

namespace {

template <typename Char>
std::basic_string<Char> Escape(std::basic_string_view<Char> text) {
    std::basic_string<Char> escaped;
    escaped.reserve(text.size());
    for (const Char c : text) {
        const auto code = static_cast<unsigned>(c);
        if (code >= 0x20 || c == Char('\t')) {
            escaped += c;
            continue;
        }
        escaped += Char('\\');
        switch (code) {
        case '\b': escaped += Char('b'); break;
        case '\f': escaped += Char('f'); break;
        case '\n': escaped += Char('n'); break;
        case '\r': escaped += Char('r'); break;
        default: {
            const char* const digits = "0123456789abcdef";
            for (const char part : {'u', '0', '0', digits[code >> 4], digits[code & 0xf]}) {
                escaped += Char(part);
            }
        }
        }
    }
    return escaped;
}

}  // namespace

std::string EscapeControlCharacters(std::string_view text) { return Escape(text); }

std::wstring EscapeControlCharacters(std::wstring_view text) { return Escape(text); }
