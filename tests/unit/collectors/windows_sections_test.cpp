#include <algorithm>
#include <regex>
#include <set>

#include <gtest/gtest.h>
#include <windows.h>

#include "collectors/windows_settings.h"
#include "collectors/windows_version_info.h"
#include "support/scoped_registry_value.h"
#include "support/section_text.h"
#include "text/split_lines.h"
#include "text/encoding.h"

namespace {

const std::wstring kEquals(60, L'=');

// Checks each line of the text against its pattern, and that the text has no other lines.
void ExpectLines(const std::wstring& text, const std::vector<std::wstring>& patterns) {
    const std::vector<std::string> lines = SplitLines(WideToUtf8(text));
    ASSERT_EQ(lines.size(), patterns.size()) << WideToUtf8(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(Utf8ToWide(lines[i]), std::wregex(patterns[i])))
            << lines[i] << " does not match line " << i;
    }
}

}  // namespace

TEST(FormatWindowsSettingsSection, WritesEveryFactOnItsLine) {
    WindowsSettings settings;
    settings.clientAnimation = 1;
    settings.clientAnimationStatus = 1;
    settings.highContrastEnabled = true;
    settings.highContrastScheme = L"High Contrast Black";
    settings.highContrastStatus = 1;
    settings.performanceFrequency = 10000000;
    settings.performanceFrequencyStatus = 1;
    settings.screenSaverTimeout = L"600";
    settings.userName = L"J\u00FCrgen";
    EXPECT_EQ(SectionText(FormatWindowsSettingsSection(settings)),
              L"Windows settings\n" + kEquals + L"\n"
              L"client animation enabled: 1 (check status: 1)\n"
              L"high contrast enabled: 1, theme: High Contrast Black (check status: 1)\n"
              L"QPC frequency: 10000000 (check status: 1)\n"
              L"scrnsave.exe registry: \n"
              L"ScreenSaveTimeOut registry: 600\n"
              L"Active user: J\u00FCrgen\n"
              L"\n\n");

    const WindowsSettings failed{0, 0, false, L"", 0, 0, 0, L"", L"", L"< ERROR >"};
    EXPECT_EQ(SectionText(FormatWindowsSettingsSection(failed)),
              L"Windows settings\n" + kEquals + L"\n"
              L"client animation enabled: 0 (check status: 0)\n"
              L"high contrast enabled: 0, theme: unknown (check status: 0)\n"
              L"QPC frequency: 0 (check status: 0)\n"
              L"scrnsave.exe registry: \n"
              L"ScreenSaveTimeOut registry: \n"
              L"Active user: < ERROR >\n"
              L"\n\n");
}

TEST(WindowsSettingsSection, AsksTheRunningSystem) {
    // No screen saver chosen, but a time-out: the time-out still shows.
    const wchar_t* desktop = L"Control Panel\\Desktop";
    ScopedRegistryValue screenSaver(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE");
    ScopedRegistryValue timeout(HKEY_CURRENT_USER, desktop, L"ScreenSaveTimeOut");
    ASSERT_TRUE(screenSaver.SetString(L""));
    ASSERT_TRUE(timeout.SetString(L"900"));

    ExpectLines(SectionText(WindowsSettingsSection()), {
        L"Windows settings",
        kEquals,
        LR"(client animation enabled: [01] \(check status: 1\))",
        LR"(high contrast enabled: 0, theme: unknown \(check status: 1\))",
        LR"(QPC frequency: [1-9][0-9]* \(check status: 1\))",
        L"scrnsave.exe registry: ",
        L"ScreenSaveTimeOut registry: 900",
        L"Active user: (?!< ERROR >).+",
        L"",
        L"",
    });
}

TEST(FormatWindowsVersionValues, ShowsPlainStringsButNotTheOwner) {
    const std::vector<RegistryStringValue> values = {
        {L"ProductName", true, L"Windows 10 Pro"},
        {L"", true, L"nameless"},
        {L"SystemRoot", false, L"%SystemDrive%\\Windows"},
        {L"InstallDate", false, L"\x5F00"},
        {L"EditionID", true, L""},
        {L"RegisteredOwner", true, L"Jane Doe"},
        {L"registeredOWNER", true, L"Jane Doe"},
        {L"RegisteredOrganization", true, L"Example Ltd"},
        {L"CurrentBuild", true, L"19045"},
    };
    EXPECT_EQ(FormatWindowsVersionValues(values),
              L"ProductName: Windows 10 Pro\n"
              L"RegisteredOrganization: Example Ltd\n"
              L"CurrentBuild: 19045\n");
}

TEST(WindowsVersionSection, ReadsTheCurrentVersionKeyWithoutTheOwner) {
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    // The lines the key gives before this test adds to it, but for the organisation's,
    // which the test sets.
    std::multiset<std::string> expected;
    for (const std::string& line : SplitLines(WideToUtf8(ReadWindowsVersionValues()))) {
        EXPECT_TRUE(std::regex_match(line, std::regex("[^:]+: .+"))) << line;
        if (line.rfind("RegisteredOrganization: ", 0) != 0) expected.insert(line);
    }
    ASSERT_TRUE(std::any_of(expected.begin(), expected.end(), [](const std::string& line) {
        return line.rfind("ProductName: ", 0) == 0;
    }));

    ScopedRegistryValue owner(HKEY_LOCAL_MACHINE, key, L"RegisteredOwner", KEY_WOW64_64KEY);
    ScopedRegistryValue organization(HKEY_LOCAL_MACHINE, key, L"RegisteredOrganization",
                                     KEY_WOW64_64KEY);
    ScopedRegistryValue added(HKEY_LOCAL_MACHINE, key, L"SysprobeTestEdition", KEY_WOW64_64KEY);
    ASSERT_TRUE(owner.SetString(L"Owner Person Name"));
    ASSERT_TRUE(organization.SetString(L"Example Organisation Ltd"));
    ASSERT_TRUE(added.SetString(L"Test \u00C9dition"));
    expected.insert("RegisteredOrganization: Example Organisation Ltd");
    expected.insert("SysprobeTestEdition: Test \xC3\x89" "dition");

    // Every value shows, each on its line, but the owner.
    const std::wstring values = ReadWindowsVersionValues();
    EXPECT_EQ(values.find(L"Owner Person Name"), std::wstring::npos) << WideToUtf8(values);
    const std::vector<std::string> lines = SplitLines(WideToUtf8(values));
    EXPECT_EQ(std::multiset<std::string>(lines.begin(), lines.end()), expected);

    const std::optional<LogSection> section = WindowsVersionSection();
    ASSERT_TRUE(section);
    EXPECT_EQ(SectionText(*section), L"Windows version info\n" + kEquals + L"\n" + values + L"\n\n");
}
