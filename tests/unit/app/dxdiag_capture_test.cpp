#include "app/dxdiag_capture.h"

#include <chrono>
#include <optional>

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/child_process.h"
#include "app/results_dialog.h"
#include "app/save_buffers.h"
#include "e2e/ui_driver.h"
#include "resource_ids.h"
#include "support/built_files.h"
#include "support/child_record.h"
#include "support/fixture_process.h"
#include "support/scoped_environment_variable.h"
#include "support/temp_folder.h"
#include "support/written_files.h"
#include "text/encoding.h"
#include "unit/app/process_error_box.h"

namespace {

const std::wstring kEqualsLine = std::wstring(60, L'=') + L"\n";
const std::wstring kResults = L"DxDiag results:\n" + kEqualsLine;
const std::wstring kCanceled = L"DxDiag was canceled!\n" + kEqualsLine;
const std::wstring kNoFilePath =
    L"DxDiag no file path.\nDxDiag error, temporary file cannot be access.\n";

// What the stand-in Results window saw of the save's finish.
struct Finish {
    int count = 0;
    bool enabled = false;       // the window was enabled again when the finish arrived
    bool progressGone = false;  // and the progress dialog was gone
};
Finish finish;

std::vector<HWND> ProgressDialogs() {
    return FindDialogs(GetCurrentProcessId(), L"Saving File Progress");
}

// Stands in for the Results dialog: finishes the capture as the save does.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kFinishSave) return DefWindowProcW(window, message, wParam, lParam);
    ++finish.count;
    finish.enabled = IsWindowEnabled(window);
    finish.progressGone = ProgressDialogs().empty();
    FinishDxDiagCapture();
    return 0;
}

HWND CreateOwner() {
    static const ATOM owner = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"DxDiagCaptureTestOwner";
        return RegisterClassW(&windowClass);
    }();
    return CreateWindowW(MAKEINTATOM(owner), L"Results", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Pumps this thread's messages until the save has finished or the time is up.
bool PumpUntilFinished(std::chrono::seconds timeout = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (finish.count == 0 && std::chrono::steady_clock::now() < deadline) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
    return finish.count > 0;
}

void PumpFor(std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
}

class DxDiagCapture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(tempFolder);
        std::filesystem::create_directories(systemFolder);
    }

    // One capture's surroundings: an empty save and a fresh Results window.
    void Begin() {
        ResetSaveBuffers();
        finish = Finish();
        owner = CreateOwner();
        ASSERT_NE(owner, nullptr);
    }
    void End() {
        DestroyWindow(owner);
        ReleaseChildProcess();
    }

    // A stand-in dxdiag that writes the report and runs for runMs (-1: until ended).
    void StandIn(int runMs, const std::string& report) {
        CopyBuilt(FIXTURE_CHILD, dxDiag);
        std::filesystem::remove(dxDiag.wstring() + L".record");
        WriteBytes(dxDiag.wstring() + L".script", std::to_string(runMs) + "\n" + report);
    }

    std::wstring Section() const { return CurrentSave().dxDiag.str(); }
    bool TempFolderEmpty() const { return std::filesystem::is_empty(tempFolder); }

    TempFolder folder;
    const std::filesystem::path tempFolder = folder / L"temp with blanks";
    const std::filesystem::path systemFolder = folder / L"system";
    const std::filesystem::path dxDiag = systemFolder / L"dxdiag.exe";
    // dxdiag is handed the report path unquoted, blanks and all.
    const ScopedEnvironmentVariable tmp{L"TMP", tempFolder.wstring()};
    HWND owner = nullptr;
};

}  // namespace

