#include "collectors/dependency_section.h"

#include "collectors/probe_folder.h"
#include "text/control_characters.h"
#include "text/encoding.h"
#include "text/text_file.h"

namespace {

namespace fs = std::filesystem;

// Every line the section can hold besides a probe's report, in one place: whoever reads a
// log looks for these to tell a probe that did not start or finish.
std::wstring NoFolderLine(const fs::path& program) {
    return L"No temporary folder for " + program.wstring() + L"\n";
}
std::wstring NotStartedLine(const fs::path& program, DWORD error) {
    return L"Could not start " + program.wstring() + L", error " + std::to_wstring(error) + L"\n";
}
std::wstring TimedOutLine(const fs::path& program, DWORD timeoutMs) {
    return program.wstring() + L" did not finish within " + std::to_wstring(timeoutMs / 1000) +
           L" seconds\n";
}
std::wstring CancelledLine(const fs::path& program) {
    return program.wstring() + L" did not finish before the save was cancelled\n";
}
std::wstring NoReportLine(const ProbeProgram& program) {
    return program.path.wstring() + L" wrote no " + program.reportName + L"\n";
}
std::wstring UnusableReportLine(const ProbeProgram& program) {
    return program.path.wstring() + L" wrote an unusable " + program.reportName + L"\n";
}
std::wstring MovedDumpLine(const fs::path& program, const fs::path& dump) {
    return program.wstring() + L" left a crash dump, moved to " + dump.wstring() + L"\n";
}
std::wstring LeftInPlaceLine(const fs::path& folder, const std::wstring& name) {
    return L"Left in place in " + folder.wstring() + L": " + EscapeControlCharacters(name) + L"\n";
}

// Where the tool's own crash dumps go: its current directory. Empty when that is unknown.
fs::path DumpFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, folder);
    return length && length <= MAX_PATH ? fs::path(folder) : fs::path();
}

fs::path OwnPath() {
    wchar_t path[1024] = {};
    GetModuleFileNameW(nullptr, path, 1024);
    return path;
}

void StartNext(DependencyProbes& probes) {
    while (!probes.waiting.empty()) {
        probes.current = std::move(probes.waiting.front());
        probes.waiting.erase(probes.waiting.begin());
        const fs::path& program = probes.current.path;
        probes.folder = CreateProbeFolder();
        if (probes.folder.empty()) {
            probes.text += NoFolderLine(program);
            continue;
        }
        std::wstring commandLine = L"\"" + program.wstring() + L"\" -analyzeDependencies";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                           nullptr, probes.folder.c_str(), &startup, &started)) {
            const UniqueHandle thread{started.hThread};
            probes.process.reset(started.hProcess);
            probes.deadline = GetTickCount64() + probes.timeoutMs;
            return;
        }
        probes.text += NotStartedLine(program, GetLastError());
        RemoveProbeFolder(probes.folder, probes.current.reportName, DumpFolder());
    }
}

// The report the ended probe left, or "" with the reason in the text.
std::wstring TakeReport(DependencyProbes& probes) {
    const ProbeProgram& program = probes.current;
    // A link there would have the report read from wherever it points.
    if (!IsProbeFile(probes.folder, program.reportName)) {
        probes.text += NoReportLine(program);
        return {};
    }
    std::wstring report = Utf8ToWide(ReadTextFile(probes.folder / program.reportName));
    // The dependency mode ignores a failed write, so the file may be empty or cut short.
    if (report.rfind(program.header, 0) != 0) {
        probes.text += UnusableReportLine(program);
        return {};
    }
    return report;
}

// Ends the current probe: its report, or why there is none, then what it left behind.
// True when it gave its report.
bool EndCurrent(DependencyProbes& probes, bool cancelled) {
    const fs::path& program = probes.current.path;
    std::wstring report;
    if (WaitForSingleObject(probes.process.get(), 0) == WAIT_OBJECT_0) {
        report = TakeReport(probes);
    } else {
        // Ended, so that it does not keep its folder from being removed.
        TerminateProcess(probes.process.get(), 1);
        WaitForSingleObject(probes.process.get(), 5000);
        probes.text += cancelled ? CancelledLine(program) : TimedOutLine(program, probes.timeoutMs);
    }
    probes.process.reset();
    probes.text += report;
    const ProbeFolderLeftovers leftovers =
        RemoveProbeFolder(probes.folder, probes.current.reportName, DumpFolder());
    for (const fs::path& dump : leftovers.movedDumps) probes.text += MovedDumpLine(program, dump);
    for (const std::wstring& name : leftovers.keptNames) {
        probes.text += LeftInPlaceLine(probes.folder, name);
    }
    return !report.empty();
}

}  // namespace

std::vector<ProbeProgram> DependencyProbePrograms() {
    const fs::path own = OwnPath();
#ifdef _WIN64
    return {{own.parent_path() / L"sysprobe32.exe", L"sysprobeloader32.txt", L"deps errors x86:\n"},
            {own, L"sysprobeloader64.txt", L"deps errors x64:\n"}};
#else
    return {{own, L"sysprobeloader32.txt", L"deps errors x86:\n"}};
#endif
}

void StartDependencyProbes(DependencyProbes& probes, std::vector<ProbeProgram> programs,
                           DWORD timeoutMs) {
    probes = DependencyProbes();
    probes.waiting = std::move(programs);
    probes.timeoutMs = timeoutMs;
    StartNext(probes);
}

bool PollDependencyProbes(DependencyProbes& probes) {
    if (!probes.process) return false;
    const bool ended = WaitForSingleObject(probes.process.get(), 0) == WAIT_OBJECT_0;
    if (!ended && GetTickCount64() < probes.deadline) return true;
    if (EndCurrent(probes, false)) {
        probes.waiting.clear();
    } else {
        StartNext(probes);
    }
    return static_cast<bool>(probes.process);
}

void WaitForDependencyProbes(DependencyProbes& probes) {
    while (probes.process) {
        const ULONGLONG now = GetTickCount64();
        WaitForSingleObject(probes.process.get(),
                            now < probes.deadline ? static_cast<DWORD>(probes.deadline - now) : 0);
        PollDependencyProbes(probes);
    }
}

std::wstring FinishDependencyProbes(DependencyProbes& probes) {
    probes.waiting.clear();
    if (probes.process) EndCurrent(probes, true);
    return std::move(probes.text);
}
