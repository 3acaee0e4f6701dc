#include "detect/conflict_detection.h"
#include "detect/process_walk.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include "support/scanned_hosts.h"
#include "support/temp_folder.h"
#include "text/case_folding.h"
#include "text/encoding.h"
#include "text/win_handles.h"

// The scan's rules are tested on records alone (conflict_matching_test.cpp); these check
// that the walk of real processes and modules feeds them what the processes are.

namespace {

// Of two running hosts, the one that a process snapshot lists later.
const Host& EnumeratedLater(const Host& a, const Host& b) {
    const UniqueHandle snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == a.process.Id()) return b;
        if (entry.th32ProcessID == b.process.Id()) return a;
    }
    ADD_FAILURE() << "neither host is listed";
    return b;
}

// The scan's record of the host: found under its lower-case name, with every module the
// host reports at the same base and size.
void ExpectScannedAsReported(const RunningProcesses& processes, const std::wstring& key,
                             const Host& host) {
    const auto found = processes.find(key);
    ASSERT_NE(found, processes.end()) << key;
    const RunningProcess& process = found->second;
    EXPECT_EQ(process.processId, host.process.Id());
    EXPECT_EQ(process.imagePath, host.ImagePath());
    EXPECT_EQ(process.fileName, std::filesystem::path(host.ImagePath()).filename().wstring());
    for (const ModuleInfo& reported : host.record.modules) {
        const auto module = std::find_if(process.modules.begin(), process.modules.end(),
                                         [&](const ModuleInfo& m) { return m.path == reported.path; });
        ASSERT_NE(module, process.modules.end()) << reported.path;
        EXPECT_EQ(module->baseAddress, reported.baseAddress) << reported.path;
        EXPECT_EQ(module->size, reported.size) << reported.path;
    }
}

}  // namespace

TEST(DetectConflicts, MatchesModulesOfProductRundllAndExplorerHosts) {
    TempFolder folder;
    auto product = StartHost(folder, L"app\\Vistora64.EXE",
                             {L"app\\RTSSHooks64.dll", L"app\\ss2devprops.dll", L"app\\ovldynext.dll"});
    auto ui = StartHost(folder, L"ui\\vistoraui.exe", {L"app\\RTSSHooks64.dll"});
    auto rundll = StartHost(folder, L"tools\\rundll32.exe", {L"tools\\SpecialK64.dll"});
    auto shell = StartHost(folder, L"shell\\explorer.exe", {L"shell\\SpecialK.dll", L"shell\\Fences64.dll"});
    auto other = StartHost(folder, L"other\\wallpaper.exe", {L"other\\specialk64.dll", L"other\\rtsshooks.dll"});
    ASSERT_TRUE(product && ui && rundll && shell && other);

    const Scan scan = RunScan();
    const std::wstring hooks = product->ModulePath(L"RTSSHooks64.dll");
    const std::wstring devprops = product->ModulePath(L"ss2devprops.dll");
    // Not the generic 3D hook of "ovldynext.dll": the sonic suite beside it explains it.
    // Not Explorer's "SpecialK.dll", nor anything loaded into a process of another name.
    const DetectedApps expected = {
        {L"rivatuner", {hooks}},  // loaded into two product processes, listed once
        {L"sonicstudio", {devprops}},
        {L"unknown devprops", {devprops}},
        {L"morvane", {rundll->ModulePath(L"SpecialK64.dll")}},
        {L"fences", {shell->ModulePath(L"Fences64.dll")}},
    };
    EXPECT_EQ(FoundBelow(scan.detected, folder), expected);

    ExpectScannedAsReported(scan.processes, L"vistora64.exe", *product);
    ExpectScannedAsReported(scan.processes, L"vistoraui.exe", *ui);
    ExpectScannedAsReported(scan.processes, L"rundll32.exe", *rundll);
    const auto unscanned = scan.processes.find(L"wallpaper.exe");
    ASSERT_NE(unscanned, scan.processes.end());
    EXPECT_TRUE(unscanned->second.modules.empty());
    EXPECT_EQ(unscanned->second.imagePathLower, ToLowerAscii(other->ImagePath()));

    if (sizeof(void*) == 4) {
        // The fixture DLL prefers a base above 2 GiB; its address must not turn negative.
        const bool high = std::any_of(product->record.modules.begin(), product->record.modules.end(),
                                      [](const ModuleInfo& m) { return m.baseAddress >= 0x80000000u; });
        EXPECT_TRUE(high) << "no module was loaded above 2 GiB";
    }
}

