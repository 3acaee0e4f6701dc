#include "app/child_process.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "log/log.h"
#include "text/encoding.h"
#include "text/paths.h"

namespace {

ChildProcess childProcess;

// The folder of the program when the path names an existing file, so that the child
// finds files beside itself; empty otherwise, and the child inherits our directory.
std::filesystem::path WorkingDirectory(const std::filesystem::path& application) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(application, error);
    if (error || !IsRegularFile(absolute)) return {};
    const std::filesystem::path folder = absolute.parent_path();
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
    return error ? folder : canonical;
}

std::wstring SystemErrorText(DWORD code) {
    // Allocate, ignore inserts, from the system, no line breaks.
    constexpr DWORD kFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                             FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(kFlags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer),
                                        0, nullptr);
    const UniqueLocalMemory<wchar_t> owned(buffer);
    return length && buffer ? std::wstring(buffer, length) : std::wstring();
}

std::wstring LaunchFailureText(const std::string& executable, const std::wstring& application,
                               DWORD code, const std::filesystem::path& workingDirectory) {
    std::wstring text;
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
        text += L"Missing file. Try reinstalling to fix this!\n\n";
        if (executable.find("vistoraui.exe") != std::string::npos) {
            text += L"If you 'moved' the files after installation you must reset the auto start "
                    L"option or this may keep showing up every time you restart the PC.\n\n";
        }
    }
    std::wstring directory = workingDirectory.wstring();
    if (workingDirectory.empty()) {
        std::error_code error;
        directory = L"relative to: " + std::filesystem::current_path(error).wstring();
    }
    text += L"Failed to create process: " + application + L" (Windows error \"" +
            SystemErrorText(code) + L"\", code " + std::to_wstring(code) + L", Dir " + directory +
            L")\n";
    return text;
}

}  // namespace

ChildProcess& CurrentChildProcess() { return childProcess; }

bool LaunchProcess(const std::string& executable, const char* arguments) {
    PollChildProcess();
    const std::wstring application = Utf8ToWide(executable);
    const std::filesystem::path workingDirectory = WorkingDirectory(application);
    // The application name carries the full path, so the first token needs no quotes even
    // when the folder has blanks.
    std::wstring commandLine = std::filesystem::path(application).filename().wstring() + L" ";
    if (arguments) commandLine += Utf8ToWide(arguments);

    SECURITY_ATTRIBUTES processAttributes = {sizeof processAttributes, nullptr, TRUE};
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(application.c_str(), commandLine.data(), &processAttributes, nullptr, TRUE,
                        NORMAL_PRIORITY_CLASS, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                        &info)) {
        const DWORD code = GetLastError();
        const std::wstring text = LaunchFailureText(executable, application, code, workingDirectory);
        LogInfo("%s", WideToUtf8(text).c_str());
        MessageBoxW(nullptr, text.c_str(), L"Process Error", MB_OK);
        return false;
    }
    LogDebug("Created process: %s\n", executable.c_str());
    const UniqueHandle thread(info.hThread);
    // An earlier child still running is forgotten, and its exit can no longer count for
    // the new one.
    ReleaseChildProcess();
    ChildProcess& child = childProcess;
    child.process.reset(info.hProcess);
    HANDLE wait = nullptr;
    RegisterWaitForSingleObject(&wait, info.hProcess, ChildExitCallback, &child, INFINITE,
                                WT_EXECUTEONLYONCE);
    child.wait.reset(wait);
    return true;
}

void PollChildProcess() {
    ChildProcess& child = childProcess;
    if (!child.process) return;
    bool exited = false;
    {
        const std::lock_guard<std::mutex> guard(child.lock);
        exited = std::exchange(child.exited, false);
    }
    // The process handle may be signalled already; only the callback's flag counts, so
    // the wait is never released before its callback has run.
    if (exited) {
        child.wait.reset();
        child.process.reset();
    }
}

bool HoldsChildProcess() { return static_cast<bool>(childProcess.process); }

bool WaitChildProcess(DWORD timeoutMs) {
    return WaitForSingleObject(childProcess.process.get(), timeoutMs) == WAIT_OBJECT_0;
}

void ReleaseChildProcess() { DetachChildProcess(); }

UniqueHandle DetachChildProcess() {
    ChildProcess& child = childProcess;
    child.wait.reset();
    UniqueHandle process = std::move(child.process);
    const std::lock_guard<std::mutex> guard(child.lock);
    child.exited = false;
    return process;
}

void CALLBACK ChildExitCallback(void* context, BOOLEAN) {
    ChildProcess& child = *static_cast<ChildProcess*>(context);
    const std::lock_guard<std::mutex> guard(child.lock);
    child.exited = true;
}
