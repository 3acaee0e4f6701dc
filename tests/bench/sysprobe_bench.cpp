// Prints how long the scan, the save of the full log, the start-up and the DLL probe take
// on a machine of fixture processes, with the scan set against its floor: only the Win32
// calls that any scan of this machine must make. Medians of several runs; ratios, not
// absolute times, are what compare across machines. The save also prints its memory peaks
// and its main parts. A machine that is not as its row says gets a warning line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "app/application_state.h"
#include "app/full_log_file.h"
#include "app/full_log_sections.h"
#include "app/interactive_mode.h"
#include "app/results_dialog.h"
#include "collectors/dependency_analysis.h"
#include "collectors/product_config.h"
#include "detect/conflict_detection.h"
#include "detect/conflict_matching.h"
#include "resource_ids.h"
#include "support/fixture_hosts.h"
#include "support/temp_folder.h"
#include "text/case_folding.h"
#include "text/encoding.h"
#include "text/win_handles.h"

namespace {

constexpr int kRepetitions = 15;
constexpr int kProductHosts = 5;
constexpr int kModulesPerProductHost = 150;
constexpr int kStartupProcesses = 300;
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

// The medians of kinds of work run in turns, so that a slow spell of a shared machine
// weighs on all alike.
std::vector<double> MediansInTurns(const std::vector<std::function<void()>>& works,
                                   int repetitions = kRepetitions) {
    std::vector<std::vector<double>> times(works.size());
    for (int i = 0; i < repetitions; ++i) {
        for (std::size_t w = 0; w < works.size(); ++w) times[w].push_back(Milliseconds(works[w]));
    }
    std::vector<double> medians;
    for (const std::vector<double>& workTimes : times) medians.push_back(Median(workTimes));
    return medians;
}

void Warn(const std::string& text) { std::printf("warning: %s\n", text.c_str()); }

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
        if (!ModuleTableFor(name)) continue;
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
    explicit FixtureMachine(int modulesPerProductHost)
        : modulesPerProductHost_(modulesPerProductHost) {
        // Short paths: every module's path goes on its host's command line.
        for (int m = 0; m < modulesPerProductHost; ++m) {
            modules_.push_back(folder_ / (L"m\\" + std::to_wstring(m) + L".dll"));
        }
        for (int p = 0; p < kProductHosts; ++p) {
            Start(folder_ / (L"product" + std::to_wstring(p) + L"\\" + kProductNames[p % 3]),
                  modules_);
        }
    }

    // Starts plain hosts up to the count and waits for every host's record; warns when
    // some host did not start or never wrote one.
    void GrowTo(int count) {
        while (static_cast<int>(hosts_.size()) < count) {
            const std::wstring name = L"host" + std::to_wstring(hosts_.size()) + L".exe";
            plainNames_.push_back(ToLowerAscii(name));
            Start(folder_ / (L"plain\\" + name), {});
        }
        for (; waited_ < hosts_.size(); ++waited_) {
            if (hosts_[waited_].Started() && WaitForHostRecord(paths_[waited_])) ++ready_;
        }
        if (ready_ < hosts_.size()) {
            Warn(Machine() + ": only " + std::to_string(ready_) + " of them started and ran");
        }
    }

    // Warns unless the scan saw every plain host, and every product name with at least
    // its fixture DLLs and its executable as modules.
    void WarnUnlessScanSees(const RunningProcesses& processes) const {
        std::size_t plainSeen = 0;
        for (const std::wstring& name : plainNames_) plainSeen += processes.count(name);
        if (plainSeen < plainNames_.size()) {
            Warn(Machine() + ": the scan saw " + std::to_string(plainSeen) + " of its " +
                 std::to_string(plainNames_.size()) + " plain fixture processes");
        }
        for (const wchar_t* name : kProductNames) {
            const auto found = processes.find(ToLowerAscii(name));
            const std::size_t modules = found == processes.end() ? 0 : found->second.modules.size();
            if (modules < static_cast<std::size_t>(modulesPerProductHost_) + 1) {
                Warn(Machine() + ": the scan saw " + WideToUtf8(name) + " with " +
                     std::to_string(modules) + " modules, not at least " +
                     std::to_string(modulesPerProductHost_ + 1));
            }
        }
    }

private:
    static constexpr const wchar_t* kProductNames[] = {L"Vistora64.exe", L"Vistora32.exe",
                                                       L"vistoraui.exe"};

    void Start(const std::filesystem::path& exe, const std::vector<std::filesystem::path>& dlls) {
        hosts_.push_back(LaunchHost(exe, dlls));
        paths_.push_back(exe);
    }

    std::string Machine() const {
        return "machine of " + std::to_string(hosts_.size()) + " fixture processes";
    }

