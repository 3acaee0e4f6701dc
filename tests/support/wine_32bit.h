#pragma once
// Whether 32-bit programs can run here. Under Wine they need its 32-bit loader, which the
// 32-bit part of Wine ("wine32") brings; without it Wine still starts them, and they end at
// once having done nothing.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <windows.h>

#include "support/wine_path.h"

inline bool Runs32BitPrograms() {
    // WINELOADER names the loader of this process; the 32-bit one has its name without "64".
    const char* loader = std::getenv("WINELOADER");
    if (!loader) return true;  // Windows itself
    std::string path = loader;
    if (path.size() > 2 && path.compare(path.size() - 2, 2, "64") == 0) {
        path.resize(path.size() - 2);
    }
    std::error_code ignored;
    return std::filesystem::exists(WindowsPath(path), ignored);
}

// Whether they run only emulated here, as scripts/test says: then a 32-bit program takes
// far longer to start than the product waits for its 32-bit sibling.
inline bool Runs32BitProgramsEmulated() {
    const char* mode = std::getenv("SYSPROBE_X86");
    return mode && std::strcmp(mode, "emulated") == 0;
}

// Emulated, a 32-bit Wine program needs a minute or more of CPU time only to start: a wait
// on one is allowed ten times its usual deadline there.
inline DWORD DeadlineMs(DWORD usualMs) {
    return Runs32BitProgramsEmulated() ? usualMs * 10 : usualMs;
}
