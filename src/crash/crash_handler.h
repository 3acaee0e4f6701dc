#pragma once
// The process's last line of defence: a crash leaves a minidump in the current directory,
// a message box that explains it and names the dump, and an offer to the Steam client's
// dump library.
#include <windows.h>

// Makes every fatal path of the process end in CrashHandler: unhandled exceptions,
// std::terminate and abort(). Call first thing, before anything that could fail: it also
// starts the thread that writes the report and loads the dump library, so that a crash
// needs neither the faulting thread's stack nor the system's loader.
void InstallCrashHandler();

// Call where the program ends normally: waits until a crash report under way is done
// (dump written, box closed, Steam offered), and passes any later crash on to the system
// untouched, so that the end of the process never cuts a report short.
void WaitForCrashReport();

// The unhandled-exception filter. Runs its body once per process and always lets the
// system's default handling go on (EXCEPTION_CONTINUE_SEARCH); an uncaught C++ throw of
// this runtime is first handed back to the runtime, which ends it in std::terminate.
LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception);

// Writes the dump of the crash of the given thread and, once the dump is written and
// closed, shows the crash report box (blocking until the user closes it). True only if
// the dump was written.
bool WriteCrashDump(EXCEPTION_POINTERS* exception, DWORD faultingThread);
