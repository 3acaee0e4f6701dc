#include "app/child_process.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "log/log_settings.h"
#include "support/built_files.h"
#include "support/child_record.h"
#include "support/fixture_process.h"
#include "support/temp_folder.h"
#include "text/encoding.h"
#include "text/text_file.h"
#include "unit/app/process_error_box.h"

namespace {

const std::wstring kMissingParagraph = L"Missing file. Try reinstalling to fix this!\n\n";
const std::wstring kMovedParagraph =
    L"If you 'moved' the files after installation you must reset the auto start option or this "
    L"may keep showing up every time you restart the PC.\n\n";

std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    FormatMessageW(0x13FF, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::wstring text = buffer ? buffer : L"";
    LocalFree(buffer);
    return text;
}

// Polls the launcher until it has released its child, for at most 30 s.
bool PollUntilReleased() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        PollChildProcess();
        if (!HoldsChildProcess()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        folder.EnterSubfolder(L"work");
        SetLogSettings(2, true);
    }
    void TearDown() override {
        ReleaseChildProcess();
        SetLogSettings(0, false);
    }

    std::filesystem::path Child(const std::wstring& relative) const {
        const std::filesystem::path path = folder.Path() / relative;
        CopyBuilt(FIXTURE_CHILD, path);
        return path;
    }

    // Launches a child that runs until ended; the test's own handle on it ends it at last.
    FixtureProcess LaunchEndlessChild() const {
        const std::filesystem::path child = Child(L"child.exe");
        WriteTextFile(child.wstring() + L".script", "-1\n");
        const auto record = LaunchProcess(WideToUtf8(child.wstring()), nullptr)
                                ? WaitForChildRecord(child)
                                : std::nullopt;
        return FixtureProcess(record ? record->processId : 0);
    }

    TempFolder folder;
};

}  // namespace

TEST_F(Launcher, ExplainsAFailedStartInABoxAndTheLog) {
    std::filesystem::create_directories(folder / L"files");
    WriteTextFile(folder / L"files" / L"not a program.exe", "plain text\n");
    const std::wstring relativeToWork = L"relative to: " + (folder / L"work").wstring();
    struct Case {
        std::filesystem::path executable;
        std::wstring paragraphs;
        DWORD code;
        std::wstring directory;
    };
    const Case cases[] = {
        {folder / L"missing.exe", kMissingParagraph, ERROR_FILE_NOT_FOUND, relativeToWork},
        {folder / L"vistoraui.exe", kMissingParagraph + kMovedParagraph, ERROR_FILE_NOT_FOUND,
         relativeToWork},
        {folder / L"no folder" / L"vistoraui.exe", kMissingParagraph + kMovedParagraph,
         ERROR_PATH_NOT_FOUND, relativeToWork},
        // The moved-files paragraph matches the name exactly, capitals and all.
        {folder / L"VistoraUI.exe", kMissingParagraph, ERROR_FILE_NOT_FOUND, relativeToWork},
        // An existing file gives its own folder as directory and no missing-file paragraph.
        {folder / L"files" / L"not a program.exe", L"", ERROR_BAD_EXE_FORMAT,
         (folder / L"files").wstring()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.executable.wstring()));
        ProcessErrorBox box;
        EXPECT_FALSE(LaunchProcess(WideToUtf8(c.executable.wstring()), "x"));
        const std::wstring expected = c.paragraphs + L"Failed to create process: " +
                                      c.executable.wstring() + L" (Windows error \"" +
                                      SystemText(c.code) + L"\", code " + std::to_wstring(c.code) +
                                      L", Dir " + c.directory + L")\n";
        EXPECT_FALSE(SystemText(c.code).empty());
        EXPECT_EQ(box.Text().value_or(L"<no box>"), expected);
        EXPECT_FALSE(HoldsChildProcess());
        EXPECT_NE(ReadTextFile(folder / L"work" / L"log.txt").find(WideToUtf8(expected)),
                  std::string::npos);
    }
}

TEST_F(Launcher, StartsTheChildInItsFolderWithItsBareNameFirst) {
    struct Case {
        std::wstring childPath;  // below the test folder
        std::string executable;  // as passed, UTF-8; empty: the child's full path
        const char* arguments;
        std::wstring commandLine;
        std::wstring directory;  // below the test folder
    };
    const Case cases[] = {
        {L"child.exe", "", nullptr, L"child.exe ", L""},
        {L"child.exe", "", "/a \"b c\"", L"child.exe /a \"b c\"", L""},
        {L"folder with blanks \u00e9\\child.exe", "", "x", L"child.exe x", L"folder with blanks \u00e9"},
        // Relative to the current directory, with ".." made canonical.
        {L"sub\\child.exe", "..\\sub\\.\\child.exe", "", L"child.exe ", L"sub"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.childPath));
        const std::filesystem::path child = Child(c.childPath);
        std::filesystem::remove(child.wstring() + L".record");
        const std::string executable =
            c.executable.empty() ? WideToUtf8(child.wstring()) : c.executable;
        ProcessErrorBox box;
        ASSERT_TRUE(LaunchProcess(executable, c.arguments));
        EXPECT_TRUE(HoldsChildProcess());
        const auto record = WaitForChildRecord(child);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->commandLine, c.commandLine);
        EXPECT_EQ(record->directory, c.directory.empty() ? folder.Path() : folder / c.directory);
        EXPECT_TRUE(PollUntilReleased());
        EXPECT_FALSE(box.Text());
        EXPECT_NE(ReadTextFile(folder / L"work" / L"log.txt").find("Created process: " + executable + "\n"),
                  std::string::npos);
    }
}

// Only the exit callback's flag releases the child: a poll after the process ended but
// before the callback ran keeps it.
TEST_F(Launcher, ReleasesTheChildOnlyAfterItsExitCallback) {
    const FixtureProcess running = LaunchEndlessChild();
    ASSERT_TRUE(running.Started());

    ChildProcess& state = CurrentChildProcess();
    state.wait.reset();  // the callback has not run yet, and now never will by itself
    TerminateProcess(state.process.get(), 0);
    EXPECT_TRUE(WaitChildProcess(10000));
    PollChildProcess();
    EXPECT_TRUE(HoldsChildProcess());
    ChildExitCallback(&state, FALSE);
    PollChildProcess();
    EXPECT_FALSE(HoldsChildProcess());
}

TEST_F(Launcher, ReleaseForgetsARunningChildWithoutEndingIt) {
    FixtureProcess running = LaunchEndlessChild();
    ASSERT_TRUE(running.Started());
    EXPECT_FALSE(WaitChildProcess(200));
    ReleaseChildProcess();
    EXPECT_FALSE(HoldsChildProcess());
    EXPECT_FALSE(running.WaitForExit(std::chrono::milliseconds(200)));
}
