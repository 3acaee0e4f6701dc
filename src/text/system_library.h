#pragma once
#include <windows.h>

// Loads a Windows DLL from the system folder by its full path. The tool runs with
// administrator rights, so a file of the same name beside it or in the current directory
// must never be loaded instead, nor in place of a library that it imports. Null when it
// cannot be loaded. Allocates nothing, so the crash handler may use it.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// The export of a loaded library as the function type the caller knows it by; null when
// the library lacks it.
template <typename Function>
Function FindExport(HMODULE library, const char* name) {
    // Through a plain function pointer, so the compiler accepts the change of signature.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}
