// The save dialog and the writing of the full log, driven from the test's own thread while
// another thread of the test shows them, as the Results dialog would.
#include <thread>

#include <gtest/gtest.h>

#include "app/full_log_file.h"
#include "app/save_buffers.h"
#include "app/save_command.h"
#include "app/save_file_dialog.h"
#include "e2e/ui_driver.h"
#include "support/temp_folder.h"
#include "support/written_files.h"
#include "text/encoding.h"

namespace {

constexpr int kFileNameEdit = 0x480;
constexpr DWORD kTimeoutMs = 30000;

// Polls for a dialog of this process; a test that does not find it fails with the screen.
HWND WaitForOwnDialog(const std::wstring& caption) {
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 50) {
        const std::vector<HWND> dialogs = FindDialogs(GetCurrentProcessId(), caption);
        if (!dialogs.empty()) return dialogs.front();
        Sleep(50);
    }
    ADD_FAILURE() << "no dialog \"" << WideToUtf8(caption) << "\"\n"
                  << WideToUtf8(DescribeTopLevelWindows());
    return nullptr;
}

}  // namespace

TEST(WithTextExtension, MakesTheExtensionExactlyTxt) {
    struct Case { std::wstring chosen, saved; };
    const Case cases[] = {
        {L"C:\\logs\\notes", L"C:\\logs\\notes.txt"},
        {L"C:\\logs\\notes.TXT", L"C:\\logs\\notes.txt"},
        {L"C:\\logs\\notes.log", L"C:\\logs\\notes.txt"},
        {L"C:\\logs\\notes.txt", L"C:\\logs\\notes.txt"},
        {L"C:\\logs.d\\a.b.Txt", L"C:\\logs.d\\a.b.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithTextExtension(c.chosen), c.saved) << WideToUtf8(c.chosen);
    }
}

TEST(ShowSaveDialog, GivesThePathTypedIntoTheDialog) {
    TempFolder folder;
    // Wine's dialog adds the file type's ".txt" itself to a name with another extension.
    struct Case { std::wstring typed; std::wstring chosen; };
    const Case cases[] = {
        {L"notes", L"notes.txt"},
        {L"notes.txt", L"notes.txt"},
    };
    for (const auto& c : cases) {
        bool confirmed = false;
        std::thread asker([&] { confirmed = ShowSaveDialog(L"info.txt"); });
        const HWND dialog = WaitForOwnDialog(L"Save");
        if (dialog) {
            EXPECT_EQ(DialogItemText(dialog, kFileNameEdit), L"info.txt");
            SetWindowTextW(GetDlgItem(dialog, kFileNameEdit), (folder / c.typed).c_str());
            PressButton(dialog, IDOK);
        }
        asker.join();
        EXPECT_TRUE(confirmed) << WideToUtf8(c.typed);
        EXPECT_EQ(CurrentSave().savePath, folder / c.chosen) << WideToUtf8(c.typed);
    }
}

TEST(ShowSaveDialog, CancelKeepsThePath) {
    CurrentSave().savePath = L"C:\\previous.txt";
    bool confirmed = true;
    std::thread asker([&] { confirmed = ShowSaveDialog(L"info.txt"); });
    if (const HWND dialog = WaitForOwnDialog(L"Save")) PressButton(dialog, IDCANCEL);
    asker.join();
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(CurrentSave().savePath, L"C:\\previous.txt");
}

// A cancelled choice ends the save, so that the next command asks again.
TEST(StartFullLogSave, ACancelledChoiceEndsTheSave) {
    for (int command = 0; command < 2; ++command) {
        std::thread asker([] { StartFullLogSave(nullptr); });
        if (const HWND dialog = WaitForOwnDialog(L"Save")) PressButton(dialog, IDCANCEL);
        asker.join();
    }
}

TEST(WriteFullLog, WritesUtf8WithCrLfAndShowsTheFile) {
    TempFolder folder;
    folder.EnterSubfolder(L"tools");
    ResetSaveBuffers();
    CurrentSave().savePath = folder / L"full.txt";
    CurrentSave().dependencies << L"deps errors x86:\n";
    CurrentSave().dxDiag << L"DxDiag results:\n";
    WriteFullLog(ApplicationState{});

    const std::string bytes = ReadBytes(folder / L"full.txt");
    EXPECT_EQ(bytes.rfind(std::string(60, '=') + "\r\nStatus\r\n", 0), 0u) << bytes.substr(0, 80);
    EXPECT_NE(bytes.find("Dependency error analysis\r\n" + std::string(60, '=') +
                         "\r\ndeps errors x86:\r\n\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("log.txt: missing\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 25), "\r\n\r\nDxDiag results:\r\n\r\n\r\n");
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos) << "every line feed as CR LF";
    EXPECT_EQ(CloseExplorerWindows(kTimeoutMs), 1);
}

TEST(WriteFullLog, ReportsAPathThatCannotBeWritten) {
    TempFolder folder;
    // A folder holds the name, so no file can be written there.
    std::filesystem::create_directory(folder / L"taken.txt");
    ResetSaveBuffers();
    CurrentSave().savePath = folder / L"taken.txt";
    std::thread writer([] { WriteFullLog(ApplicationState{}); });
    if (const HWND box = WaitForOwnDialog(L"Error")) {
        EXPECT_EQ(DialogItemText(box, kMessageBoxTextId),
                  L"Failed writing text file to: " + (folder / L"taken.txt").wstring());
        PressButton(box, IDOK);
    }
    writer.join();
    EXPECT_EQ(CloseExplorerWindows(2000), 0);
}
