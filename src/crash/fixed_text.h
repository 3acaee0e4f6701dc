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
