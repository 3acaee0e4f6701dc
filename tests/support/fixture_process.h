#pragma once
// Processes that tests start: ended when their owner goes away, so no test leaves one
// running, and read through the records that the fixture host writes.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "detect/scan_results.h"
#include "support/wine_32bit.h"
#include "text/encoding.h"
#include "text/text_file.h"
#include "text/win_handles.h"

class FixtureProcess {
public:
    // Starts the program with the arguments; an empty working directory inherits ours.
    FixtureProcess(const std::filesystem::path& program, const std::wstring& arguments,
                   const std::filesystem::path& workingDirectory = {}) {
        std::wstring commandLine = L"\"" + program.wstring() + L"\"";
        if (!arguments.empty()) commandLine += L" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                           nullptr, workingDirectory.empty() ? nullptr : workingDirectory.c_str(),
                           &startup, &info)) {
            process_.reset(info.hProcess);
            UniqueHandle thread{info.hThread};
            id_ = info.dwProcessId;
        }
    }

    // Takes over a process that something else started.
    explicit FixtureProcess(DWORD processId)
        : process_(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                               FALSE, processId)),
          id_(processId) {}

    FixtureProcess(const FixtureProcess&) = delete;
    FixtureProcess& operator=(const FixtureProcess&) = delete;
    FixtureProcess(FixtureProcess&&) = default;
    FixtureProcess& operator=(FixtureProcess&&) = default;

    ~FixtureProcess() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 10000);
        }
    }

    bool Started() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }

    // The exit code, or nothing when the process is still running after the wait.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout) const {
        if (!process_ ||
            WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// What a fixture host wrote about itself.
struct HostRecord {
    std::filesystem::path directory;
    std::filesystem::path program;   // the first word of its command line
    DWORD processId = 0;
    std::vector<ModuleInfo> modules;  // its own executable first, then each DLL it loaded
};

// Waits (a bounded time) for the "<program>.record" that a fixture program writes about
// itself, and gives its text.
inline std::optional<std::string> WaitForRecordText(const std::filesystem::path& program) {
    const std::filesystem::path recordPath = program.wstring() + L".record";
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(DeadlineMs(30000));
    while (!std::filesystem::exists(recordPath)) {
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ReadTextFile(recordPath);
}

// Waits (a bounded time) for the record of the fixture host at this path.
inline std::optional<HostRecord> WaitForHostRecord(const std::filesystem::path& host) {
    const std::optional<std::string> text = WaitForRecordText(host);
    if (!text) return std::nullopt;
    HostRecord record;
    std::istringstream lines(*text);
    for (std::string kind; lines >> kind;) {
        lines.get();  // the blank after the kind
        std::string rest;
        if (kind == "directory") {
            std::getline(lines, rest);
            record.directory = Utf8ToWide(rest);
        } else if (kind == "program") {
            std::getline(lines, rest);
            record.program = Utf8ToWide(rest);
        } else if (kind == "process") {
            lines >> record.processId;
        } else if (kind == "module") {
            ModuleInfo module;
            lines >> module.baseAddress >> module.size;
            lines.get();
            std::getline(lines, rest);
            module.path = Utf8ToWide(rest);
            record.modules.push_back(module);
        }
    }
    return record;
}
