#include "knowledge/signature_tables.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/case_folding.h"
#include "text/encoding.h"

TEST(ContainsPattern, FindsContiguousSubstrings) {
    struct Case { std::wstring subject, pattern; bool found; };
    const Case cases[] = {
        {ToLowerAscii(L"C:\\Program Files\\RivaTuner\\RTSSHOOKS64.DLL"), L"rtsshook", true},
        {L"c:\\windows\\system32\\ss2devprops.dll", L"ss2devprops", true},
        {L"c:\\windows\\system32\\ss2devprops.dll", L"devprops", true},
        {L"skif64.exe", L"skif64.exe", true},
        {L"skif64.exe", L"skif.exe", false},
        {L"fps", L"fpsmon", false},                    // pattern longer than the subject
        {L"c:\\program files\\norton\\engine\\ccsvchst.exe", L"norton", true},
        {L"c:\\apps\\tmmonitor.dll", L"tmmon", true},  // no word boundaries
        {L"c:\\rtsshook.dll", L"RTSSHOOK", false},     // patterns are not folded
        {L"anything", L"", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ContainsPattern(c.subject, c.pattern), c.found)
            << WideToUtf8(c.subject) << " / " << WideToUtf8(c.pattern);
    }
}

TEST(MatchingKeys, ReportsTheKeysOfEveryMatchingRow) {
    struct Case { const SignatureTable& table; std::wstring subject; std::vector<std::wstring> keys; };
    const Case cases[] = {
        {ModuleSignatures, L"C:\\Program Files\\RivaTuner\\RTSSHooks64.dll", {L"rivatuner"}},
        {ModuleSignatures, L"C:\\Windows\\System32\\SS2DevProps.dll",
         {L"sonicstudio", L"unknown devprops"}},
        {ModuleSignatures, L"C:\\Windows\\System32\\OvlDynExt64.dll",
         {L"nahimicORsonicsuiteORalienwaresound"}},
        {ModuleSignatures, L"C:\\Program Files\\MSI Gaming\\overlay.dll", {L"msi gaming"}},
        {ModuleSignatures, L"C:\\Mirillis\\hook.dll", {L"action"}},  // a later pattern of the row
        {ModuleSignatures, L"C:\\Sonic Suite\\SS2OSD.dll", {L"sonicstudio"}},  // two of the row's
        {ModuleSignatures, L"C:\\Windows\\System32\\kernel32.dll", {}},
        {ExplorerModuleSignatures, L"C:\\Program Files\\Stardock\\Fences\\FencesMenu64.dll",
         {L"fences"}},
        {RundllModuleSignatures, L"C:\\Tools\\SpecialK64.dll", {L"morvane"}},
        {ProcessSignatures, L"SKIF64.exe", {L"morvane"}},
        {ProcessSignatures, L"C:\\Program Files\\Norton Security\\Engine\\NS.exe", {L"norton"}},
        {ProcessSignatures, L"explorer.exe", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchingKeys(c.table, ToLowerAscii(c.subject)), c.keys) << WideToUtf8(c.subject);
    }
}

TEST(IsProductExecutable, ComparesWholeLowerCaseNames) {
    struct Case { std::wstring fileName; bool product; };
    const Case cases[] = {
        {L"vistora32.exe", true},
        {L"vistora64.exe", true},
        {L"vistoraui.exe", true},
        {L"webvistora64.exe", true},
        {ToLowerAscii(L"VISTORA64.EXE"), true},
        {L"vistora64.exe.bak", false},
        {L"myvistora64.exe", false},
        {L"vistora.exe", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsProductExecutable(c.fileName), c.product) << WideToUtf8(c.fileName);
    }
}
