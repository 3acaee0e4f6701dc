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

constexpr wchar_t kSteamDumpLibrary[] = L"steammdmp32.dll";
// Search flags that leave out the current folder and PATH, since the tool runs as
// administrator: the program's own folder (LOAD_LIBRARY_SEARCH_APPLICATION_DIR) or the
// loaded library's (LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR), then the system folder
// (LOAD_LIBRARY_SEARCH_SYSTEM32).
constexpr DWORD kSearchApplicationAndSystemFolders = 0x00000200 | 0x00000800;
constexpr DWORD kSearchLibraryAndSystemFolders = 0x00000100 | 0x00000800;
// What GCC's unwinder raises for a throw; a throw that nobody catches comes back from the
// raise and ends in std::terminate, once the filter lets the raise return.
constexpr DWORD kGccThrow = 0x20474343;
// Stack kept back on the first thread, so that after a stack overflow the system can still
// run the filter, which hands the crash to the reporting thread.
constexpr ULONG kHandlerStackReserve = 64 * 1024;
// How long a crashing thread waits for a dump to be written before it lets the system end
// the process.
constexpr DWORD kDumpWaitMs = 60 * 1000;

enum class ReportState {
    Idle,
    UnderWay,   // from the filter's entry until the box is closed and Steam has been offered
    Done,
    Closed,     // the program ended normally: a later crash is passed on untouched
};
std::atomic<ReportState> reportState{ReportState::Idle};
std::atomic<bool> dumpSettled{false};

// Made when the handler is installed: at crash time the faulting thread's stack may be
// exhausted, and it may hold locks (the loader's, say), so the report is written by a
// thread of its own with the dump library loaded beforehand. All of it lives as long as
// the process; the reporting thread waits on it until the system ends the process.
struct Reporter {
    MiniDumpWriteDumpFunction writeDump = nullptr;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE requested = nullptr;   // set once the request below is filled in
    HANDLE finished = nullptr;    // set once the report is done
    EXCEPTION_POINTERS* exception = nullptr;
    DWORD faultingThread = 0;
};
Reporter reporter;

// Static rather than on a stack; one report is written per process.
struct ReportBuffers {
    wchar_t directory[kDumpPathCapacity];
    DumpPath dumpPath;
    AnnotationStream annotations;
    EnvironmentStream environment;
    CrashText crashText;
    wchar_t message[3348];
    wchar_t steamPath[1024 + 1];
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

// From the Steam client's own folder, the one of the executable it registers; null when
// there is none or the library is not there.
HMODULE LoadSteamClientsDumpLibrary() {
    std::wmemset(report.steamPath, 0, std::size(report.steamPath));
    DWORD size = (std::size(report.steamPath) - 1) * sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamExe",
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                     report.steamPath, &size) != ERROR_SUCCESS) {
        return nullptr;
    }
    wchar_t* folderEnd = nullptr;
    for (wchar_t* c = report.steamPath; *c; ++c) {
        if (*c == L'\\' || *c == L'/') folderEnd = c;
    }
    if (!folderEnd) return nullptr;
    folderEnd[1] = 0;
    AppendFixedText(report.steamPath, kSteamDumpLibrary);
    return LoadLibraryExW(report.steamPath, nullptr, kSearchLibraryAndSystemFolders);
}

// The Steam client keeps its own crash statistics. Its library stays loaded: the process
// is about to end, and the library may still be working.
void OfferCrashToSteam(EXCEPTION_POINTERS* exception) {
    HMODULE steam = LoadLibraryExW(kSteamDumpLibrary, nullptr, kSearchApplicationAndSystemFolders);
    if (!steam) steam = LoadSteamClientsDumpLibrary();
    if (!steam) return;
    const auto write = FindExport<WriteSteamMiniDumpFunction>(steam, "WriteSteamMiniDump");
    const EXCEPTION_RECORD* record = exception ? exception->ExceptionRecord : nullptr;
    if (write) write(record ? record->ExceptionCode : 0, exception);
}

void Report(EXCEPTION_POINTERS* exception, DWORD faultingThread) {
    // A failed attempt is retried once; within the same second it reuses the file name.
    if (!WriteCrashDump(exception, faultingThread)) WriteCrashDump(exception, faultingThread);
    dumpSettled.store(true);
    OfferCrashToSteam(exception);
    reportState.store(ReportState::Done);
}

DWORD WINAPI RunReporter(void* ready) {
    // Running: its start, which needs the loader, is over before any crash can come.
    SetEvent(static_cast<HANDLE>(ready));
    WaitForSingleObject(reporter.requested, INFINITE);
    Report(reporter.exception, reporter.faultingThread);
    SetEvent(reporter.finished);
    return 0;
}

void StartReporter() {
    reporter.requested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    reporter.finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const UniqueHandle ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    if (!reporter.requested || !reporter.finished || !ready) return;
    reporter.thread = CreateThread(nullptr, 0, RunReporter, ready.get(), 0, &reporter.threadId);
    if (reporter.thread) WaitForSingleObject(ready.get(), INFINITE);
}

