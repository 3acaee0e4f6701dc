#include "text/text_tail.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <vector>

namespace {

// Large pieces keep the reads few; the memory is bounded all the same.
constexpr std::size_t kPieceBytes = 1 << 20;

bool EndsTheText(char byte) {
    // A NUL ends the tail; a Ctrl-Z is where the C runtime's text mode ends a file.
    return byte == '\0' || byte == '\x1A';
}

// The first NUL or Ctrl-Z, or end. A log holds neither for gigabytes, so the bytes are
// looked at a machine word at a time, which costs far less than the reading itself.
const char* FindTextEnd(const char* begin, const char* end) {
    using Word = std::size_t;
    constexpr Word kOnes = std::numeric_limits<Word>::max() / 0xFF;
    constexpr Word kHighBits = kOnes * 0x80;
    const auto hasZeroByte = [](Word word) { return ((word - kOnes) & ~word & kHighBits) != 0; };
    const char* at = begin;
    for (; static_cast<std::size_t>(end - at) >= sizeof(Word); at += sizeof(Word)) {
        Word word;
        std::memcpy(&word, at, sizeof word);
        if (hasZeroByte(word) || hasZeroByte(word ^ (kOnes * 0x1A))) break;
    }
    return std::find_if(at, end, EndsTheText);
}

// Text mode's line ends: a CR right before an LF is dropped, any other byte kept. What
// follows the last byte is the end of the text, never an LF; bytes[size()] is the NUL.
std::string WithTextModeLineEnds(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' || bytes[i + 1] != '\n') text += bytes[i];
    }
    return text;
}

}  // namespace

std::string ReadTextFileTail(const std::filesystem::path& path, std::size_t maxBytes) {
    // Raw bytes: converting the whole file in the C runtime's text mode costs many times
    // the reading, and only the tail needs converting.
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file) return {};
    // Each byte of the text comes from one byte or from a CR LF pair, so the last
    // 2 * maxBytes bytes before the end of the text hold its last maxBytes bytes. Whether a
    // byte is kept depends only on the byte after it, so those bytes convert on their own.
    constexpr std::size_t kLargest = std::numeric_limits<std::size_t>::max();
    const std::size_t windowBytes = maxBytes > kLargest / 2 ? kLargest : 2 * maxBytes;
    std::vector<char> piece(kPieceBytes);
    std::string window;
    bool ended = false;
    while (!ended && file) {
        file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const char* begin = piece.data();
        const char* end = begin + file.gcount();
        const char* textEnd = FindTextEnd(begin, end);
        ended = textEnd != end;
        const std::size_t take = std::min(static_cast<std::size_t>(textEnd - begin), windowBytes);
        window.append(textEnd - take, textEnd);
        if (window.size() > windowBytes) window.erase(0, window.size() - windowBytes);
    }
    std::string tail = WithTextModeLineEnds(window);
    if (tail.size() > maxBytes) tail.erase(0, tail.size() - maxBytes);
    return tail;
}
