#pragma once
// The process's last line of defence: a crash leaves a minidump in the current directory,
// a message box that explains it and names the dump, and an offer to the Steam client's
// dump library.
#include <windows.h>

// Makes every fatal path of the process end in CrashHandler: unhandled exceptions,
// std::terminate and abort(). Call first thing, before anything that could fail.
void InstallCrashHandler();

// The unhandled-exception filter. Runs its body once per process and always lets the
// system's default handling go on (EXCEPTION_CONTINUE_SEARCH).
LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception);

// Writes the dump and, once it is written, shows the crash report box (blocking until the
// user closes it). True only if the dump was written.
bool WriteCrashDump(EXCEPTION_POINTERS* exception);
