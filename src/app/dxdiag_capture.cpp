#include "app/dxdiag_capture.h"

#include <commctrl.h>

#include <string>
#include <system_error>

#include "app/child_process.h"
#include "app/results_dialog.h"
#include "app/save_buffers.h"
#include "collectors/log_section.h"
#include "resource_ids.h"
#include "text/encoding.h"
#include "text/paths.h"
#include "text/text_file.h"

namespace {

constexpr UINT_PTR kPollTimer = 100;
constexpr UINT kPollPeriodMs = 100;
constexpr DWORD kFinalWaitMs = 3000;
constexpr DWORD kPathBufferSize = 1024;

// Where dxdiag writes its report during the current capture; empty when none was made.
wchar_t dxDiagTempFile[kPathBufferSize] = {};

// A dxdiag still running after a cancelled capture writes its report when it ends, after
// the capture has removed the file, so the file is removed again once it has ended.
struct RunawayDxDiag {
    UniqueHandle process;
    std::filesystem::path report;
};
RunawayDxDiag runaway;

void RemoveReport(const std::filesystem::path& report) {
    std::error_code ignored;
    std::filesystem::remove(report, ignored);
}

// Removes the report of a cancelled dxdiag that has ended within the wait.
void RemoveRunawayReport(DWORD waitMs) {
    if (!runaway.process || WaitForSingleObject(runaway.process.get(), waitMs) != WAIT_OBJECT_0) {
        return;
    }
    RemoveReport(runaway.report);
    runaway = {};
}

void PostClose(HWND progressDialog) { PostMessageW(progressDialog, WM_CLOSE, 0, 0); }

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETMARQUEE, TRUE, 0);
        SetTimer(dialog, kPollTimer, kPollPeriodMs, nullptr);
        return TRUE;
    case WM_TIMER:
        if (wParam != kPollTimer) return FALSE;
        PollChildProcess();
        // The dependency probes of the save run meanwhile, and the save waits for both.
        if (!PollDependencyProbes(CurrentSave().probes) && !HoldsChildProcess()) {
            PostClose(dialog);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_CANCEL) return FALSE;
        PostClose(dialog);
        return TRUE;
    case WM_CLOSE: {
        const HWND results = reinterpret_cast<HWND>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
        EnableWindow(results, TRUE);
        PostMessageW(results, kFinishSave, 0, 0);
        DestroyWindow(dialog);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

bool StartDxDiagCapture(HWND resultsDialog) {
    wchar_t systemFolder[kPathBufferSize] = {};
    GetSystemDirectoryW(systemFolder, kPathBufferSize);
    return StartDxDiagCapture(resultsDialog, systemFolder);
}

bool StartDxDiagCapture(HWND resultsDialog, const std::filesystem::path& systemFolder) {
    std::wostream& section = CurrentSave().dxDiag;
    RemoveRunawayReport(0);
    dxDiagTempFile[0] = L'\0';
    wchar_t tempFolder[kPathBufferSize] = {};
    // Stops at the first failure, so that no temporary file is made that nothing removes.
    if (systemFolder.empty() || !GetTempPathW(kPathBufferSize, tempFolder) || !tempFolder[0] ||
        !GetTempFileNameW(tempFolder, L"dxdiagoutput", 0, dxDiagTempFile)) {
        dxDiagTempFile[0] = L'\0';
        section << L"DxDiag no file path.\n";
        return false;
    }

    std::filesystem::path executable = systemFolder;
    AppendPath(executable, std::wstring(L"dxdiag.exe"));
    if (!FileExists(executable)) {
        section << L"DxDiag.exe not found at " << executable.wstring() << L"\n";
        return false;
    }
    // The path goes unquoted after "/t ", blanks and all: dxdiag takes the rest of the line.
    const std::string arguments = "/whql:off /t " + WideToUtf8(dxDiagTempFile);
    // A failed start has shown its box already; the dialog's first poll then closes it.
    LaunchProcess(WideToUtf8(executable.wstring()), arguments.c_str());

    // The marquee bar's class comes from the common controls.
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const HWND progress =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SAVE_PROGRESS),
                           resultsDialog, ProgressDialogProc, reinterpret_cast<LPARAM>(resultsDialog));
    // Without the dialog nothing would enable the Results dialog again or finish the
    // save; the caller finishes it at once, and the finish waits for dxdiag a while.
    if (!progress) return false;
    ShowWindow(progress, SW_SHOWNORMAL);
    EnableWindow(resultsDialog, FALSE);
    return true;
}

void FinishDxDiagCapture() {
    std::wostream& section = CurrentSave().dxDiag;
    PollChildProcess();
    if (HoldsChildProcess()) {
        // Cancelled: dxdiag gets a little longer, and is left running after that.
        if (WaitChildProcess(kFinalWaitMs)) {
            ReleaseChildProcess();
        } else {
            section << LogSectionHeading(L"DxDiag was canceled!");
            RemoveRunawayReport(0);
            runaway = {DetachChildProcess(), dxDiagTempFile};
        }
    }
    const std::filesystem::path report = dxDiagTempFile;
    dxDiagTempFile[0] = L'\0';
    if (!FileExists(report)) {
        section << L"DxDiag error, temporary file cannot be access.\n";
        return;
    }
    section << LogSectionHeading(L"DxDiag results:");
    // The report's encoding is the platform's; its bytes are taken as they are.
    WriteBytesWidened(section, ReadTextFile(report));
    RemoveReport(report);
}

void EndDxDiagCaptures() {
    // A capture under way when the tool closes: its dxdiag gets the same time as after a
    // cancel, and its file goes whether it has ended or not.
    if (dxDiagTempFile[0]) {
        if (HoldsChildProcess()) WaitChildProcess(kFinalWaitMs);
        ReleaseChildProcess();
        RemoveReport(dxDiagTempFile);
        dxDiagTempFile[0] = L'\0';
    }
    if (runaway.process) {
        RemoveRunawayReport(kFinalWaitMs);
        RemoveReport(runaway.report);
        runaway = {};
    }
}
