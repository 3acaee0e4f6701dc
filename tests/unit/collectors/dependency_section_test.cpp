#include "collectors/dependency_section.h"

#include <algorithm>
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

// The section from these programs, as a save without a progress dialog waits for it.
std::wstring ProbeSection(std::vector<ProbeProgram> programs, DWORD timeoutMs = 30000) {
    DependencyProbes probes;
    StartDependencyProbes(probes, std::move(programs), timeoutMs);
    WaitForDependencyProbes(probes);
    return FinishDependencyProbes(probes);
}

ProbeProgram Sibling(const std::wstring& path) {
    return {path, L"sysprobeloader32.txt", L"deps errors x86:\n"};
}

}  // namespace

TEST(DependencyProbes, TakeTheReportOrSayWhyNot) {
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
    const std::wstring report = L"deps errors x86:\nError module: libcef.dll, loaded: 0\n";
    struct Case { std::vector<std::wstring> programs; DWORD timeoutMs; std::wstring text; };
    const Case cases[] = {
        {{DEPENDENCY_PROBE}, 30000, report},
        {{missing}, 30000, L"Could not start " + missing + L", error 2\n"},
        {{STEAM_CLIENT_FIXTURE}, 30000,
         std::wstring(STEAM_CLIENT_FIXTURE) + L" wrote no sysprobeloader32.txt\n"},
        // Never ends by itself.
        {{FIXTURE_HOST}, 2000, std::wstring(FIXTURE_HOST) + L" did not finish within 2 seconds\n"},
        {{empty}, 30000, unusable(empty)},
        {{cut}, 30000, unusable(cut)},
        {{other}, 30000, unusable(other)},
        // The next program is asked only when one gives no report.
        {{missing, cut, DEPENDENCY_PROBE, empty}, 30000,
         L"Could not start " + missing + L", error 2\n" + unusable(cut) + report},
    };
    for (const auto& c : cases) {
        std::vector<ProbeProgram> programs;
        for (const std::wstring& program : c.programs) programs.push_back(Sibling(program));
        EXPECT_EQ(ProbeSection(programs, c.timeoutMs), c.text) << c.programs.front();
        EXPECT_TRUE(ProbeFolders().empty()) << c.programs.front();
    }
}

// Polled as the progress dialog polls, a probe that does not end is ended by the save when
// it is cancelled, and no other is started.
TEST(DependencyProbes, ACancelledSaveEndsTheProbe) {
    DependencyProbes probes;
    StartDependencyProbes(probes, {Sibling(FIXTURE_HOST), Sibling(DEPENDENCY_PROBE)});
    EXPECT_TRUE(PollDependencyProbes(probes));
    EXPECT_EQ(FinishDependencyProbes(probes),
              std::wstring(FIXTURE_HOST) + L" did not finish before the save was cancelled\n");
    EXPECT_FALSE(PollDependencyProbes(probes));
    EXPECT_TRUE(ProbeFolders().empty());
}

