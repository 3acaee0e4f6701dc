#pragma once
// Removes a folder with everything below it, paths longer than MAX_PATH included: under
// Wine std::filesystem::remove_all gives up on those, and with them on the whole folder.
#include <string>

#include <windows.h>

#include "text/win_handles.h"

// Best effort: what cannot be removed stays, and the rest still goes.
inline void RemoveTree(const std::wstring& folder) {
    const std::wstring longForm = folder.rfind(L"\\\\?\\", 0) == 0 ? folder : L"\\\\?\\" + folder;
    WIN32_FIND_DATAW entry = {};
    const UniqueFind find{FindFirstFileW((longForm + L"\\*").c_str(), &entry)};
    if (find) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = longForm + L"\\" + name;
            const DWORD attributes = entry.dwFileAttributes;
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW(path.c_str());
            } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                RemoveDirectoryW(path.c_str());  // a link: what it points to stays
            } else {
                RemoveTree(path);
            }
        } while (FindNextFileW(find.get(), &entry));
    }
    RemoveDirectoryW(longForm.c_str());
}
