#include "crash/system_library.h"

#include "crash/fixed_text.h"

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    // Small enough for the crash path's stack; a system folder deeper than MAX_PATH fails.
    wchar_t path[MAX_PATH + 64] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    AppendFixedText(path, L"\\");
    AppendFixedText(path, fileName);
    return LoadLibraryW(path);
}