// What a probe leaves besides its report is named: a crash dump moved beside the tool's own
// dumps, in its current directory, and anything else left where it is.
TEST(DependencyProbes, NameWhatTheProbeLeftBehind) {
    TempFolder folder;
    folder.EnterSubfolder(L"tools");
    const std::filesystem::path program = folder / L"leaving.exe";
    std::filesystem::copy_file(DEPENDENCY_PROBE, program);
    WriteBytes(program.wstring() + L".leave", "");
    const std::wstring text = ProbeSection({Sibling(program)});

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

// The product's own dependency mode beside a library of a probed name whose start-up code
// hangs, ends the process or crashes it on a thread: the save goes on, and the section says
// what became of the probe. A crash dump it left is moved into the current directory.
TEST(DependencyProbes, SurviveALibraryThatHangsEndsOrCrashesItsProcess) {
    TempFolder folder;
    folder.EnterSubfolder(L"tools");
    const std::wstring bits = sizeof(void*) == 8 ? L"64" : L"32";
    const std::filesystem::path program = folder / (L"sysprobe" + bits + L".exe");
    std::filesystem::copy_file(SYSPROBE_EXE, program);
    std::filesystem::copy_file(PROBE_HAZARD, folder / L"libcef.dll");
    const ProbeProgram probe = {program, L"sysprobeloader" + bits + L".txt",
                                L"deps errors x" + std::wstring(bits == L"64" ? L"64" : L"86") +
                                    L":\n"};
    const std::wstring timedOut = program.wstring() + L" did not finish within 5 seconds\n";
    const std::wstring noReport = program.wstring() + L" wrote no " + probe.reportName + L"\n";
    // The first line of the section: why there is no report, or the report's header.
    struct Case { const char* hazard; std::vector<std::wstring> firstLines; };
    const Case cases[] = {
        {"hang", {timedOut}},
        // Wine's ExitProcess from DllMain does not always get the process to its end.
        {"exit", {noReport, timedOut}},
        // The probe's own thread may finish the report before the faulting thread runs.
        {"crash", {probe.header, noReport, timedOut}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hazard);
        WriteBytes(folder / L"libcef.dll.hazard", c.hazard);
        const std::wstring text = ProbeSection({probe}, 5000);
        const std::wstring firstLine = text.substr(0, text.find(L'\n') + 1);
        EXPECT_NE(std::find(c.firstLines.begin(), c.firstLines.end(), firstLine),
                  c.firstLines.end())
            << text;
        // A crash dump the probe wrote in its folder is now in the current directory, named.
        for (const auto& entry : std::filesystem::directory_iterator(folder / L"tools")) {
            if (entry.path().extension() != L".mdmp") continue;
            EXPECT_NE(text.find(program.wstring() + L" left a crash dump, moved to " +
                                entry.path().wstring() + L"\n"),
                      std::wstring::npos)
                << text;
            std::filesystem::remove(entry.path());
        }
        EXPECT_TRUE(ProbeFolders().empty());
    }
}

TEST(DependencyProbePrograms, AskForThe32BitViewFirst) {
    wchar_t own[1024] = {};
    GetModuleFileNameW(nullptr, own, 1024);
    const std::vector<ProbeProgram> programs = DependencyProbePrograms();
#ifdef _WIN64
    ASSERT_EQ(programs.size(), 2u);
    EXPECT_EQ(programs[0].path, std::filesystem::path(own).parent_path() / L"sysprobe32.exe");
    EXPECT_EQ(programs[0].reportName, L"sysprobeloader32.txt");
    EXPECT_EQ(programs[0].header, L"deps errors x86:\n");
    EXPECT_EQ(programs[1].path, std::filesystem::path(own));
    EXPECT_EQ(programs[1].reportName, L"sysprobeloader64.txt");
    EXPECT_EQ(programs[1].header, L"deps errors x64:\n");
#else
    ASSERT_EQ(programs.size(), 1u);
    EXPECT_EQ(programs[0].path, std::filesystem::path(own));
    EXPECT_EQ(programs[0].reportName, L"sysprobeloader32.txt");
    EXPECT_EQ(programs[0].header, L"deps errors x86:\n");
#endif
}

#ifdef _WIN64
// The real 32-bit sibling: the 32-bit build of the same presets.
TEST(DependencyProbes, TheSiblingReportsThe32BitView) {
    if (!std::filesystem::exists(SYSPROBE32_EXE)) {
        GTEST_SKIP() << "no 32-bit build at " << std::filesystem::path(SYSPROBE32_EXE).string()
                     << ": build the win32 preset first";
    }
    if (!Runs32BitPrograms()) GTEST_SKIP() << "32-bit programs cannot run here (no wine32)";
    // A deadline, not a measure: emulated, the sibling takes minutes.
    const std::wstring text = ProbeSection({Sibling(SYSPROBE32_EXE)}, 240000);
    EXPECT_EQ(text.rfind(L"deps errors x86:\n", 0), 0u) << text;
}
#endif