    const int modulesPerProductHost_;
    TempFolder folder_;
    std::vector<std::filesystem::path> modules_;
    std::vector<FixtureProcess> hosts_;
    std::vector<std::filesystem::path> paths_;
    std::vector<std::wstring> plainNames_;  // lower case, as the scan keys them
    std::size_t waited_ = 0, ready_ = 0;
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
    // The save's two big parts, each alone.
    double productLogsMilliseconds = 0, configDumpMilliseconds = 0;
    double peakWorkingSetMiB = 0, peakPrivateMiB = 0;
};

// Saves the full log of the heavy installation on a machine of fixture processes, without
// the DxDiag report and the DLL probe, and does its two big parts alone: the tails of the
// product's logs and the config dump. Run first, so that the process's memory peaks are
// those of a scan and a save rather than of the other measures.
SaveFigures MeasureSave() {
    FixtureMachine machine(kSaveModulesPerProductHost);
    machine.GrowTo(kSaveProcesses);
    const HeavyInstallation installation;
    ApplicationState state;
    DetectConflicts(state.runningProcesses, state.detectedApps);
    machine.WarnUnlessScanSees(state.runningProcesses);
    SaveFigures figures;
    const std::vector<double> medians = MediansInTurns(
        {[&] { SaveFullLogFile(state, installation.Path() / L"full log.txt", L"", L""); },
         [&] { ReadLogsOnce(installation.Path()); },
         [&] { ReadProductLogFiles(installation.Path()); },
         [] { DumpProductConfig(); }},
        3);
    figures.milliseconds = medians[0];
    figures.readLogsMilliseconds = medians[1];
    figures.productLogsMilliseconds = medians[2];
    figures.configDumpMilliseconds = medians[3];
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
    // Each line goes out at once: a run takes minutes, and a piped stdout is buffered whole.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const bool oleReady = SUCCEEDED(OleInitialize(nullptr));
    std::printf("sysprobe_bench, %s build\n", sizeof(void*) == 8 ? "win64" : "win32");
    std::printf("%-44s %10s %10s %7s  %s\n", "measure (medians; \"first\": one cold run)", "ms",
                "floor ms", "ratio", "goal");
    const SaveFigures save = MeasureSave();
    FixtureMachine machine(kModulesPerProductHost);
    for (const int count : {50, 200}) {
        machine.GrowTo(count);
        // The first scan pays for pages and caches that both would share.
        RunningProcesses processes;
        DetectedApps detected;
        DetectConflicts(processes, detected);
        machine.WarnUnlessScanSees(processes);
        const std::vector<double> scan = MediansInTurns({Scan, ScanFloor});
        const std::string what = "scan, " + std::to_string(count) + " fixture processes";
        PrintRow(what.c_str(), scan[0], scan[1], "ratio <= 1.15");
    }
    PrintRow("save, 300 processes, 4 logs of 256 MiB", save.milliseconds,
             save.readLogsMilliseconds, "floor: reading the logs once");
    PrintRow("  save: the product's log reading alone", save.productLogsMilliseconds,
             save.readLogsMilliseconds, "for the record");
    PrintRow("  save: the config dump alone", save.configDumpMilliseconds, 0, "for the record");
    PrintRow("  save: the rest (save less the two above)",
             save.milliseconds - save.productLogsMilliseconds - save.configDumpMilliseconds, 0,
             "for the record");
    PrintRow("  save: peak working set (MiB)", save.peakWorkingSetMiB, 0, "for the record");
    PrintRow("  save: peak private bytes (MiB)", save.peakPrivateMiB, 0, "<= 64 MiB");

    machine.GrowTo(kStartupProcesses);
    ApplicationState state;
    GatherStartupFindings(state);
    machine.WarnUnlessScanSees(state.runningProcesses);
    const std::vector<double> gathering = MediansInTurns(
        {[] {
             ApplicationState gathered;
             GatherStartupFindings(gathered);
         },
         ScanFloor});
    const std::string what =
        "start-up gathering, " + std::to_string(kStartupProcesses) + " fixture processes";
    PrintRow(what.c_str(), gathering[0], gathering[1], "ratio <= 1.5");

    // Once each, as a run of the tool meets them: nothing in this process has loaded the
    // RichEdit libraries or created the dialog before.
    std::unique_ptr<RichEditLibraries> richEdit;
    PrintRow("first RichEdit libraries load",
             Milliseconds([&] { richEdit = std::make_unique<RichEditLibraries>(); }), 0,
             "for the record");
    HWND results = nullptr;
    PrintRow("first Results dialog creation", Milliseconds([&] {
                 results = CreateDialogParamW(GetModuleHandleW(nullptr),
                                              MAKEINTRESOURCEW(IDD_RESULTS), nullptr,
                                              ResultsDialogProc, reinterpret_cast<LPARAM>(&state));
             }),
             0, "for the record");
    if (results) DestroyWindow(results);

    const double probe = Median(3, [] {
        std::wostringstream report;
        AnalyzeDependencies(report);
    });
    PrintRow("DLL probe", probe, 0, "for the record");
    if (oleReady) OleUninitialize();
    return 0;
}
