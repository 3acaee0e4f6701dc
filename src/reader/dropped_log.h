#pragma once
// The Windows edge of sysprobe-read: a log dropped onto the executable in Explorer.
#include <filesystem>

// Console output is written as UTF-8.
void PrepareConsoleForUtf8();

// True when no command prompt shares the console: Explorer made one for the program
// alone, as for a log dropped onto it.
bool HasConsoleOfItsOwn();

// Writes the page beside the log and opens it; an error shows in a message box, since the
// console closes with the program. Returns the exit code.
int ShowDroppedLog(const std::filesystem::path& log);
