#include "text/system_library.h"

#include <cwchar>

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t path[MAX_PATH + 64] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    if (std::wcslen(fileName) + length + 2 > sizeof(path) / sizeof(path[0])) return nullptr;
    std::wcscat(path, L"\\");
    std::wcscat(path, fileName);
    // The libraries it imports are looked for in the system folder too: a plain load by full
    // path would still search the program's own folder for them first.
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
