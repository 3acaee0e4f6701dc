#include "collectors/dependency_section.h"

#include "collectors/dependency_analysis.h"
#include "collectors/probe_folder.h"
#include "text/control_characters.h"
#include "text/encoding.h"
#include "text/text_file.h"
#include "text/win_handles.h"

namespace {

namespace fs = std::filesystem;

// Loading every listed library takes seconds; a probe still running after this hangs.
constexpr DWORD kProbeTimeoutMs = 30000;

// The header of a report from the 32-bit sibling's probe.
constexpr wchar_t kSiblingReportHeader[] = L"deps errors x86:\n";
constexpr wchar_t kReportName[] = L"sysprobeloader32.txt";

// Where the tool's own crash dumps go: its current directory. Empty when that is unknown.
fs::path DumpFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, folder);
    return length && length <= MAX_PATH ? fs::path(folder) : fs::path();
}

// One line for each file the probe left in its folder besides its report.
std::wstring DescribeLeftovers(const fs::path& program, const fs::path& folder,
                               const ProbeFolderLeftovers& leftovers) {
    std::wstring text;
    for (const fs::path& dump : leftovers.movedDumps) {
        text += program.wstring() + L" left a crash dump, moved to " + dump.wstring() + L"\n";
    }
    for (const std::wstring& name : leftovers.keptNames) {
        text += L"Left in place in " + folder.wstring() + L": " + EscapeControlCharacters(name) +
                L"\n";
    }
    return text;
}

bool RunProbeIn(const fs::path& folder, const fs::path& program, DWORD timeoutMs,
                std::wstring& text) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\" -analyzeDependencies";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
        text = L"Could not start " + program.wstring() + L", error " +
               std::to_wstring(GetLastError()) + L"\n";
        return false;
    }
    const UniqueHandle process{started.hProcess};
    const UniqueHandle thread{started.hThread};
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        // Ended, so that it does not keep its working folder from being removed.
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        text = program.wstring() + L" did not finish within " + std::to_wstring(timeoutMs / 1000) +
               L" seconds\n";
        return false;
    }
    const fs::path report = folder / kReportName;
    // A link there would have the report read from wherever it points.
    if (!IsProbeFile(folder, kReportName)) {
        text = program.wstring() + L" wrote no sysprobeloader32.txt\n";
        return false;
    }
    text = Utf8ToWide(ReadTextFile(report));
    // The sibling ignores a failed write, so the file may be empty or cut short.
    if (text.rfind(kSiblingReportHeader, 0) != 0) {
        text = program.wstring() + L" wrote an unusable sysprobeloader32.txt\n";
        return false;
    }
    return true;
}

}  // namespace

bool RunDependencyProbeProgram(const fs::path& program, DWORD timeoutMs, std::wstring& text) {
    const fs::path folder = CreateProbeFolder();
    if (folder.empty()) {
        text = L"No temporary folder for " + program.wstring() + L"\n";
        return false;
    }
    const bool probed = RunProbeIn(folder, program, timeoutMs, text);
    text += DescribeLeftovers(program, folder, RemoveProbeFolder(folder, kReportName, DumpFolder()));
    return probed;
}

void WriteDependencySection(std::wostream& report) {
#ifdef _WIN64
    wchar_t ownPath[1024] = {};
    GetModuleFileNameW(nullptr, ownPath, 1024);
    std::wstring text;
    const bool probed = RunDependencyProbeProgram(
        fs::path(ownPath).parent_path() / L"sysprobe32.exe", kProbeTimeoutMs, text);
    report << text;
    if (probed) return;
#endif
    AnalyzeDependencies(report);
}