// Another thread's crash is being reported: returning now would let the system end the
// process under it, so wait (bounded) until the dump is written. A fault of the reporting
// thread itself, or one while the box is open, goes on at once.
void WaitForDumpOfFirstCrash() {
    if (reporter.threadId == GetCurrentThreadId()) return;
    for (DWORD waited = 0; !dumpSettled.load() && waited < kDumpWaitMs; waited += 20) Sleep(20);
}

// The faulting thread's wait for its report: without bound once the dump is written (the
// box waits for the user), at most kDumpWaitMs before, in case the reporting thread waits
// for a lock that the faulting thread holds (the heap's, say). Then the system ends the
// process without a report rather than never.
void WaitForReport() {
    for (DWORD waited = 0; WaitForSingleObject(reporter.finished, 20) == WAIT_TIMEOUT; waited += 20) {
        if (!dumpSettled.load() && waited >= kDumpWaitMs) return;
    }
}

bool IsUncaughtGccThrow(const EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception ? exception->ExceptionRecord : nullptr;
    return record && record->ExceptionCode == kGccThrow &&
           (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) == 0;
}

// abort() and std::terminate (which ends in abort()) never reach the unhandled-exception
// filter by themselves: raise an exception that does, with the return addresses of the
// aborting stack (above this handler) that tell whose code aborted. With frame pointers,
// so that the 32-bit stack walk gets past this frame.
__attribute__((optimize("no-omit-frame-pointer"), noinline)) void OnAbortSignal(int) {
    ULONG_PTR callers[EXCEPTION_MAXIMUM_PARAMETERS] = {};
    const WORD count = RtlCaptureStackBackTrace(1, EXCEPTION_MAXIMUM_PARAMETERS,
                                                reinterpret_cast<void**>(callers), nullptr);
    RaiseException(kFatalAppExit, EXCEPTION_NONCONTINUABLE, count, callers);
}

}  // namespace

bool WriteCrashDump(EXCEPTION_POINTERS* exception, DWORD faultingThread) {
    SYSTEMTIME utc = {};
    GetSystemTime(&utc);
    std::wmemset(report.directory, 0, kDumpPathCapacity);
    const DWORD length = GetCurrentDirectoryW(kDumpPathCapacity, report.directory);
    if (length == 0 || length >= kDumpPathCapacity) report.directory[0] = 0;
    std::wmemset(report.dumpPath, 0, kDumpPathCapacity);
    FormatDumpPath(report.dumpPath, report.directory, utc);
    if (!reporter.writeDump) return false;
    {
        // Closed before the box names it, so that the user can copy the whole file then.
        const UniqueHandle file{CreateFileW(report.dumpPath, GENERIC_WRITE, FILE_SHARE_WRITE,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                            nullptr)};
        if (!file) return false;
        std::memset(report.annotations, 0, kAnnotationStreamCapacity);
        std::memset(report.environment, 0, kEnvironmentStreamCapacity);
        MINIDUMP_USER_STREAM streams[2] = {
            {kAnnotationStreamType,
             static_cast<ULONG>(BuildAnnotationStream(report.annotations, CrashAnnotations)),
             report.annotations},
            {kEnvironmentStreamType,
             static_cast<ULONG>(BuildEnvironmentStream(report.environment)), report.environment},
        };
        MINIDUMP_USER_STREAM_INFORMATION userStreams = {2, streams};
        MINIDUMP_EXCEPTION_INFORMATION exceptionInfo = {faultingThread, exception, FALSE};
        if (reporter.writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(),
                               MiniDumpNormal, &exceptionInfo, &userStreams, nullptr) != TRUE) {
            return false;
        }
    }
    dumpSettled.store(true);
    ShowCrashReport(exception);
    return true;
}

LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception) {
    if (IsUncaughtGccThrow(exception)) return EXCEPTION_CONTINUE_EXECUTION;
    ReportState state = ReportState::Idle;
    if (!reportState.compare_exchange_strong(state, ReportState::UnderWay)) {
        if (state == ReportState::UnderWay) WaitForDumpOfFirstCrash();
        return EXCEPTION_CONTINUE_SEARCH;
    }
    if (reporter.thread) {
        reporter.exception = exception;
        reporter.faultingThread = GetCurrentThreadId();
        SetEvent(reporter.requested);
        WaitForReport();
    } else {
        // No thread of its own could be made: report from here, as far as the stack goes.
        Report(exception, GetCurrentThreadId());
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashHandler() {
    SetUnhandledExceptionFilter(CrashHandler);
    ULONG reserve = kHandlerStackReserve;
    SetThreadStackGuarantee(&reserve);
    // The runtime's own "abnormal program termination" box would come before ours.
    _set_error_mode(_OUT_TO_STDERR);
    std::signal(SIGABRT, OnAbortSignal);
    // Stays loaded for the life of the process: a crash may come at any moment.
    if (HMODULE dbghelp = LoadSystemLibrary(L"DBGHELP.DLL")) {
        reporter.writeDump = FindExport<MiniDumpWriteDumpFunction>(dbghelp, "MiniDumpWriteDump");
    }
    StartReporter();
}

void WaitForCrashReport() {
    ReportState state = ReportState::Idle;
    if (reportState.compare_exchange_strong(state, ReportState::Closed)) return;
    while (reportState.load() == ReportState::UnderWay) Sleep(20);
}
