#pragma once
// Files a test writes and reads back byte for byte or ages, and the Explorer windows the
// product opens on a file it has written.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <windows.h>

#include "text/win_handles.h"

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Replaces the file, making its folders first.
inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Moves the file's last-write time the given days (and an hour, so the day boundary is
// never in doubt) into the past; false when it cannot be set.
inline bool SetDaysOld(const std::filesystem::path& path, int days) {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks = {};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    ticks.QuadPart -= (static_cast<ULONGLONG>(days) * 86400 + 3600) * 10000000;
    const FILETIME written = {ticks.LowPart, ticks.HighPart};
    const UniqueHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && SetFileTime(file.get(), nullptr, nullptr, &written);
}

// Closes the Explorer windows that showing a saved file opened, waiting up to waitMs for
// the first, so that none outlives the test; gives their number.
inline int CloseExplorerWindows(DWORD waitMs) {
    int closed = 0;
    for (DWORD waited = 0; waited < waitMs && closed == 0; waited += 100) {
        for (HWND window = FindWindowW(L"ExplorerWClass", nullptr); window;
             window = FindWindowW(L"ExplorerWClass", nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            ++closed;
            for (int i = 0; i < 50 && IsWindow(window); ++i) Sleep(100);
            if (IsWindow(window)) return closed;
        }
        if (closed == 0) Sleep(100);
    }
    return closed;
}
