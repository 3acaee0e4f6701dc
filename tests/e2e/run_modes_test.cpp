// The product executable started the way an outside starter or a user starts it.
#include <chrono>

#include <gtest/gtest.h>

#include "e2e/ui_driver.h"
#include "support/built_files.h"
#include "support/expected_text.h"
#include "support/fixture_process.h"
#include "support/interactive_run.h"
#include "support/line_feeds.h"
#include "support/scoped_environment_variable.h"
#include "support/scoped_registry_key.h"
#include "support/scoped_registry_value.h"
#include "support/temp_folder.h"
#include "support/wine_32bit.h"
#include "support/written_files.h"
#include "text/encoding.h"
#include "text/win_handles.h"

namespace {

constexpr bool k64Bit = sizeof(void*) == 8;
const DWORD kTimeoutMs = DeadlineMs(120000);

std::optional<DWORD> RunToExit(const std::filesystem::path& program, const std::wstring& arguments,
                               const std::filesystem::path& workingDirectory) {
    FixtureProcess process(program, arguments, workingDirectory);
    return process.WaitForExit(std::chrono::milliseconds(kTimeoutMs));
}

// Makes Wine report another Windows version to every program of this file name while it
// lives.
class WineVersionOverride {
public:
    WineVersionOverride(const std::wstring& programName, const std::wstring& version)
        : key_(L"Software\\Wine\\AppDefaults\\" + programName),
          value_(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + programName, L"Version") {
        EXPECT_TRUE(value_.SetString(version)) << "cannot set the Windows version";
    }

private:
    ScopedRegistryKey key_;  // made first, so that it goes last
    ScopedRegistryValue value_;
};

const wchar_t* ReportName() { return k64Bit ? L"sysprobeloader64.txt" : L"sysprobeloader32.txt"; }

// Only a 32-bit process on 64-bit Windows hands over to its sibling.
bool HandsOver() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

TEST(DependencyMode, WritesTheReportOfThisBitnessIntoTheWorkingFolder) {
    TempFolder folder;
    // One of the product's own libraries, found through the working folder.
    CopyBuilt(FIXTURE_MODULE, folder / L"clipworks32.dll");
    EXPECT_EQ(RunToExit(BuiltFile(SYSPROBE_EXE), L"-x -analyzeDependencies", folder.Path()), 0u);

    const std::string report = ReadBytes(folder / ReportName());
    EXPECT_FALSE(std::filesystem::exists(folder / (k64Bit ? L"sysprobeloader32.txt" : L"sysprobeloader64.txt")));
    EXPECT_EQ(report.rfind(k64Bit ? "deps errors x64:\r\n" : "deps errors x86:\r\n", 0), 0u) << report;
    EXPECT_EQ(Count(report, "\n"), Count(report, "\r\n")) << report;
    EXPECT_EQ(Count(report, "\r\nError module: libcef.dll, loaded: 0\r\n"), 1u) << report;
    EXPECT_EQ(report.find("clipworks32"), std::string::npos) << report;
}

TEST(DependencyMode, ProbesTheListOfTheRunningWindows) {
    // Libraries of other makers that Wine does not bring along: "CUESDK_2017.dll" and
    // Vistora's "assetkit32.dll" are only on the list for Windows 8 and later, which also
    // names "stagelogic32.dll" twice.
    struct Case { const wchar_t* version; std::size_t newerOnlyLines, stageLogicLines; };
    const Case cases[] = {
        {L"win10", 1, 2},
        {L"win7", 0, 1},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::filesystem::path program = folder / L"sysprobe_versioned.exe";
        CopyBuilt(SYSPROBE_EXE, program);
        const WineVersionOverride version(program.filename().wstring(), c.version);
        EXPECT_EQ(RunToExit(program, L"-analyzeDependencies", folder.Path()), 0u);

        const std::string report = ReadBytes(folder / ReportName());
        EXPECT_EQ(Count(report, "\nError module: CUESDK_2017.dll, loaded: 0\r\n"), c.newerOnlyLines) << report;
        EXPECT_EQ(Count(report, "\nError module: assetkit32.dll, loaded: 0\r\n"), c.newerOnlyLines) << report;
        EXPECT_EQ(Count(report, "\nError module: stagelogic32.dll, loaded: 0\r\n"), c.stageLogicLines) << report;
    }
}

TEST(HandOverMode, StartsTheSiblingByItsPathInTheProgramFolder) {
    if (!HandsOver()) GTEST_SKIP() << "only a 32-bit process on 64-bit Windows hands over";
    TempFolder folder;
    const std::filesystem::path app = folder / L"app";
    CopyBuilt(SYSPROBE_EXE, app / L"sysprobe32.exe");
    // Stands in for the sibling and records the folder it was started in.
    CopyBuilt(FIXTURE_HOST, app / L"sysprobe64.exe");
    std::filesystem::create_directories(folder / L"elsewhere");

    EXPECT_EQ(RunToExit(app / L"sysprobe32.exe", L"", folder / L"elsewhere"), 0u);
    const std::optional<HostRecord> sibling = WaitForHostRecord(app / L"sysprobe64.exe");
    ASSERT_TRUE(sibling) << "sysprobe64.exe was not started";
    const FixtureProcess ending(sibling->processId);
    EXPECT_EQ(sibling->directory, app);
    // Named by its full path, never left to a search.
    EXPECT_EQ(sibling->program, app / L"sysprobe64.exe");
}

TEST(HandOverMode, RunsInteractivelyWhenNoSiblingIsBesideIt) {
    if (!HandsOver()) GTEST_SKIP() << "only a 32-bit process on 64-bit Windows hands over";
    TempFolder folder;
    const std::filesystem::path program = folder / L"app\\sysprobe32.exe";
    CopyBuilt(SYSPROBE_EXE, program);
    // A program of the sibling's name elsewhere on the search path is no sibling.
    const std::filesystem::path decoy = folder / L"on path\\sysprobe64.exe";
    CopyBuilt(FIXTURE_HOST, decoy);
    const ScopedEnvironmentVariable path(
        L"PATH", decoy.parent_path().wstring() + L";" +
                     ScopedEnvironmentVariable::Value(L"PATH").value_or(L""));

    TestProcess product(program.wstring(), L"", folder.Path().wstring());
    ASSERT_TRUE(product.Started());
    // A 32-bit process sees no modules of 64-bit ones, and the Results text opens with that.
    const HWND results = DismissIntroduction(product, kTimeoutMs);
    ASSERT_NE(results, nullptr);
    constexpr int kResultsText = 1032, kClose = 2;
    const std::wstring notice =
        L"The 64-bit part of this tool could not be started, so the modules of 64-bit programs "
        L"(Vistora's 64-bit processes and Explorer among them) were not scanned. Reinstalling "
        L"Vistora repairs this.";
    EXPECT_EQ(WithLineFeeds(DialogItemText(results, kResultsText)).rfind(L"\n" + notice + L"\n", 0),
              0u)
        << WideToUtf8(DialogItemText(results, kResultsText));
    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    if (HasFailure()) {
        // Started in the sibling's place, the decoy records itself and waits to be ended.
        if (const std::optional<HostRecord> started = WaitForHostRecord(decoy)) {
            const FixtureProcess ending(started->processId);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(decoy.wstring() + L".record")) << "the decoy was started";
}
