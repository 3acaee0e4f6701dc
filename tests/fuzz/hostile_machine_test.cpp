// The scan on a machine no test of its rules would build: thousands of processes, module
// paths past MAX_PATH, names outside ASCII and outside the Basic Multilingual Plane.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/scanned_hosts.h"
#include "support/temp_folder.h"
#include "text/case_folding.h"
#include "text/encoding.h"

// Many processes at once, modules deep below a folder whose paths pass 260 characters, and
// names outside ASCII and outside the Basic Multilingual Plane. (Wine 8 cannot start a
// program from such a deep folder: CreateProcessW fails with error 123 or 2. So the long
// paths here are the modules'.)
TEST(DetectConflicts, RecordsAHostileMachine) {
    // Ten times the processes of a busy machine. Under Wine every host holds about 3 MiB and
    // takes some 30 ms to start, so this holds 6 to 7 GiB for 75 s: nothing else runs meanwhile.
    constexpr int kManyHosts = 2000;
    TempFolder folder;
    std::vector<std::filesystem::path> manyPaths;
    std::vector<FixtureProcess> many;
    for (int i = 0; i < kManyHosts; ++i) {
        manyPaths.push_back(folder / (L"many\\host" + std::to_wstring(i) + L".exe"));
        FixtureProcess host = LaunchHost(manyPaths.back());
        // Among so many, Wine 8 now and then fails one start (ERROR_INTERNAL_ERROR) while the
        // next ones work: such a host gets a second try.
        if (!host.Started()) host = LaunchHost(manyPaths.back());
        many.push_back(std::move(host));
    }

    std::wstring deep = L"deep";
    while (deep.size() < 300) deep += L"\\folder with a long name " + std::to_wstring(deep.size());
    // Wine cannot make a file whose name holds a lone surrogate (CreateFileW fails with
    // error 2), so such names are left to a Windows machine.
    const std::wstring strange = L"str\u00E4nge \u4E2D\u6587 \U0001F600";
    auto product = StartHost(folder, L"app\\Vistora64.exe",
                             {deep + L"\\RTSSHooks64.dll", deep + L"\\" + strange + L".dll",
                              L"m\u00F6dule\\" + strange + L"RTSSHooks.dll"});
    auto named = StartHost(folder, L"named\\" + strange + L".exe");
    ASSERT_TRUE(product);
    ASSERT_TRUE(named);
    for (int i = 0; i < kManyHosts; ++i) {
        if (WaitForHostRecord(manyPaths[i])) continue;
        const std::optional<DWORD> ended = many[i].WaitForExit(std::chrono::milliseconds(0));
        FAIL() << "host " << i << " left no record: "
               << (!many[i].Started() ? "it did not start"
                   : ended            ? "it ended with " + std::to_string(*ended)
                                      : "it runs");
    }

    const Scan scan = RunScan();
    for (int i = 0; i < kManyHosts; ++i) {
        const auto found = scan.processes.find(L"host" + std::to_wstring(i) + L".exe");
        ASSERT_NE(found, scan.processes.end()) << i;
        EXPECT_EQ(found->second.processId, many[i].Id());
        EXPECT_EQ(found->second.imagePath, manyPaths[i].wstring());
    }

    const std::wstring productPath = (folder / L"app\\Vistora64.exe").wstring();
    const std::vector<std::wstring> modulePaths = {
        (folder / (deep + L"\\RTSSHooks64.dll")).wstring(),
        (folder / (deep + L"\\" + strange + L".dll")).wstring(),
        (folder / (L"m\u00F6dule\\" + strange + L"RTSSHooks.dll")).wstring(),
    };
    const auto scanned = scan.processes.find(L"vistora64.exe");
    ASSERT_NE(scanned, scan.processes.end());
    EXPECT_EQ(scanned->second.imagePath, productPath);
    for (const std::wstring& path : modulePaths) {
        const auto& modules = scanned->second.modules;
        EXPECT_TRUE(std::any_of(modules.begin(), modules.end(),
                                [&](const ModuleInfo& m) { return m.path == path; }))
            << WideToUtf8(path);
    }
    EXPECT_EQ(FoundBelow(scan.detected, folder),
              (DetectedApps{{L"rivatuner", {modulePaths[0], modulePaths[2]}}}));

    const std::wstring namedLower = ToLowerAscii(strange + L".exe");
    ASSERT_EQ(scan.processes.count(namedLower), 1u);
    EXPECT_EQ(scan.processes.at(namedLower).fileName, strange + L".exe");
    EXPECT_EQ(scan.processes.at(namedLower).imagePath, (folder / (L"named\\" + strange + L".exe")).wstring());
}