TEST(DetectConflicts, MatchesProcessNamesAndImagePaths) {
    TempFolder folder;
    auto skif = StartHost(folder, L"sk\\SKIF64.exe");
    auto norton = StartHost(folder, L"Norton Security\\engine.exe");
    auto nortonAgain = StartHost(folder, L"norton\\agent.exe");
    ASSERT_TRUE(skif && norton && nortonAgain);

    const Scan scan = RunScan();
    // A process finding replaces the key's paths: the last matching process is left.
    const DetectedApps expected = {
        {L"morvane", {skif->ImagePath()}},
        {L"norton", {EnumeratedLater(*norton, *nortonAgain).ImagePath()}},
    };
    EXPECT_EQ(FoundBelow(scan.detected, folder), expected);

    const auto process = scan.processes.find(L"skif64.exe");
    ASSERT_NE(process, scan.processes.end());
    EXPECT_EQ(process->second.fileName, L"SKIF64.exe");
    EXPECT_EQ(process->second.imagePath, skif->ImagePath());
    EXPECT_EQ(process->second.imagePathLower, ToLowerAscii(skif->ImagePath()));
    EXPECT_TRUE(process->second.modules.empty());
}

TEST(DetectConflicts, KeepsTheLastOfProcessesSharingAName) {
    TempFolder folder;
    auto first = StartHost(folder, L"one\\vistora64.exe", {L"one\\rtsshooks.dll"});
    auto second = StartHost(folder, L"two\\VISTORA64.exe", {L"two\\RTSSHooks64.dll", L"two\\fraps.dll"});
    ASSERT_TRUE(first && second);

    const Scan scan = RunScan();
    // Both were module-scanned, and module findings accumulate ...
    const DetectedApps expected = {
        {L"rivatuner",
         {first->ModulePath(L"rtsshooks.dll"), second->ModulePath(L"RTSSHooks64.dll")}},
        {L"fraps", {second->ModulePath(L"fraps.dll")}},
    };
    EXPECT_EQ(FoundBelow(scan.detected, folder), expected);
    // ... but one record is kept, whole: the last enumerated, with only its own modules.
    const Host& kept = EnumeratedLater(*first, *second);
    const Host& dropped = &kept == &*first ? *second : *first;
    ExpectScannedAsReported(scan.processes, L"vistora64.exe", kept);
    for (const ModuleInfo& module : scan.processes.at(L"vistora64.exe").modules) {
        EXPECT_NE(module.path, dropped.record.modules.back().path);
    }
}

// The walk's module list of one process, matched afterwards by the scan's rules.
TEST(ListProcessModules, AppendsEveryModuleTheProcessReports) {
    TempFolder folder;
    auto host = StartHost(folder, L"app\\vistora64.exe", {L"app\\RTSSHooks64.dll"});
    ASSERT_TRUE(host);

    std::vector<ModuleInfo> modules = {{L"C:\\earlier\\rtsshooks.dll", 0x1000, 0x1000}};
    EXPECT_TRUE(ListProcessModules(host->process.Id(), modules));
    ASSERT_FALSE(modules.empty());
    EXPECT_EQ(modules.front().path, L"C:\\earlier\\rtsshooks.dll");
    for (const ModuleInfo& reported : host->record.modules) {
        const auto module = std::find_if(modules.begin(), modules.end(),
                                         [&](const ModuleInfo& m) { return m.path == reported.path; });
        ASSERT_NE(module, modules.end()) << WideToUtf8(reported.path);
        EXPECT_EQ(module->baseAddress, reported.baseAddress) << WideToUtf8(reported.path);
        EXPECT_EQ(module->size, reported.size) << WideToUtf8(reported.path);
    }
}

TEST(ListProcessModules, FailsForAProcessThatDoesNotExist) {
    std::vector<ModuleInfo> modules;
    EXPECT_FALSE(ListProcessModules(0xFFFFFFF0u, modules));
    EXPECT_TRUE(modules.empty());
}
