#pragma once
// Whole-file reading and writing in text mode: CR LF becomes LF on reading, LF becomes
// CR LF on writing.
#include <filesystem>
#include <string>

// The file's text; "" when it cannot be opened or is empty.
std::string ReadTextFile(const std::filesystem::path& path);

// Replaces the file with the text up to its first NUL; false when that failed.
bool WriteTextFile(const std::filesystem::path& path, const std::string& text);
