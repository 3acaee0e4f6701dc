#include "e2e/ui_driver.h"

#include <algorithm>
#include <chrono>

#include <gtest/gtest.h>

#include "text/encoding.h"

namespace {

constexpr DWORD kPollIntervalMs = 50;
// How long a window may take to answer a text request; one that does not pump messages
// would otherwise block the driver for good.
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr wchar_t kNotResponding[] = L"(not responding)";

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string OnScreen() {
    return "Top-level windows on screen:\n" + WideToUtf8(DescribeTopLevelWindows());
}

// The caption the system keeps for the window; unlike WM_GETTEXT it asks no thread, so a
// hung window cannot block it.
std::wstring Caption(HWND window) {
    wchar_t caption[512] = {};
    InternalGetWindowText(window, caption, 512);
    return caption;
}

// Sends a text message with a deadline; false, with a recorded failure, when the window
// does not answer in time.
bool AskForText(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer) {
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            kAnswerTimeoutMs, &answer)) {
        return true;
    }
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    ADD_FAILURE() << "window \"" << WideToUtf8(Caption(window)) << "\" of process " << owner
                  << " does not answer a text request within " << kAnswerTimeoutMs << " ms\n"
                  << OnScreen();
    return false;
}

}  // namespace

TestProcess::TestProcess(const std::wstring& program, const std::wstring& arguments,
                         const std::wstring& workingFolder)
    : process_(program, arguments, workingFolder) {
    if (!process_.Started()) {
        ADD_FAILURE() << "cannot start " << WideToUtf8(program) << " " << WideToUtf8(arguments)
                      << ": error " << GetLastError();
    }
}

bool TestProcess::HasExited() const {
    return process_.WaitForExit(std::chrono::milliseconds(0)).has_value();
}

std::optional<DWORD> TestProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_.Started()) return std::nullopt;
    const std::optional<DWORD> code = process_.WaitForExit(std::chrono::milliseconds(timeoutMs));
    if (!code) {
        ADD_FAILURE() << "process " << Id() << " still running after " << timeoutMs << " ms\n"
                      << OnScreen();
    }
    return code;
}

std::vector<HWND> FindDialogs(DWORD processId, const std::wstring& caption) {
    std::vector<HWND> dialogs;
    for (HWND window : TopLevelWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        // Visible only once its initialisation has filled the controls.
        if (owner == processId && IsWindowVisible(window) && ClassName(window) == L"#32770" &&
            Caption(window) == caption) {
            dialogs.push_back(window);
        }
    }
    return dialogs;
}

HWND WaitForDialog(const TestProcess& process, const std::wstring& caption, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const std::vector<HWND> dialogs = FindDialogs(process.Id(), caption);
        if (!dialogs.empty()) {
            // A message box has its caption before its text. A sent message is handled only
            // once its thread pumps messages again, that is after the dialog's set-up.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(dialogs.front(), WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
            return dialogs.front();
        }
        if (process.HasExited()) {
            ADD_FAILURE() << "process " << process.Id() << " ended without showing a dialog \""
                          << WideToUtf8(caption) << "\"";
            return nullptr;
        }
        if (GetTickCount64() >= deadline) break;
        Sleep(kPollIntervalMs);
    }
    ADD_FAILURE() << "no dialog \"" << WideToUtf8(caption) << "\" of process " << process.Id()
                  << " within " << timeoutMs << " ms\n"
                  << OnScreen();
    return nullptr;
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!AskForText(window, WM_GETTEXTLENGTH, 0, 0, length)) return kNotResponding;
    if (length == 0) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!AskForText(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                    copied)) {
        return kNotResponding;
    }
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::wstring DialogItemText(HWND dialog, int itemId) {
    HWND item = GetDlgItem(dialog, itemId);
    return item ? WindowText(item) : std::wstring();
}

std::vector<ControlText> ControlTexts(HWND dialog) {
    std::vector<ControlText> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back({GetDlgCtrlID(child), ClassName(child), WindowText(child)});
    }
    return controls;
}

void PressButton(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::wstring DescribeTopLevelWindows() {
    std::wstring description;
    for (HWND window : TopLevelWindows()) {
        if (!IsWindowVisible(window)) continue;
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        description += L"  process " + std::to_wstring(owner) + L", class \"" +
                       ClassName(window) + L"\", caption \"" + Caption(window) + L"\"\n";
    }
    return description.empty() ? L"  (none)\n" : description;
}
