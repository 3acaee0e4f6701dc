#include "app/results_dialog.h"

#include <richedit.h>
#include <shellapi.h>

#include "app/application_state.h"
#include "app/faq_address.h"
#include "app/rich_text.h"
#include "app/save_command.h"
#include "app/summary_report.h"
#include "firewall/firewall_access.h"
#include "resource_ids.h"

namespace {

ApplicationState* StateOf(HWND dialog) {
    return reinterpret_cast<ApplicationState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

void AppendPieces(HWND dialog, const std::vector<RichTextPiece>& pieces) {
    const HWND text = GetDlgItem(dialog, IDC_RESULTS_TEXT);
    for (const RichTextPiece& piece : pieces) {
        AppendRichText(text, piece.colour, piece.sizeFactor, piece.text);
    }
}

void CentreOnScreen(HWND dialog) {
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CHARFORMAT2W DefaultFormat(HWND richEdit) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    SendMessageW(richEdit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format;
}

void EnlargeDefaultFormat(HWND richEdit) {
    CHARFORMAT2W format = DefaultFormat(richEdit);
    format.dwMask |= CFM_SIZE;
    format.yHeight = static_cast<LONG>(format.yHeight * 1.4);
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

// Empties the text and drops the colours and sizes the earlier text left behind.
void ClearText(HWND richEdit) {
    CHARRANGE all = {0, -1};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    CHARFORMAT2W format = DefaultFormat(richEdit);
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

BOOL OnInitDialog(HWND dialog, ApplicationState* state) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    CentreOnScreen(dialog);
    EnlargeDefaultFormat(GetDlgItem(dialog, IDC_RESULTS_TEXT));
    if (!state->firewall.hasAccess) ShowWindow(GetDlgItem(dialog, IDC_FIX_FIREWALL), SW_SHOW);
    AppendPieces(dialog, OpeningPieces(*state));

    state->steamOutdated = IsSteamOutdated(state->steam.ageDays);
    if (state->steamOutdated || !state->detectedApps.empty()) {
        SendMessageW(dialog, kShowDetails, 0, 0);
        return TRUE;
    }
    ShowWindow(GetDlgItem(dialog, IDC_VIEW_MORE), SW_HIDE);
    AppendPieces(dialog, NothingFoundPieces());
    if (!state->firewall.hasAccess) SendMessageW(dialog, kShowDetails, 0, 0);
    return TRUE;
}

void OnShowDetails(HWND dialog, bool viewMore) {
    const ApplicationState* state = StateOf(dialog);
    if (!state) return;
    const HWND text = GetDlgItem(dialog, IDC_RESULTS_TEXT);
    if (viewMore) {
        ClearText(text);
        ShowWindow(GetDlgItem(dialog, IDC_VIEW_MORE), SW_HIDE);
    }
    AppendPieces(dialog, DetailPieces(*state, viewMore));
    if (viewMore) SendMessageW(text, WM_VSCROLL, SB_BOTTOM, 0);
}

void OpenFaq() {
    ShellExecuteW(nullptr, nullptr, FaqAddressFromLocale().c_str(), nullptr, nullptr, SW_SHOW);
}

void FixFirewall(HWND dialog) {
    ApplicationState* state = StateOf(dialog);
    if (!state) return;
    // One repair per run: the button stays disabled.
    EnableWindow(GetDlgItem(dialog, IDC_FIX_FIREWALL), FALSE);
    RepairFirewallAccess(state->firewall);
    MessageBoxW(nullptr,
                L"Please restart Vistora completely to check whether it is now permitted to access "
                L"your network.",
                L"Fix Firewall", MB_OK | MB_SYSTEMMODAL);
}

BOOL OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDC_SAVE_FULL_LOG:
        StartFullLogSave(dialog);
        return TRUE;
    case IDC_FIX_FIREWALL:
        FixFirewall(dialog);
        return TRUE;
    case IDC_OPEN_FAQ:
        OpenFaq();
        return TRUE;
    case IDC_CLOSE:
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case IDC_VIEW_MORE:
        PostMessageW(dialog, kShowDetails, 1, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, reinterpret_cast<ApplicationState*>(lParam));
    case kShowDetails:
        OnShowDetails(dialog, wParam == 1);
        return TRUE;
    case kFinishSave:
        FinishFullLogSave(StateOf(dialog));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}
