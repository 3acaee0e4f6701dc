#pragma once
// What the conflict scan finds: every running process, and each detected catalogue key
// with the paths that gave it away.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct ModuleInfo {
    std::wstring path;         // as the module snapshot reports it, letter case unchanged
    std::uint64_t baseAddress = 0;
    std::uint64_t size = 0;
};

struct RunningProcess {
    std::wstring fileName;
    std::wstring fileNameLower;
    std::wstring imagePath;
    std::wstring imagePathLower;
    std::uint32_t processId = 0;
    std::vector<ModuleInfo> modules;  // only for module-scanned processes
};

// Keyed by the lower-case file name; of several processes with one name, the one
// enumerated last.
using RunningProcesses = std::map<std::wstring, RunningProcess>;

// Catalogue key -> sorted found paths (module paths, or a process image path).
using DetectedApp = std::set<std::wstring>;
using DetectedApps = std::map<std::wstring, DetectedApp>;

// One process as the walk of the process snapshot found it, before any signature is
// matched.
struct ScannedProcess {
    RunningProcess process;        // modules listed only where ModuleTableFor names a table
    std::wstring queriedImagePath; // "" when the process could not be opened or queried
};
