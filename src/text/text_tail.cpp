#include "text/text_tail.h"

#include <algorithm>
#include <fstream>
#include <vector>

std::string ReadTextFileTail(const std::filesystem::path& path, std::size_t maxBytes) {
    // Text mode, as ReadTextFile reads, so the line ends come out the same.
    std::ifstream file(path, std::ios::in);
    if (!file) return {};
    std::vector<char> piece(64 * 1024);
    std::string tail;
    while (file) {
        file.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto end = piece.begin() + file.gcount();
        const auto nul = std::find(piece.begin(), end, '\0');
        tail.append(piece.begin(), nul);
        // Trimming only now and then keeps the copying linear in the file size.
        if (tail.size() > 2 * maxBytes + piece.size()) tail.erase(0, tail.size() - maxBytes);
        if (nul != end) break;
    }
    if (tail.size() > maxBytes) tail.erase(0, tail.size() - maxBytes);
    return tail;
}
