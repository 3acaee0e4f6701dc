#pragma once
// The user-facing explanation of a crash: the faulting module, a hint for known culprits,
// the hook and overlay modules loaded into the process, and where to get help. Runs on the
// crash path: fixed buffers only, no heap, no locks, not reentrant.
#include <cstddef>

#include <windows.h>

constexpr std::size_t kCrashTextCapacity = 2048;   // code units, terminator included
constexpr std::size_t kHookListCapacity = 1024;
using CrashText = wchar_t[kCrashTextCapacity];
using HookList = wchar_t[kHookListCapacity];

// The code the crash handler raises for abort() and std::terminate, as a C runtime reports
// abort(). Its parameters are the return addresses of the aborting stack, innermost first.
constexpr DWORD kFatalAppExit = 0x40000015;

// Appends the explanation to the zeroed text. A kFatalAppExit is blamed on the first of
// its return addresses outside the C runtime and the system libraries.
void DescribeCrash(const EXCEPTION_POINTERS* exception, CrashText& text);

// Appends one line (long path and "\n") per module of the own process whose path matches a
// hook pattern, to the zeroed list. False when none matched or the modules could not be
// listed.
bool ListHookModules(HookList& hookList);
