#include "app/interactive_mode.h"

#include <vector>

#include <windows.h>

#include "app/application_state.h"
#include "app/results_dialog.h"
#include "app/save_command.h"
#include "collectors/steam_info.h"
#include "detect/conflict_detection.h"
#include "firewall/firewall_access.h"
#include "locale/locale.h"
#include "resource_ids.h"
#include "text/system_library.h"
#include "text/win_handles.h"

namespace {

constexpr wchar_t kIntroductionCaption[] = L"Checking for conflicting programs";
constexpr wchar_t kIntroductionText[] =
    L"This utility will check if there are any conflicting programs running that might cause "
    L"issues with Vistora. But please keep the following in mind:\n\n"
    L" - The programs detected here only cause issues on some computers.\n\n"
    L" - If something is detected here but everything actually works fine for you, you can "
    L"ignore the warnings.\n\n"
    L" - It only checks for a few well known programs that can cause problems. Please click the "
    L"'Open FAQ' button later if you have more general issues.";

void RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Each message goes to the dialog it belongs to, so that the keyboard (Esc for
        // Cancel) works in the save's progress dialog as in the Results dialog.
        const HWND dialog = GetAncestor(message.hwnd, GA_ROOT);
        if (dialog && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

RichEditLibraries::RichEditLibraries() {
    // From the system folder only: this process runs elevated, and a copy of one of these
    // beside the tool must never be loaded.
    for (const wchar_t* name : {L"Msftedit.dll", L"Riched32.dll", L"Riched20.dll"}) {
        if (HMODULE library = LoadSystemLibrary(name)) libraries_.push_back(library);
    }
}

RichEditLibraries::~RichEditLibraries() {
    for (HMODULE library : libraries_) FreeLibrary(library);
}

bool GatherStartupFindings(ApplicationState& state) {
    ReadSteamInfo(state.steam);
    if (!DetectConflicts(state.runningProcesses, state.detectedApps)) return false;
    ReadFirewallAccess(state.firewall);
    return true;
}

int RunInteractiveMode(bool modules64Unscanned) {
    SetLocaleLanguage(0);
    // Nothing is gathered before the user has read this.
    MessageBoxW(nullptr, kIntroductionText, kIntroductionCaption,
                MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);

    ApplicationState state;
    state.modules64Unscanned = modules64Unscanned;
    const OleSession ole;
    if (!GatherStartupFindings(state)) return 0;

    const RichEditLibraries richEdit;
    const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RESULTS),
                                           nullptr, ResultsDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    // Without the dialog nothing could ever end the message loop.
    if (!dialog) return 0;
    ShowWindow(dialog, SW_SHOWNORMAL);
    RunMessageLoop();
    EndFullLogSaves();
    return 0;
}
