#include "text/text_file.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <new>

std::string ReadTextFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::in | std::ios::ate);
    if (!file) return {};
    const std::streamoff size = file.tellg();
    if (size <= 0) return {};
    std::string text;
    // A size that the string cannot hold gives "", as does one that memory cannot: on i686 a
    // cast to size_t would cut a size of 4 GiB or more to its low 32 bits.
    if (static_cast<std::uintmax_t>(size) > text.max_size()) return {};
    try {
        text.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return {};
    }
    file.seekg(0);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    // Text mode delivers fewer characters than the byte size (each CR LF arrives as LF).
    text.resize(static_cast<size_t>(file.gcount()));
    return text;
}

bool WriteTextFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file) return false;
    file.write(text.c_str(), static_cast<std::streamsize>(std::strlen(text.c_str())));
    // A short text stays in the stream's buffer until the close writes it, so only the close
    // tells whether it reached the file.
    file.close();
    return !file.fail();
}
