#include "text/case_folding.h"

namespace {

template <typename Char>
void LowerInPlace(std::basic_string<Char>& text) {
    for (Char& c : text) {
        if (c >= Char('A') && c <= Char('Z')) c = static_cast<Char>(c + ('a' - 'A'));
    }
}

}  // namespace

std::string ToLowerAscii(std::string text) {
    LowerInPlace(text);
    return text;
}

std::wstring ToLowerAscii(std::wstring text) {
    LowerInPlace(text);
    return text;
}
