#include "detect/conflict_matching.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/case_folding.h"
#include "text/encoding.h"

namespace {

// A process that the walk opened and queried, with the modules it listed.
ScannedProcess Queried(const std::wstring& imagePath,
                       const std::vector<std::wstring>& modulePaths = {},
                       std::uint32_t processId = 100) {
    ScannedProcess scanned;
    scanned.queriedImagePath = imagePath;
    RunningProcess& process = scanned.process;
    process.fileName = imagePath.substr(imagePath.find_last_of(L'\\') + 1);
    process.fileNameLower = ToLowerAscii(process.fileName);
    process.imagePath = imagePath;
    process.imagePathLower = ToLowerAscii(imagePath);
    process.processId = processId;
    std::uint64_t base = 0x10000000;
    for (const std::wstring& path : modulePaths) {
        process.modules.push_back({path, base, 0x1000});
        base += 0x100000;
    }
    return scanned;
}

// A process that the walk could not open: known by its snapshot name alone.
ScannedProcess Unopened(const std::wstring& exeName) {
    ScannedProcess scanned;
    RunningProcess& process = scanned.process;
    process.fileName = exeName;
    process.fileNameLower = ToLowerAscii(exeName);
    process.imagePath = exeName;
    process.imagePathLower = ToLowerAscii(exeName);
    return scanned;
}

struct Matched {
    RunningProcesses processes;
    DetectedApps detected;
};

Matched Match(std::vector<ScannedProcess> scanned) {
    Matched matched;
    MatchScannedProcesses(std::move(scanned), matched.processes, matched.detected);
    return matched;
}

const std::wstring kGeneric3dHook = L"nahimicORsonicsuiteORalienwaresound";

}  // namespace

