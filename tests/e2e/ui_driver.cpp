#include "e2e/ui_driver.h"

#include <gtest/gtest.h>

#include "text/encoding.h"

namespace {

constexpr DWORD kPollIntervalMs = 50;

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

}  // namespace

TestProcess::TestProcess(const std::wstring& program, const std::wstring& arguments,
                         const std::wstring& workingFolder) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start " << WideToUtf8(commandLine) << ": error "
                      << GetLastError();
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
}

TestProcess::~TestProcess() {
    if (!process_) return;
    if (!HasExited()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

bool TestProcess::HasExited() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> TestProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "process " << id_ << " still running after " << timeoutMs << " ms\n"
                      << OnScreen();
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::vector<HWND> FindDialogs(DWORD processId, const std::wstring& caption) {
    std::vector<HWND> dialogs;
    for (HWND window : TopLevelWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        // Visible only once its initialisation has filled the controls.
        if (owner == processId && IsWindowVisible(window) && ClassName(window) == L"#32770" &&
            WindowText(window) == caption) {
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
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
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
                       ClassName(window) + L"\", caption \"" + WindowText(window) + L"\"\n";
    }
    return description.empty() ? L"  (none)\n" : description;
}
