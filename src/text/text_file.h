#pragma once
// Whole-file reading and writing in text mode: CR LF becomes LF on reading, LF becomes
// CR LF on writing. As ever in text mode, reading ends at a Ctrl-Z byte (0x1A).
#include <filesystem>
#include <string>

// The file's text; "" when it cannot be opened, is empty or is too large to hold in memory.
std::string ReadTextFile(const std::filesystem::path& path);

// Replaces the file with the text up to its first NUL; false when that failed, including a
// failure to write the last of it when the file is closed.
bool WriteTextFile(const std::filesystem::path& path, const std::string& text);

// Writes the whole text, NULs included, with each LF written as CR LF, into a new file
// beside the target, and only when all of it is on the disk (write-through) puts that file
// in place of the target. False when any step failed: the target is then as it was and the
// new file is gone, so a full disk or a locked target never leaves a half-written log.
bool ReplaceTextFile(const std::filesystem::path& path, const std::string& text);