TEST(MatchScannedProcesses, AppliesTheFoundPathRules) {
    struct Case {
        const char* what;
        std::vector<ScannedProcess> scanned;  // in enumeration order
        DetectedApps detected;
    };
    const Case cases[] = {
        {"nothing matches",
         {Queried(L"C:\\Windows\\notepad.exe"),
          Queried(L"C:\\App\\vistora64.exe", {L"C:\\Windows\\System32\\kernel32.dll"})},
         {}},
        {"module findings accumulate over processes, each path once",
         {Queried(L"C:\\App\\vistora32.exe", {L"C:\\RTSS\\RTSSHooks.dll"}),
          Queried(L"C:\\App\\vistoraui.exe", {L"C:\\RTSS\\RTSSHooks.dll", L"C:\\RTSS\\RTSSHooks64.dll"})},
         {{L"rivatuner", {L"C:\\RTSS\\RTSSHooks.dll", L"C:\\RTSS\\RTSSHooks64.dll"}}}},
        {"product names compare folded, module paths keep their case",
         {Queried(L"C:\\App\\VISTORA64.EXE", {L"C:\\Tools\\FRAPS64.DLL"})},
         {{L"fraps", {L"C:\\Tools\\FRAPS64.DLL"}}}},
        {"one module, several keys",
         {Queried(L"C:\\App\\webvistora64.exe", {L"C:\\Audio\\SS2DevProps.dll"})},
         {{L"sonicstudio", {L"C:\\Audio\\SS2DevProps.dll"}},
          {L"unknown devprops", {L"C:\\Audio\\SS2DevProps.dll"}}}},
        {"each host name has its own module table, other hosts have none",
         {Queried(L"C:\\Tools\\rundll32.exe", {L"C:\\Tools\\SpecialK64.dll"}),
          Queried(L"C:\\Windows\\explorer.exe",
                  {L"C:\\Shell\\SpecialK.dll", L"C:\\Shell\\Fences64.dll", L"C:\\Shell\\rtsshooks.dll"}),
          Queried(L"C:\\Other\\wallpaper.exe", {L"C:\\Other\\specialk64.dll", L"C:\\Other\\rtsshooks.dll"}),
          Queried(L"C:\\Other\\myvistora64.exe", {L"C:\\Other\\rtsshooks.dll"})},
         {{L"morvane", {L"C:\\Tools\\SpecialK64.dll"}}, {L"fences", {L"C:\\Shell\\Fences64.dll"}}}},
        {"a process is matched on its name and its path, against every row",
         {Queried(L"C:\\Program Files\\Kaspersky Lab\\SKIF64.exe")},
         {{L"morvane", {L"C:\\Program Files\\Kaspersky Lab\\SKIF64.exe"}},
          {L"kaspersky", {L"C:\\Program Files\\Kaspersky Lab\\SKIF64.exe"}}}},
        {"a process finding replaces earlier module findings",
         {Queried(L"C:\\App\\vistora64.exe", {L"C:\\AV\\umengx64.dll"}),
          Queried(L"C:\\Program Files\\Norton Security\\engine.exe")},
         {{L"norton", {L"C:\\Program Files\\Norton Security\\engine.exe"}}}},
        {"the last process finding is left",
         {Queried(L"C:\\Norton\\agent.exe"), Queried(L"C:\\Program Files\\Norton Security\\engine.exe")},
         {{L"norton", {L"C:\\Program Files\\Norton Security\\engine.exe"}}}},
        {"module findings after a process finding add to it",
         {Queried(L"C:\\Norton\\agent.exe"),
          Queried(L"C:\\App\\vistora64.exe", {L"C:\\AV\\umengx64.dll"})},
         {{L"norton", {L"C:\\Norton\\agent.exe", L"C:\\AV\\umengx64.dll"}}}},
        {"a process's own finding comes before its modules'",
         {Queried(L"C:\\Norton\\vistora64.exe", {L"C:\\Norton\\umengx64.dll"}),
          Queried(L"C:\\skif64.exe\\rundll32.exe", {L"C:\\skif64.exe\\SpecialK64.dll"})},
         {{L"norton", {L"C:\\Norton\\vistora64.exe", L"C:\\Norton\\umengx64.dll"}},
          {L"morvane", {L"C:\\skif64.exe\\rundll32.exe", L"C:\\skif64.exe\\SpecialK64.dll"}}}},
        {"a process that could not be opened is matched on its snapshot name, with no path",
         {Unopened(L"SKIF64.exe"), Unopened(L"explorer.exe")},
         {{L"morvane", {L""}}}},
        {"the empty path of an unopened process replaces too",
         {Queried(L"C:\\Tools\\skif64.exe"), Unopened(L"SKIF.exe")},
         {{L"morvane", {L""}}}},
        {"the generic 3D hook goes when Nahimic explains it",
         {Queried(L"C:\\App\\vistora32.exe", {L"C:\\Audio\\ovldynext.dll", L"C:\\Audio\\NahimicOSD.dll"})},
         {{L"nahimic", {L"C:\\Audio\\NahimicOSD.dll"}}}},
        {"the generic 3D hook goes when a sonic suite in another process explains it",
         {Queried(L"C:\\App\\vistora64.exe", {L"C:\\Audio\\ovldynext.dll"}),
          Queried(L"C:\\App\\vistoraui.exe", {L"C:\\Audio\\ss3osd.dll"})},
         {{L"sonicstudio", {L"C:\\Audio\\ss3osd.dll"}}}},
        {"the Alienware suite does not explain the generic 3D hook",
         {Queried(L"C:\\App\\vistora32.exe",
                  {L"C:\\Audio\\ovldynext.dll", L"C:\\Audio\\AlienwareSoundCenter.dll"})},
         {{L"alienware", {L"C:\\Audio\\AlienwareSoundCenter.dll"}},
          {kGeneric3dHook, {L"C:\\Audio\\ovldynext.dll"}}}},
        {"the generic 3D hook alone stays",
         {Queried(L"C:\\App\\vistora32.exe", {L"C:\\Audio\\ovldynext.dll"})},
         {{kGeneric3dHook, {L"C:\\Audio\\ovldynext.dll"}}}},
        {"an Alienware device property module is a generic finding too",
         {Queried(L"C:\\App\\vistora32.exe", {L"C:\\Audio\\CassiniMLKDevProps.dll"})},
         {{L"alienware", {L"C:\\Audio\\CassiniMLKDevProps.dll"}},
          {L"unknown devprops", {L"C:\\Audio\\CassiniMLKDevProps.dll"}}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Match(c.scanned).detected, c.detected) << c.what;
    }
}

TEST(MatchScannedProcesses, KeepsEveryProcessByLowerCaseNameAndTheLastOfOneName) {
    const Matched matched = Match({
        Queried(L"C:\\One\\vistora64.exe", {L"C:\\One\\rtsshooks.dll"}, 10),
        Queried(L"C:\\Windows\\notepad.exe", {}, 11),
        Unopened(L"System"),
        Queried(L"C:\\Two\\VISTORA64.exe", {L"C:\\Two\\RTSSHooks64.dll", L"C:\\Two\\fraps.dll"}, 12),
    });

    std::vector<std::wstring> names;
    for (const auto& [name, process] : matched.processes) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"notepad.exe", L"system", L"vistora64.exe"}));

    // The later one is kept whole, with only its own modules ...
    const RunningProcess& kept = matched.processes.at(L"vistora64.exe");
    EXPECT_EQ(kept.processId, 12u);
    EXPECT_EQ(kept.fileName, L"VISTORA64.exe");
    EXPECT_EQ(kept.imagePath, L"C:\\Two\\VISTORA64.exe");
    std::vector<std::wstring> modules;
    for (const ModuleInfo& module : kept.modules) modules.push_back(module.path);
    EXPECT_EQ(modules, (std::vector<std::wstring>{L"C:\\Two\\RTSSHooks64.dll", L"C:\\Two\\fraps.dll"}));
    // ... while the findings of both stay.
    const DetectedApps expected = {
        {L"rivatuner", {L"C:\\One\\rtsshooks.dll", L"C:\\Two\\RTSSHooks64.dll"}},
        {L"fraps", {L"C:\\Two\\fraps.dll"}},
    };
    EXPECT_EQ(matched.detected, expected);
}

TEST(ModuleTableFor, NamesTheTableOfEachScannedHost) {
    struct Case { std::wstring fileNameLower; const SignatureTable* table; };
    const Case cases[] = {
        {L"explorer.exe", &ExplorerModuleSignatures},
        {L"rundll32.exe", &RundllModuleSignatures},
        {L"vistora32.exe", &ModuleSignatures},
        {L"vistora64.exe", &ModuleSignatures},
        {L"vistoraui.exe", &ModuleSignatures},
        {L"webvistora64.exe", &ModuleSignatures},
        {L"explorer.exe.exe", nullptr},
        {L"notepad.exe", nullptr},
        {L"", nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModuleTableFor(c.fileNameLower), c.table) << WideToUtf8(c.fileNameLower);
    }
}
