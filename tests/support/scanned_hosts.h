#pragma once
// Fixture hosts for tests of the scan: started and waited for, and the scan's findings
// narrowed to those below a test's own folder, since the scan sees Wine's own processes
// too. The including target defines FIXTURE_HOST and FIXTURE_MODULE (see fixture_hosts.h).
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "detect/conflict_detection.h"
#include "support/fixture_hosts.h"
#include "support/temp_folder.h"
#include "text/encoding.h"

// A fixture host copied under a chosen name, running with fixture DLLs copied under
// chosen names loaded into it.
struct Host {
    FixtureProcess process;
    HostRecord record;

    const std::wstring& ImagePath() const { return record.modules.at(0).path; }
    // The full path of the loaded DLL with this file name.
    std::wstring ModulePath(const std::wstring& fileName) const {
        for (const ModuleInfo& module : record.modules) {
            if (std::filesystem::path(module.path).filename() == fileName) return module.path;
        }
        ADD_FAILURE() << "the host did not load " << WideToUtf8(fileName);
        return {};
    }
};

// The host at program below the folder with the DLLs (paths below the folder) loaded;
// nothing when it did not start or did not load them all.
inline std::optional<Host> StartHost(const TempFolder& folder, const std::wstring& program,
                                     const std::vector<std::wstring>& dlls = {}) {
    std::vector<std::filesystem::path> dllPaths;
    for (const std::wstring& dll : dlls) dllPaths.push_back(folder / dll);
    FixtureProcess process = LaunchHost(folder / program, dllPaths);
    if (!process.Started()) return std::nullopt;
    std::optional<HostRecord> record = WaitForHostRecord(folder / program);
    if (!record || record->modules.size() != dlls.size() + 1) return std::nullopt;
    return Host{std::move(process), std::move(*record)};
}

struct Scan {
    RunningProcesses processes;
    DetectedApps detected;
};

inline Scan RunScan() {
    Scan scan;
    EXPECT_TRUE(DetectConflicts(scan.processes, scan.detected));
    return scan;
}

// What the test's own hosts caused: the found paths below its folder, by key.
inline DetectedApps FoundBelow(const DetectedApps& detected, const TempFolder& folder) {
    const std::wstring prefix = folder.Path().wstring() + L"\\";
    DetectedApps own;
    for (const auto& [key, paths] : detected) {
        for (const std::wstring& path : paths) {
            if (path.rfind(prefix, 0) == 0) own[key].insert(path);
        }
    }
    return own;
}
