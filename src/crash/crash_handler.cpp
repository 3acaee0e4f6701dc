#include "crash/crash_handler.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>

#include <dbghelp.h>

#include "crash/crash_analysis.h"
#include "crash/crash_dump_contents.h"
#include "crash/fixed_text.h"
#include "text/system_library.h"
#include "text/win_handles.h"

namespace {

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION,
                                                PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);
using WriteSteamMiniDumpFunction = void (*)(DWORD exceptionCode, void* exceptionPointers);

constexpr DWORD kLoadLibrarySearchDefaultDirs = 0x1000;
// The code a C runtime reports for abort(); here also for std::terminate.
constexpr DWORD kFatalAppExit = 0x40000015;
// Stack kept back for the handler, so that a stack overflow can still be reported: writing
// the dump and showing the box need far more than the page or two that remain.
constexpr ULONG kHandlerStackReserve = 128 * 1024;
// How long a second crashing thread waits for the first one's dump before it lets the
// system end the process.
constexpr DWORD kDumpWaitMs = 60 * 1000;

std::atomic_flag entered = ATOMIC_FLAG_INIT;
std::atomic<DWORD> handlerThread{0};
std::atomic<bool> dumpSettled{false};

// Static rather than on the stack: see kHandlerStackReserve. The entry flag admits one
// thread.
struct ReportBuffers {
    wchar_t directory[kDumpPathCapacity];
    DumpPath dumpPath;
    AnnotationStream annotations;
    EnvironmentStream environment;
    CrashText crashText;
    wchar_t message[3348];
};
ReportBuffers report;

void ShowCrashReport(const EXCEPTION_POINTERS* exception) {
    std::wmemset(report.crashText, 0, kCrashTextCapacity);
    DescribeCrash(exception, report.crashText);
    std::wmemset(report.message, 0, std::size(report.message));
    AppendFixedText(report.message, report.crashText);
    AppendFixedText(report.message, L"\n\nCrash information written to: ");
    AppendFixedText(report.message, report.dumpPath);
    MessageBoxW(nullptr, report.message, L"Error", MB_ICONERROR | MB_SYSTEMMODAL);
}

// The Steam client keeps its own crash statistics. Its library stays loaded: the process
// is about to end, and the library may still be working.
void OfferCrashToSteam(EXCEPTION_POINTERS* exception) {
    HMODULE steam = LoadLibraryW(L"steammdmp32.dll");
    if (!steam) {
        steam = LoadLibraryExW(L"steammdmp32.dll", nullptr, kLoadLibrarySearchDefaultDirs);
    }
    if (!steam) return;
    const auto write = FindExport<WriteSteamMiniDumpFunction>(steam, "WriteSteamMiniDump");
    const EXCEPTION_RECORD* record = exception ? exception->ExceptionRecord : nullptr;
    if (write) write(record ? record->ExceptionCode : 0, exception);
}

// Another thread is writing the dump: returning now would let the system end the process
// under it, so wait (bounded) until the dump is written. A fault of the handler's own
// thread, or one while the box is open, goes on at once.
void WaitForDumpOfFirstCrash() {
    if (handlerThread.load() == GetCurrentThreadId()) return;
    for (DWORD waited = 0; !dumpSettled.load() && waited < kDumpWaitMs; waited += 20) Sleep(20);
}

// abort() and std::terminate (which ends in abort()) never reach the unhandled-exception
// filter by themselves: raise an exception that does, with the caller's context.
void OnAbortSignal(int) {
    RaiseException(kFatalAppExit, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

}  // namespace

bool WriteCrashDump(EXCEPTION_POINTERS* exception) {
    SYSTEMTIME utc = {};
    GetSystemTime(&utc);
    std::wmemset(report.directory, 0, kDumpPathCapacity);
    const DWORD length = GetCurrentDirectoryW(kDumpPathCapacity, report.directory);
    if (length == 0 || length >= kDumpPathCapacity) report.directory[0] = 0;
    std::wmemset(report.dumpPath, 0, kDumpPathCapacity);
    FormatDumpPath(report.dumpPath, report.directory, utc);

    const UniqueLibrary dbghelp{LoadSystemLibrary(L"DBGHELP.DLL")};
    if (!dbghelp) return false;
    const auto writeDump = FindExport<MiniDumpWriteDumpFunction>(dbghelp.get(), "MiniDumpWriteDump");
    if (!writeDump) return false;
    const UniqueHandle file{CreateFileW(report.dumpPath, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) return false;

    std::memset(report.annotations, 0, kAnnotationStreamCapacity);
    std::memset(report.environment, 0, kEnvironmentStreamCapacity);
    MINIDUMP_USER_STREAM streams[2] = {
        {kAnnotationStreamType,
         static_cast<ULONG>(BuildAnnotationStream(report.annotations, CrashAnnotations)),
         report.annotations},
        {kEnvironmentStreamType, static_cast<ULONG>(BuildEnvironmentStream(report.environment)),
         report.environment},
    };
    MINIDUMP_USER_STREAM_INFORMATION userStreams = {2, streams};
    MINIDUMP_EXCEPTION_INFORMATION exceptionInfo = {GetCurrentThreadId(), exception, FALSE};
    const BOOL written = writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(),
                                   MiniDumpNormal, &exceptionInfo, &userStreams, nullptr);
    if (written != TRUE) return false;
    dumpSettled.store(true);
    ShowCrashReport(exception);
    return true;
}

LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception) {
    if (entered.test_and_set()) {
        WaitForDumpOfFirstCrash();
        return EXCEPTION_CONTINUE_SEARCH;
    }
    handlerThread.store(GetCurrentThreadId());
    // A failed attempt is retried once; within the same second it reuses the file name.
    if (!WriteCrashDump(exception)) WriteCrashDump(exception);
    dumpSettled.store(true);
    OfferCrashToSteam(exception);
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashHandler() {
    SetUnhandledExceptionFilter(CrashHandler);
    ULONG reserve = kHandlerStackReserve;
    SetThreadStackGuarantee(&reserve);
    // The runtime's own "abnormal program termination" box would come before ours.
    _set_error_mode(_OUT_TO_STDERR);
    std::signal(SIGABRT, OnAbortSignal);
}
