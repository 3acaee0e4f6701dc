#pragma once
// The end of a text file of any size, read with bounded memory.
#include <cstddef>
#include <filesystem>
#include <string>

// What ReadTextFile would give (text mode: CR LF becomes LF, a Ctrl-Z byte ends the file),
// cut at its first NUL byte, and of that at most the last maxBytes bytes. The file is read
// in pieces and only the tail is kept, so a log of gigabytes costs no more memory than a
// small one.
std::string ReadTextFileTail(const std::filesystem::path& path, std::size_t maxBytes);
