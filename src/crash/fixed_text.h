#pragma once
// Text in fixed-size, zero-terminated buffers, for the crash path: nothing here allocates,
// and a piece that does not fit is cut so that the buffer keeps its terminator.
#include <cstddef>

template <typename Char, std::size_t Capacity>
std::size_t FixedTextLength(const Char (&buffer)[Capacity]) {
    std::size_t length = 0;
    while (length < Capacity && buffer[length] != 0) ++length;
    return length;
}

template <typename Char, std::size_t Capacity>
void AppendFixedText(Char (&buffer)[Capacity], const Char* piece) {
    std::size_t length = FixedTextLength(buffer);
    if (length >= Capacity) return;
    while (*piece != 0 && length + 1 < Capacity) buffer[length++] = *piece++;
    buffer[length] = 0;
}

// Appends the number in base 10 or 16 (upper-case digits), with leading zeros up to
// minimumDigits, as "%0*u" and "%0*X" would, without the formatting functions of a system
// library: those may wait for the loader.
template <typename Char, std::size_t Capacity>
void AppendFixedNumber(Char (&buffer)[Capacity], unsigned long long value, unsigned base,
                       std::size_t minimumDigits) {
    Char reversed[64];
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<Char>("0123456789ABCDEF"[value % base]);
        value /= base;
    } while (value != 0);
    while (count < minimumDigits && count < 64) reversed[count++] = '0';
    Char digits[65];
    std::size_t length = 0;
    while (count > 0) digits[length++] = reversed[--count];
    digits[length] = 0;
    AppendFixedText(buffer, digits);
}

// Copies text lowered with the one case-folding rule (only A-Z), cut to the buffer.
template <std::size_t Capacity>
void CopyFoldedText(wchar_t (&folded)[Capacity], const wchar_t* text) {
    std::size_t length = 0;
    for (; text[length] != 0 && length + 1 < Capacity; ++length) {
        const wchar_t c = text[length];
        folded[length] = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    folded[length] = 0;
}
