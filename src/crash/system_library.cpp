#include "crash/system_library.h"

#include "crash/fixed_text.h"

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    // Small enough for the crash path's stack; a system folder deeper than MAX_PATH fails.
    wchar_t path[MAX_PATH + 64] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    AppendFixedText(path, L"\\");
    AppendFixedText(path, fileName);
    // The libraries it imports are looked for in the system folder too: a plain load by full
    // path would still search the program's own folder for them first.
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
