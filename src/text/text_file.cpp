#include "text/text_file.h"

#include <cstring>
#include <fstream>

std::string ReadTextFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::in | std::ios::ate);
    if (!file) return {};
    const std::streamoff size = file.tellg();
    if (size <= 0) return {};
    file.seekg(0);
    std::string text(static_cast<size_t>(size), '\0');
    file.read(text.data(), size);
    // Text mode delivers fewer characters than the byte size (each CR LF arrives as LF).
    text.resize(static_cast<size_t>(file.gcount()));
    return text;
}

bool WriteTextFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file) return false;
    file.write(text.c_str(), static_cast<std::streamsize>(std::strlen(text.c_str())));
    return !file.fail();
}
