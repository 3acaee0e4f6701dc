#include "firewall/rule_classification.h"

#include <gtest/gtest.h>

#include "text/encoding.h"

TEST(PortsTouchPairing, FindsThePairingPortsAloneAndInRanges) {
    struct Case {
        std::wstring ports;
        bool touches;
    };
    const Case cases[] = {
        {L"7884", true},         {L"7889", true},
        {L"7885", false},        {L"", false},
        {L"*", false},           {L"7000-8000", true},
        {L"7885-7888", false},   {L"7884-7884", true},
        {L"7889-7000", false},                       // a reversed range holds nothing
        {L"80,443,7889", true},  {L"x,7889", true},  // text that is no number reads as 0
        {L"7884x", true},                            // the leading number counts
        {L",", false},           {L",7884", true},
        {L"7884,", true},  // a trailing separator adds no piece
        {L"-7884", true},  // an empty low end reads as 0
        {L"7884-", true},  // a trailing "-" adds no part: the single port 7884
        {L"7000-", false},       {L"7000-7884-8000", false},  // three parts never match
        {L"RPC,IPHTTPS", false}, {L"99999999999-1", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortsTouchPairing(c.ports), c.touches) << WideToUtf8(c.ports);
    }
}

TEST(IsUiProgramPath, ComparesTheFileNameIgnoringAsciiCase) {
    struct Case {
        std::wstring path;
        bool isUiProgram;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Vistora\\bin\\vistoraui.exe", true},
        {L"D:/games/VistoraUI.EXE", true},
        {L"vistoraui.exe", true},
        {L"%ProgramFiles%\\Vistora\\vistoraui.exe", true},
        {L"C:\\vistoraui.exe\\other.exe", false},
        {L"C:\\x\\myvistoraui.exe", false},
        {L"C:\\x\\vistoraui.exe ", false},
        {L"C:\\x\\v\u0130storaui.exe", false},  // only ASCII letters fold
        {L"C:\\x\\", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsUiProgramPath(c.path), c.isUiProgram) << WideToUtf8(c.path);
    }
}
