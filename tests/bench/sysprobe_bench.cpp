// Prints how long the scan, the start-up and the DLL probe take on a machine of fixture
// processes, with the scan set against its floor: only the Win32 calls that any scan of
// this machine must make. Medians of several runs; ratios, not absolute times, are what
// compare across machines.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include "app/application_state.h"
#include "app/interactive_mode.h"
#include "app/results_dialog.h"
#include "collectors/dependency_analysis.h"
#include "detect/conflict_detection.h"
#include "knowledge/signature_tables.h"
#include "resource_ids.h"
#include "support/fixture_hosts.h"
#include "support/temp_folder.h"
#include "text/case_folding.h"
#include "text/win_handles.h"

namespace {

constexpr int kRepetitions = 15;
constexpr int kProductHosts = 5;
constexpr int kModulesPerProductHost = 150;

double Milliseconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double Median(int repetitions, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) times.push_back(Milliseconds(work));
    return Median(times);
}

// The medians of two kinds of work run in turns, so that a slow spell of a shared machine
// weighs on both alike.
std::pair<double, double> MediansInTurns(const std::function<void()>& first,
                                         const std::function<void()>& second) {
    std::vector<double> firstTimes, secondTimes;
    for (int i = 0; i < kRepetitions; ++i) {
        firstTimes.push_back(Milliseconds(first));
        secondTimes.push_back(Milliseconds(second));
    }
    return {Median(firstTimes), Median(secondTimes)};
}

bool IsScannedName(const std::wstring& fileNameLower) {
    return fileNameLower == L"explorer.exe" || fileNameLower == L"rundll32.exe" ||
           IsProductExecutable(fileNameLower);
}

// What no scan can do without: the process snapshot walk, each process's image path, and
// the module snapshot walk of each process whose modules are scanned.
void ScanFloor() {
    const UniqueHandle snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        wchar_t path[1040] = {};
        DWORD size = 1040;
        const UniqueHandle process{
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)};
        if (process) QueryFullProcessImageNameW(process.get(), 0, path, &size);
        const std::wstring name = ToLowerAscii(std::filesystem::path(path).filename().wstring());
        if (!IsScannedName(name)) continue;
        const UniqueHandle modules{CreateToolhelp32Snapshot(
            TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, entry.th32ProcessID)};
        MODULEENTRY32W module = {};
        module.dwSize = sizeof module;
        for (BOOL next = Module32FirstW(modules.get(), &module); next;
             next = Module32NextW(modules.get(), &module)) {
        }
    }
}

void Scan() {
    RunningProcesses processes;
    DetectedApps detected;
    DetectConflicts(processes, detected);
}

// Fixture processes until the machine has this many of them.
class FixtureMachine {
public:
    FixtureMachine() {
        for (int m = 0; m < kModulesPerProductHost; ++m) {
            modules_.push_back(folder_ / (L"modules\\module" + std::to_wstring(m) + L".dll"));
        }
        const wchar_t* const names[] = {L"Vistora64.exe", L"Vistora32.exe", L"vistoraui.exe"};
        for (int p = 0; p < kProductHosts; ++p) {
            Start(folder_ / (L"product" + std::to_wstring(p) + L"\\" + names[p % 3]), modules_);
        }
    }
    void GrowTo(int count) {
        while (static_cast<int>(hosts_.size()) < count) {
            Start(folder_ / (L"plain\\host" + std::to_wstring(hosts_.size()) + L".exe"), {});
        }
        for (const std::filesystem::path& path : paths_) WaitForHostRecord(path);
    }

private:
    void Start(const std::filesystem::path& exe, const std::vector<std::filesystem::path>& dlls) {
        hosts_.push_back(LaunchHost(exe, dlls));
        paths_.push_back(exe);
    }

    TempFolder folder_;
    std::vector<std::filesystem::path> modules_;
    std::vector<FixtureProcess> hosts_;
    std::vector<std::filesystem::path> paths_;
};

void PrintRow(const char* what, double milliseconds, double floor, const char* goal) {
    if (floor > 0) {
        std::printf("%-44s %10.1f %10.1f %7.2f  %s\n", what, milliseconds, floor,
                    milliseconds / floor, goal);
    } else {
        std::printf("%-44s %10.1f %10s %7s  %s\n", what, milliseconds, "-", "-", goal);
    }
}

}  // namespace

int wmain() {
    const bool oleReady = SUCCEEDED(OleInitialize(nullptr));
    std::printf("%-44s %10s %10s %7s  %s\n", "measure (medians)", "ms", "floor ms", "ratio",
                "goal");
    FixtureMachine machine;
    for (const int count : {50, 200}) {
        machine.GrowTo(count);
        Scan();  // the first scan pays for pages and caches that both would share
        const auto [scan, floor] = MediansInTurns(Scan, ScanFloor);
        const std::string what = "scan, " + std::to_string(count) + " fixture processes";
        PrintRow(what.c_str(), scan, floor, "ratio <= 1.15");
    }

    const auto [gathering, floor] = MediansInTurns(
        [] {
            ApplicationState state;
            GatherStartupFindings(state);
        },
        ScanFloor);
    PrintRow("start-up gathering, 200 fixture processes", gathering, floor, "ratio <= 1.5");

    ApplicationState state;
    GatherStartupFindings(state);
    const RichEditLibraries richEdit;
    const double dialog = Median(3, [&] {
        const HWND results = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RESULTS),
                                                nullptr, ResultsDialogProc,
                                                reinterpret_cast<LPARAM>(&state));
        if (results) DestroyWindow(results);
    });
    PrintRow("Results dialog creation", dialog, 0, "for the record");

    const double probe = Median(3, [] {
        std::wostringstream report;
        AnalyzeDependencies(report);
    });
    PrintRow("DLL probe", probe, 0, "for the record");
    if (oleReady) OleUninitialize();
    return 0;
}