TEST_F(DxDiagCapture, ShowsProgressUntilDxDiagEndsOrIsCancelled) {
    struct Case {
        const char* what;
        int runMs;
        std::string report;
        bool cancel;
        std::wstring section;
        bool stillRunning;
    };
    const Case cases[] = {
        {"ends by itself", 300, std::string("Line 1\r\nCaf\xe9\0after the NUL", 26), false,
         kResults + L"Line 1\nCaf\u00e9", false},
        {"cancelled, ends within 3 s", 1500, "Full report\n", true, kResults + L"Full report\n",
         false},
        {"cancelled, runs on", -1, "Partial", true, kCanceled + kResults + L"Partial", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Begin();
        StandIn(c.runMs, c.report);
        ASSERT_TRUE(StartDxDiagCapture(owner, systemFolder));

        const auto dialogs = ProgressDialogs();
        ASSERT_EQ(dialogs.size(), 1u);
        const HWND progress = dialogs.front();
        EXPECT_TRUE(IsWindowVisible(progress));
        EXPECT_EQ(GetWindow(progress, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner));
        const std::vector<std::pair<std::wstring, std::wstring>> expectedControls = {
            {L"Button", L"Cancel"},
            {L"msctls_progress32", L""},
            {L"Static", L"Checking DirectX Diag information..."}};
        std::vector<std::pair<std::wstring, std::wstring>> controls;
        for (const auto& control : ControlTexts(progress)) {
            controls.emplace_back(control.className, control.text);
        }
        EXPECT_EQ(controls, expectedControls);
        // A plain marquee bar, without a frame of its own.
        const LONG barStyle = GetWindowLongW(GetDlgItem(progress, IDC_PROGRESS_BAR), GWL_STYLE);
        EXPECT_EQ(barStyle & (PBS_MARQUEE | WS_BORDER), PBS_MARQUEE);

        const auto record = WaitForChildRecord(dxDiag);
        ASSERT_TRUE(record);
        FixtureProcess child(record->processId);
        const std::wstring prefix = L"dxdiag.exe /whql:off /t " + tempFolder.wstring() + L"\\";
        EXPECT_EQ(record->commandLine.substr(0, prefix.size()), prefix);
        EXPECT_EQ(record->directory, systemFolder);
        if (c.cancel) PressButton(progress, IDC_CANCEL);

        ASSERT_TRUE(PumpUntilFinished());
        PumpFor(std::chrono::milliseconds(300));
        EXPECT_EQ(finish.count, 1);
        EXPECT_TRUE(finish.enabled);
        EXPECT_TRUE(finish.progressGone);
        EXPECT_EQ(Section(), c.section);
        EXPECT_TRUE(TempFolderEmpty());
        EXPECT_EQ(!child.WaitForExit(std::chrono::milliseconds(0)), c.stillRunning);
        End();
    }
}

// A dxdiag that outlives its capture writes its file when it ends; whatever is left goes
// when the tool ends, and no temporary file stays behind.
TEST_F(DxDiagCapture, LeavesNoTemporaryFileWhenTheToolEnds) {
    struct Case { const char* what; int runMs; bool cancel; };
    const Case cases[] = {
        {"closed during the capture", -1, false},
        {"cancelled, ends after the final wait", 7000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Begin();
        StandIn(c.runMs, "report");
        ASSERT_TRUE(StartDxDiagCapture(owner, systemFolder));
        const auto record = WaitForChildRecord(dxDiag);
        ASSERT_TRUE(record);
        FixtureProcess child(record->processId);
        if (c.cancel) {
            PressButton(ProgressDialogs().front(), IDC_CANCEL);
            ASSERT_TRUE(PumpUntilFinished());
            EXPECT_TRUE(child.WaitForExit(std::chrono::seconds(30)));
            EXPECT_FALSE(TempFolderEmpty()) << "the stand-in writes its report on ending";
            EXPECT_EQ(Section(), kCanceled + kResults + L"report");
        } else {
            // The Results dialog goes, and the progress dialog it owns with it.
            DestroyWindow(owner);
        }
        EndDxDiagCaptures();
        EXPECT_TRUE(TempFolderEmpty());
        End();
    }
}

TEST_F(DxDiagCapture, WritesWhyThereIsNoReport) {
    enum class Program { StandIn, None, NotAProgram };
    struct Case {
        const char* what;
        Program program;
        bool systemFolderKnown;
        bool tempFolderExists;
        bool started;
        bool processErrorBox;
        std::wstring section;
    };
    const std::wstring notFound = L"DxDiag.exe not found at " + dxDiag.wstring() + L"\n";
    const Case cases[] = {
        {"no dxdiag.exe", Program::None, true, true, false, false, notFound + kResults},
        {"dxdiag.exe cannot start", Program::NotAProgram, true, true, true, true, kResults},
        {"no temporary folder", Program::StandIn, true, false, false, false, kNoFilePath},
        {"no system folder", Program::StandIn, false, true, false, false, kNoFilePath},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Begin();
        std::filesystem::remove(dxDiag);
        if (c.program == Program::StandIn) StandIn(0, "report");
        if (c.program == Program::NotAProgram) WriteBytes(dxDiag, "not a program");
        std::optional<ScopedEnvironmentVariable> missingTmp;
        if (!c.tempFolderExists) missingTmp.emplace(L"TMP", (folder / L"no such folder").wstring());

        ProcessErrorBox box;
        const bool started = StartDxDiagCapture(owner, c.systemFolderKnown ? systemFolder : L"");
        EXPECT_EQ(box.Text().has_value(), c.processErrorBox);
        EXPECT_EQ(started, c.started);
        EXPECT_EQ(ProgressDialogs().size(), c.started ? 1u : 0u);
        // Without a capture the save finishes at once.
        if (!started) PostMessageW(owner, kFinishSave, 0, 0);
        ASSERT_TRUE(PumpUntilFinished());
        EXPECT_TRUE(finish.enabled);
        EXPECT_EQ(Section(), c.section);
        EXPECT_TRUE(TempFolderEmpty());
        End();
    }
}

// Wine's own dxdiag writes its text report and ends.
TEST_F(DxDiagCapture, RunsTheSystemDxDiagToTheEnd) {
    Begin();
    ASSERT_TRUE(StartDxDiagCapture(owner));
    ASSERT_TRUE(PumpUntilFinished(std::chrono::seconds(120)));
    End();
    const std::wstring section = Section();
    EXPECT_EQ(section.substr(0, kResults.size()), kResults);
    EXPECT_GT(section.size(), kResults.size());
    EXPECT_TRUE(TempFolderEmpty());
}
