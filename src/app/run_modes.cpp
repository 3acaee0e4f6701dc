#include "app/run_modes.h"

#include <filesystem>
#include <sstream>

#include <windows.h>
#include <shellapi.h>

#include "app/command_line.h"
#include "app/interactive_mode.h"
#include "collectors/dependency_analysis.h"
#include "text/encoding.h"
#include "text/text_file.h"

namespace {

// Named after the bitness of the process that probed, which the report's header states.
#ifdef _WIN64
constexpr wchar_t kDependencyReportFile[] = L"sysprobeloader64.txt";
#else
constexpr wchar_t kDependencyReportFile[] = L"sysprobeloader32.txt";
#endif

}  // namespace

int RunDependencyMode() {
    std::wostringstream report;
    AnalyzeDependencies(report);
    WriteTextFile(kDependencyReportFile, WideToUtf8(report.str()));
    return 0;
}

bool RunHandOverMode() {
    wchar_t ownPath[1024] = {};
    GetModuleFileNameW(nullptr, ownPath, 1024);
    const std::filesystem::path folder = std::filesystem::path(ownPath).parent_path();
    SetCurrentDirectoryW(folder.c_str());
    // By full path: given a bare name, the shell would go on searching the path for a
    // "sysprobe64.exe" and start whatever it found there with our administrator rights.
    const std::filesystem::path sibling = folder / L"sysprobe64.exe";
    const HINSTANCE result = ShellExecuteW(nullptr, nullptr, sibling.c_str(), nullptr,
                                           folder.c_str(), SW_SHOWNORMAL);
    // Values above 32 mean success; the rest are error codes.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

int RunSelectedMode() {
    if (CommandLineOptions.count("-analyzeDependencies")) return RunDependencyMode();
    BOOL wow64 = FALSE;
    const bool handsOver = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
    if (handsOver && RunHandOverMode()) return 0;
    return RunInteractiveMode(handsOver);
}
