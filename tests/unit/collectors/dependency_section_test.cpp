#include "collectors/dependency_section.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "support/wine_32bit.h"
#include "support/written_files.h"

namespace {

// The probe folders of this process; none may be left behind.
std::vector<std::filesystem::path> ProbeFolders() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    const std::wstring prefix =
        L"sysprobe-deps-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(base)) {
        if (entry.path().filename().wstring().rfind(prefix, 0) == 0) {
            folders.push_back(entry.path());
        }
    }
    return folders;
}

}  // namespace

TEST(RunDependencyProbeProgram, TakesTheReportOrSaysWhyNot) {
    const std::wstring missing = std::wstring(DEPENDENCY_PROBE) + L".missing.exe";
    // Copies of the stand-in that write a damaged report: empty, cut short, or another text.
    TempFolder folder;
    const auto damaged = [&](const std::wstring& name, const std::string& report) {
        const std::filesystem::path copy = folder / name;
        std::filesystem::copy_file(DEPENDENCY_PROBE, copy);
        WriteBytes(copy.wstring() + L".report", report);
        return copy.wstring();
    };
    const std::wstring empty = damaged(L"empty.exe", ""),
                       cut = damaged(L"cut.exe", "deps errors x8"),
                       other = damaged(L"other.exe", "Error module: libcef.dll, loaded: 0\n");
    const auto unusable = [](const std::wstring& program) {
        return program + L" wrote an unusable sysprobeloader32.txt\n";
    };
    struct Case { std::wstring program; DWORD timeoutMs; bool probed; std::wstring text; };
    const Case cases[] = {
        {DEPENDENCY_PROBE, 30000, true, L"deps errors x86:\nError module: libcef.dll, loaded: 0\n"},
        {missing, 30000, false, L"Could not start " + missing + L", error 2\n"},
        {STEAM_CLIENT_FIXTURE, 30000, false,
         std::wstring(STEAM_CLIENT_FIXTURE) + L" wrote no sysprobeloader32.txt\n"},
        // Never ends by itself.
        {FIXTURE_HOST, 2000, false,
         std::wstring(FIXTURE_HOST) + L" did not finish within 2 seconds\n"},
        {empty, 30000, false, unusable(empty)},
        {cut, 30000, false, unusable(cut)},
        {other, 30000, false, unusable(other)},
    };
    for (const auto& c : cases) {
        std::wstring text;
        EXPECT_EQ(RunDependencyProbeProgram(c.program, c.timeoutMs, text), c.probed) << c.program;
        EXPECT_EQ(text, c.text);
        EXPECT_TRUE(ProbeFolders().empty()) << c.program;
    }
}

// What a probe leaves besides its report is named: a crash dump moved beside the tool's own
// dumps, in its current directory, and anything else left where it is.
TEST(RunDependencyProbeProgram, NamesWhatTheProbeLeftBehind) {
    TempFolder folder;
    folder.EnterSubfolder(L"tools");
    const std::filesystem::path program = folder / L"leaving.exe";
    std::filesystem::copy_file(DEPENDENCY_PROBE, program);
    WriteBytes(program.wstring() + L".leave", "");
    std::wstring text;
    EXPECT_TRUE(RunDependencyProbeProgram(program, 30000, text)) << text;

    const std::wstring dump = L"sysprobe32_2_8_42V_2026-12-11T10_00_00Z.mdmp";
    const std::filesystem::path movedDump = folder / L"tools" / dump;
    EXPECT_TRUE(std::filesystem::exists(movedDump));
    const std::vector<std::filesystem::path> left = ProbeFolders();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(text, L"deps errors x86:\nError module: libcef.dll, loaded: 0\n" +
                        program.wstring() + L" left a crash dump, moved to " +
                        movedDump.wstring() + L"\nLeft in place in " + left[0].wstring() +
                        L": other.txt\n");
    std::filesystem::remove_all(left[0]);
}

TEST(WriteDependencySection, ReportsWhatThisMachineLoads) {
    std::wostringstream report;
    WriteDependencySection(report);
#ifdef _WIN64
    // No 32-bit sibling beside the test program: the reason, then the probe of this process.
    EXPECT_EQ(report.str().rfind(L"Could not start ", 0), 0u) << report.str();
    EXPECT_NE(report.str().find(L"sysprobe32.exe, error 2\ndeps errors x64:\n"),
              std::wstring::npos);
#else
    EXPECT_EQ(report.str().rfind(L"deps errors x86:\n", 0), 0u) << report.str();
#endif
}

#ifdef _WIN64
// The real 32-bit sibling: the 32-bit build of the same presets.
TEST(RunDependencyProbeProgram, TheSiblingReportsThe32BitView) {
    if (!std::filesystem::exists(SYSPROBE32_EXE)) {
        GTEST_SKIP() << "no 32-bit build at " << std::filesystem::path(SYSPROBE32_EXE).string()
                     << ": build the win32 preset first";
    }
    if (!Runs32BitPrograms()) GTEST_SKIP() << "32-bit programs cannot run here (no wine32)";
    std::wstring text;
    EXPECT_TRUE(RunDependencyProbeProgram(SYSPROBE32_EXE, 30000, text)) << text;
    EXPECT_EQ(text.rfind(L"deps errors x86:\n", 0), 0u) << text;
}
#endif
