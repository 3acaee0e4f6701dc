// Prints how long the scan, the save of the full log, the start-up and the DLL probe take
// on a machine of fixture processes, with the scan set against its floor: only the Win32
// calls that any scan of this machine must make. Medians of several runs; ratios, not
// absolute times, are what compare across machines. The save also prints its memory peaks.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "app/application_state.h"
#include "app/full_log_file.h"
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
// The heavy installation whose full log is saved.
constexpr int kSaveProcesses = 300;
constexpr int kSaveModulesPerProductHost = 300;
constexpr int kConfigProfiles = 50;
constexpr std::size_t kConfigBytes = 5 << 20;
constexpr std::size_t kLogBytes = std::size_t{256} << 20;
const wchar_t* const kLogFiles[] = {L"log.txt", L"bin\\vistorauilog.txt", L"bin\\weblog.txt",
                                    L"bin\\debug.log"};

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
                                         const std::function<void()>& second,
                                         int repetitions = kRepetitions) {
    std::vector<double> firstTimes, secondTimes;
    for (int i = 0; i < repetitions; ++i) {
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
    explicit FixtureMachine(int modulesPerProductHost) {
        // Short paths: every module's path goes on its host's command line.
        for (int m = 0; m < modulesPerProductHost; ++m) {
            modules_.push_back(folder_ / (L"m\\" + std::to_wstring(m) + L".dll"));
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

// A Vistora installation as heavy as users' get: a large config.json of many profiles and
// four logs of 256 MiB, with the tool's folder inside it as the current directory. Gone,
// logs and all, with its owner.
class HeavyInstallation {
public:
    HeavyInstallation() {
        WriteConfig(folder_ / L"config.json");
        std::filesystem::create_directories(folder_ / L"bin");
        WriteLog(folder_ / kLogFiles[0]);
        // Links to one file keep the disk use at one log; each is still read in full.
        for (std::size_t i = 1; i < std::size(kLogFiles); ++i) {
            const auto link = folder_ / kLogFiles[i];
            if (!CreateHardLinkW(link.c_str(), (folder_ / kLogFiles[0]).c_str(), nullptr)) {
                WriteLog(link);
            }
        }
        folder_.EnterSubfolder(L"tools");
    }
    const std::filesystem::path& Path() const { return folder_.Path(); }

private:
    // Profiles of equal size, each mostly a long list of wallpaper assignments.
    static void WriteConfig(const std::filesystem::path& path) {
        std::ofstream file(path, std::ios::binary);
        file << "{";
        for (int p = 0; p < kConfigProfiles; ++p) {
            std::string profile = (p ? ",\n\"user" : "\n\"user") + std::to_string(p) +
                                  "\": {\"general\": {\"user\": {\"v\": \"1.0\", \"language\": "
                                  "\"en-us\"}, \"shared\": {\"fps\": 30}, \"wallpaperconfig\": {"
                                  "\"profile\": \"default\"";
            for (int w = 0; profile.size() < kConfigBytes / kConfigProfiles; ++w) {
                profile += ", \"monitor" + std::to_string(w) +
                           "\": {\"file\": \"C:\\\\Games\\\\workshop\\\\content\\\\" +
                           std::to_string(1000000 + w) + "\\\\scene.json\", \"volume\": 0.5}";
            }
            file << profile << "}}, \"virtualdesktops\": {\"0\": 1}}";
        }
        file << "\n}\n";
    }

    // Log lines with CR LF ends, written a mebibyte at a time.
    static void WriteLog(const std::filesystem::path& path) {
        std::string chunk;
        for (int line = 0; chunk.size() < (1 << 20); ++line) {
            chunk += "2026-12-10 05:00:00.000 [info] renderer: frame " + std::to_string(line) +
                     " presented\r\n";
        }
        chunk.resize(1 << 20);
        std::ofstream file(path, std::ios::binary);
        for (std::size_t written = 0; written < kLogBytes; written += chunk.size()) file << chunk;
    }

    TempFolder folder_;
};

// The logs' bytes read once, in pieces, with nothing done to them.
void ReadLogsOnce(const std::filesystem::path& installation) {
    std::vector<char> piece(64 * 1024);
    for (const wchar_t* log : kLogFiles) {
        const UniqueHandle file{CreateFileW((installation / log).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
        DWORD read = 0;
        while (ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &read,
                        nullptr) &&
               read > 0) {
        }
    }
}

struct SaveFigures {
    double milliseconds = 0, readLogsMilliseconds = 0;
    double peakWorkingSetMiB = 0, peakPrivateMiB = 0;
};

// Saves the full log of the heavy installation on a machine of fixture processes, without
// the DxDiag report and the DLL probe. Run first, so that the process's memory peaks are
// those of a scan and a save rather than of the other measures.
SaveFigures MeasureSave() {
    FixtureMachine machine(kSaveModulesPerProductHost);
    machine.GrowTo(kSaveProcesses);
    const HeavyInstallation installation;
    ApplicationState state;
    DetectConflicts(state.runningProcesses, state.detectedApps);
    SaveFigures figures;
    std::tie(figures.milliseconds, figures.readLogsMilliseconds) = MediansInTurns(
        [&] { SaveFullLogFile(state, installation.Path() / L"full log.txt", L"", L""); },
        [&] { ReadLogsOnce(installation.Path()); },
        3);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    figures.peakWorkingSetMiB = static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
    // The peak of committed private memory is what Task Manager calls peak private bytes.
    figures.peakPrivateMiB = static_cast<double>(counters.PeakPagefileUsage) / (1 << 20);
    return figures;
}

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
    const SaveFigures save = MeasureSave();
    FixtureMachine machine(kModulesPerProductHost);
    for (const int count : {50, 200}) {
        machine.GrowTo(count);
        Scan();  // the first scan pays for pages and caches that both would share
        const auto [scan, floor] = MediansInTurns(Scan, ScanFloor);
        const std::string what = "scan, " + std::to_string(count) + " fixture processes";
        PrintRow(what.c_str(), scan, floor, "ratio <= 1.15");
    }
    PrintRow("save, 300 processes, 4 logs of 256 MiB", save.milliseconds,
             save.readLogsMilliseconds, "floor: reading the logs once");
    PrintRow("  save: peak working set (MiB)", save.peakWorkingSetMiB, 0, "for the record");
    PrintRow("  save: peak private bytes (MiB)", save.peakPrivateMiB, 0, "<= 64 MiB");

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
