#include "knowledge/hint_expansion.h"

#include <gtest/gtest.h>

#include "text/encoding.h"

TEST(FindHint, MatchesKeysExactly) {
    struct Case { std::wstring key; const wchar_t* name; };
    const Case cases[] = {
        {L"rivatuner", L"RivaTuner"},
        {L"Rivatuner", nullptr},
        {L"rivatuner ", nullptr},
        {L"nahimicORsonicsuiteORalienwaresound", L"Generic 3D hook"},
        {L"nahimicorsonicsuiteoralienwaresound", nullptr},
        {L"msi gaming", L"MSI Gaming App"},
        {L"", nullptr},
    };
    for (const auto& c : cases) {
        const HintEntry* entry = FindHint(c.key);
        if (!c.name) {
            EXPECT_EQ(entry, nullptr) << WideToUtf8(c.key);
        } else {
            ASSERT_NE(entry, nullptr) << WideToUtf8(c.key);
            EXPECT_EQ(entry->name, c.name);
        }
    }
}

TEST(ExpandHint, GivesTheCatalogueTexts) {
    struct Case { std::wstring key, text; };
    const Case cases[] = {
        {L"rivatuner",
         L"It looks like you have RivaTuner installed which could inject into Vistora and cause "
         L"the following issues:\n\n - Vistora may crash.\n\nWe recommend that you set RivaTuner "
         L"to ignore Vistora or try to close or uninstall it. Click on 'Open FAQ' below if you "
         L"need any additional help."},
        {L"fraps",
         L"It looks like you have Fraps installed which could inject into Vistora and cause the "
         L"following issues:\n\n - Vistora may crash.\n\nFraps is old and not being updated "
         L"anymore, so your best bet is replacing it with an alternative program. Click on 'Open "
         L"FAQ' below if you need any additional help."},
        {L"avast",
         L"If you are having crashes or problems with Vistora, try configuring Avast to ignore the "
         L"vistora installation directory as it is known to cause various issues.\n\nClick on "
         L"'Open FAQ' below if you need any additional help."},
        {L"desktopcal",
         L"It looks like you have DesktopCal installed which could cause the following issues:\n\n"
         L" - The live wallpaper will not show up because DesktopCal itself is replacing the "
         L"wallpaper and hiding Vistora.\n\nClick on 'Open FAQ' below if you need any additional "
         L"help."},
        {L"unknown devprops",
         L"It looks like a generic audio hook is installed and affects Vistora and may cause the "
         L"following issues:\n\n - Audio visualizers may not work.\n - Vistora may crash.\n\nClick "
         L"on 'View more' to see the path of this hook on your computer and click on 'Open FAQ' "
         L"below if you need any additional help."},
        {L"nahimicORsonicsuiteORalienwaresound",
         L"It looks like a generic 3D overlay hook is installed and affects Vistora and might "
         L"cause it to crash.\n\nIt could be part of Nahimic, Alienware Sound or Sonic Suite. "
         L"Click on 'View more' to see the path of this hook on your computer and click on 'Open "
         L"FAQ' below if you need any additional help."},
        {L"zonealarm",
         L"It looks like you have ZoneAlarm Antitheft.exe running which can prevent Vistora from "
         L"working, for example, the UI could stay blank.\n\nIf you have such an issue, you should "
         L"configure ZoneAlarm to leave Vistora alone or disable parts of ZoneAlarm until you "
         L"found the component in ZoneAlarm that is broken and causes this.\n\nIf you need help "
         L"with ZoneAlarm, their support can be found here: https://www.zonealarm.com/support."},
    };
    for (const auto& c : cases) {
        const HintEntry* entry = FindHint(c.key);
        ASSERT_NE(entry, nullptr) << WideToUtf8(c.key);
        EXPECT_EQ(ExpandHint(*entry), c.text) << WideToUtf8(c.key);
    }
}

TEST(ExpandHint, FillsOnlyKnownPlaceholders) {
    struct Case { HintEntry entry; std::wstring text; };
    const Case cases[] = {
        {{L"Plain text.\n", L"Tool", L"ACME"}, L"Plain text.\n"},
        {{L"{author} made {app}.", L"Tool", L""}, L"the developers of Tool made Tool."},
        {{L"{author} made {app}.", L"Tool", L"ACME"}, L"ACME made Tool."},
        {{L"{App} {nothing} {app } { } {bulletUi", L"Tool", L""},
         L"{App} {nothing} {app } { } {bulletUi"},
        {{L"[{app}|{app}]", L"a{app}b", L""}, L"[a{app}b|a{app}b]"},
        {{L"{bulletAudio}{bulletCrash}", L"Tool", L""},
         L" - Audio visualizers may not work.\n - Vistora may crash.\n"},
        {{L"{installed}|{installedAndHooked}", L"Tool", L""},
         L"It looks like you have Tool installed which could cause the following issues:\n\n|"
         L"It looks like you have Tool installed which could inject into Vistora and cause the "
         L"following issues:\n\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandHint(c.entry), c.text) << WideToUtf8(c.entry.templateText);
    }
}

TEST(ReplaceAll, ResumesAfterEachReplacement) {
    struct Case { std::wstring text, needle, replacement, result; };
    const Case cases[] = {
        {L"a-b-c", L"-", L"+", L"a+b+c"},
        {L"aaa", L"aa", L"b", L"ba"},            // overlapping: leftmost first
        {L"x", L"x", L"xx", L"xx"},              // the replacement is not searched again
        {L"ab", L"b", L"", L"a"},
        {L"ab", L"abc", L"z", L"ab"},            // needle longer than the text
        {L"", L"a", L"b", L""},
        {L"abc", L"", L"-", L"abc"},             // an empty needle replaces nothing
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        ReplaceAll(text, c.needle, c.replacement);
        EXPECT_EQ(text, c.result) << WideToUtf8(c.text) << " / " << WideToUtf8(c.needle);
    }
}
