#include "collectors/dependency_section.h"

#include <system_error>

#include "collectors/dependency_analysis.h"
#include "text/encoding.h"
#include "text/paths.h"
#include "text/text_file.h"
#include "text/win_handles.h"

namespace {

namespace fs = std::filesystem;

// Loading every listed library takes seconds; a probe still running after this hangs.
constexpr DWORD kProbeTimeoutMs = 30000;

// The header of a report from the 32-bit sibling's probe.
constexpr wchar_t kSiblingReportHeader[] = L"deps errors x86:\n";

// A new, empty folder under the temporary folder; empty when none could be made.
fs::path MakeProbeFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, base)) return {};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder =
            fs::path(base) / (L"sysprobe-deps-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(attempt));
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
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
    const fs::path report = folder / L"sysprobeloader32.txt";
    if (!IsRegularFile(report)) {
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
    const fs::path folder = MakeProbeFolder();
    if (folder.empty()) {
        text = L"No temporary folder for " + program.wstring() + L"\n";
        return false;
    }
    const bool probed = RunProbeIn(folder, program, timeoutMs, text);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
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
