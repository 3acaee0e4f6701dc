#pragma once
// Drives real programs and their windows from a test: starts a program, finds its dialogs
// and message boxes, reads their texts, presses their buttons and waits for the program to
// end. Every wait has a deadline; a wait that runs out records a test failure that lists
// the top-level windows on screen, and returns an empty result.
//
//   TestProcess product(L"Z:\\build\\sysprobe64.exe", L"", folder);
//   HWND box = WaitForDialog(product, L"Error", 30000);
//   std::wstring text = DialogItemText(box, kMessageBoxTextId);
//   PressButton(box, IDOK);
//   EXPECT_TRUE(product.WaitForExit(30000));
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "support/fixture_process.h"
#include "text/win_handles.h"

// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

// A fixture process whose failures to start or to end are test failures. Still running
// when its owner goes away, it is terminated.
class TestProcess {
public:
    // Starts program with the command line "program" arguments, in workingFolder. A start
    // that fails records a test failure; Started() then is false.
    TestProcess(const std::wstring& program, const std::wstring& arguments,
                const std::wstring& workingFolder);

    bool Started() const { return process_.Started(); }
    DWORD Id() const { return process_.Id(); }
    bool HasExited() const;

    // Waits until the process ends and gives its exit code; on timeout records a failure
    // (with the windows on screen) and gives nothing.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

private:
    FixtureProcess process_;
};

// Visible top-level windows of class "#32770" (dialogs and message boxes) of the process
// whose caption is the given one, in z-order.
std::vector<HWND> FindDialogs(DWORD processId, const std::wstring& caption);

// Polls for such a dialog until the deadline. Null, with a recorded failure, on timeout
// or when the process ends first.
HWND WaitForDialog(const TestProcess& process, const std::wstring& caption, DWORD timeoutMs);

// Texts read with WM_GETTEXTLENGTH and WM_GETTEXT, which work across processes. A window
// that does not answer within a few seconds gives "(not responding)" and a recorded failure.
std::wstring WindowText(HWND window);
std::wstring DialogItemText(HWND dialog, int itemId);

struct ControlText {
    int id;
    std::wstring className;
    std::wstring text;
};
// Every child control of the dialog with its text, in z-order.
std::vector<ControlText> ControlTexts(HWND dialog);

// Presses the dialog's button as a click would: posts WM_COMMAND with BN_CLICKED, so a
// button that opens a modal window does not block the test.
void PressButton(HWND dialog, int buttonId);

// One line per visible top-level window: process id, class, caption.
std::wstring DescribeTopLevelWindows();
