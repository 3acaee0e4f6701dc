// The product started as a user starts it: the introduction box, the scan of a machine with
// fixture processes, and the Results dialog, driven through its real windows.
#include <filesystem>

#include <gtest/gtest.h>

#include "e2e/ui_driver.h"
#include "support/built_files.h"
#include "support/fixture_process.h"
#include "support/interactive_run.h"
#include "support/line_feeds.h"
#include "support/temp_folder.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;
constexpr int kViewMore = 1037, kFixFirewall = 1034, kResultsText = 1032, kClose = 2;

const std::wstring kIntroductionText =
    L"This utility will check if there are any conflicting programs running that might cause "
    L"issues with Vistora. But please keep the following in mind:\n\n"
    L" - The programs detected here only cause issues on some computers.\n\n"
    L" - If something is detected here but everything actually works fine for you, you can "
    L"ignore the warnings.\n\n"
    L" - It only checks for a few well known programs that can cause problems. Please click the "
    L"'Open FAQ' button later if you have more general issues.";

// An installation with the tool in its "tools" folder, started from there.
struct Installation {
    Installation() {
        CopyBuilt(SYSPROBE_EXE, Tools() / ProductName());
    }
    std::filesystem::path Root() const { return folder.Path(); }
    std::filesystem::path Tools() const { return folder / L"tools"; }
    static std::wstring ProductName() {
        return sizeof(void*) == 8 ? L"sysprobe64.exe" : L"sysprobe32.exe";
    }

    TempFolder folder;
};

// A fixture host under the given name in the installation, with fixture DLLs under the
// given names loaded.
FixtureProcess StartHost(const Installation& installation, const std::wstring& name,
                         const std::vector<std::wstring>& modules) {
    const std::filesystem::path folder = installation.Root() / L"hosts";
    CopyBuilt(FIXTURE_HOST, folder / name);
    std::wstring arguments;
    for (const std::wstring& module : modules) {
        CopyBuilt(FIXTURE_MODULE, folder / module);
        arguments += L"\"" + (folder / module).wstring() + L"\" ";
    }
    FixtureProcess host(folder / name, arguments, folder);
    EXPECT_TRUE(WaitForHostRecord(folder / name)) << "the host did not start";
    return host;
}

std::wstring SummaryText(HWND dialog) {
    return WithLineFeeds(DialogItemText(dialog, kResultsText));
}

bool Visible(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

}  // namespace

TEST(InteractiveMode, GathersAfterTheIntroductionAndShowsTheResults) {
    Installation installation;
    // The option in other letter case is no option: the tool starts interactively.
    TestProcess product((installation.Tools() / Installation::ProductName()).wstring(),
                        L"-analyzedependencies", installation.Tools().wstring());
    ASSERT_TRUE(product.Started());

    const HWND introduction =
        WaitForDialog(product, L"Checking for conflicting programs", kTimeoutMs);
    ASSERT_NE(introduction, nullptr);
    EXPECT_EQ(DialogItemText(introduction, kMessageBoxTextId), kIntroductionText);

    // Started only now, so it is found only if the scan waits for the box.
    const FixtureProcess vistora =
        StartHost(installation, L"Vistora64.exe", {L"RTSSHooks64.dll", L"fraps64.dll"});
    PressButton(introduction, IDOK);

    const HWND results = WaitForDialog(product, L"Vistora System Diagnostics", kTimeoutMs);
    ASSERT_NE(results, nullptr);
    const std::wstring summary = SummaryText(results);
    EXPECT_EQ(summary.find(L"Please run Vistora"), std::wstring::npos) << "Vistora64.exe runs";
    // The 32-bit build has no 64-bit sibling beside it here: it scans in its place and says
    // so first.
    const std::wstring opening =
        sizeof(void*) == 8 ? L""
                           : L"\nThe 64-bit part of this tool could not be started, so the modules "
                             L"of 64-bit programs (Vistora's 64-bit processes and Explorer among "
                             L"them) were not scanned. Reinstalling Vistora repairs this.\n";
    EXPECT_EQ(summary.rfind(
                  opening + L"\n*** Please share the log from the button 'Save Full Log' ***\n", 0),
              0u)
        << summary;
    const size_t fraps = summary.find(L"\nFraps\n");
    const size_t rivatuner = summary.find(L"\nRivaTuner\n");
    ASSERT_NE(fraps, std::wstring::npos) << summary;
    ASSERT_NE(rivatuner, std::wstring::npos) << summary;
    EXPECT_LT(fraps, rivatuner);
    // Wine's firewall cannot list rules, so the tool offers to fix them.
    EXPECT_NE(summary.find(L"\nMissing Firewall permissions\n"), std::wstring::npos);
    EXPECT_TRUE(Visible(results, kFixFirewall));
    EXPECT_TRUE(Visible(results, kViewMore));
    EXPECT_EQ(summary.find(L"Loaded modules found:"), std::wstring::npos);
    EXPECT_FALSE(std::filesystem::exists(installation.Tools() / L"sysprobeloader64.txt"));
    EXPECT_FALSE(std::filesystem::exists(installation.Tools() / L"sysprobeloader32.txt"));

    PressButton(results, kViewMore);
    std::wstring detailed;
    for (int i = 0; i < 100 && Visible(results, kViewMore); ++i) Sleep(100);
    detailed = SummaryText(results);
    EXPECT_FALSE(Visible(results, kViewMore));
    EXPECT_EQ(detailed.find(L"*** Please share"), std::wstring::npos) << "rewritten from the start";
    const std::wstring hooksPath = (installation.Root() / L"hosts\\RTSSHooks64.dll").wstring();
    EXPECT_NE(detailed.find(L"\n\nLoaded modules found:\n" + hooksPath + L"\n"),
              std::wstring::npos)
        << detailed;

    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
}

TEST(InteractiveMode, FixFirewallRepairsOnceAndKeepsTheSummary) {
    Installation installation;
    TestProcess product((installation.Tools() / Installation::ProductName()).wstring(), L"",
                        installation.Tools().wstring());
    const HWND results = DismissIntroduction(product, kTimeoutMs);
    ASSERT_NE(results, nullptr);
    const std::wstring summary = SummaryText(results);
    ASSERT_TRUE(Visible(results, kFixFirewall));

    PressButton(results, kFixFirewall);
    const HWND box = WaitForDialog(product, L"Fix Firewall", kTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogItemText(box, kMessageBoxTextId),
              L"Please restart Vistora completely to check whether it is now permitted to access "
              L"your network.");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(results, kFixFirewall)));
    EXPECT_TRUE(Visible(results, kFixFirewall));
    PressButton(box, IDOK);

    EXPECT_EQ(SummaryText(results), summary);
    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
}
