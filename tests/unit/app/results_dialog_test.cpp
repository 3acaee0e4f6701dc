#include "app/results_dialog.h"

#include <richedit.h>

#include <gtest/gtest.h>

#include "app/application_state.h"
#include "app/interactive_mode.h"
#include "knowledge/hint_expansion.h"
#include "resource_ids.h"
#include "support/line_feeds.h"

namespace {

const std::wstring kShareLine =
    L"\n*** Please share the log from the button 'Save Full Log' ***\n";
const std::wstring kNotRunning =
    L"\nPlease run Vistora before running this tool to get better results!\n";
const std::wstring kFaqBlock =
    L"\nPlease click on 'Open FAQ' below if you are experiencing any issues with Vistora.\n\n"
    L"The log you can save below contains additional information about the PC.\n\n"
    L"***Please make sure to share it with us if you experience problems.***\n";
const std::wstring kFirewallNotice =
    L"\nMissing Firewall permissions\n"
    L"If you experience issues trying to pair a mobile device, try fixing the firewall "
    L"permissions with the button 'Fix Firewall' below. Refer to the FAQ if you need more help.";
const std::wstring kSteamNotice2Months =
    L"\nSteam outdated\n"
    L"It looks like your Steam client is over 2 months old and possibly out of date. Vistora may "
    L"not work properly and may not be able to connect to Steam. If you experience such issues, "
    L"please update your Steam client or reinstall Steam to fix it.";

// Leaves the dialog's controls as the template made them.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class ResultsDialog : public ::testing::Test {
protected:
    // The RichEdit libraries stay loaded for the whole test program.
    static void SetUpTestSuite() { static const RichEditLibraries libraries; }

    void Open() {
        dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RESULTS),
                                    nullptr, ResultsDialogProc, reinterpret_cast<LPARAM>(&state));
        ASSERT_NE(dialog, nullptr);
        PumpMessages();
    }
    void TearDown() override {
        if (dialog) DestroyWindow(dialog);
        PumpMessages();
    }

    HWND RichEdit() const { return GetDlgItem(dialog, IDC_RESULTS_TEXT); }
    std::wstring Text() const {
        std::wstring text(GetWindowTextLengthW(RichEdit()) + 1, L'\0');
        text.resize(GetWindowTextW(RichEdit(), text.data(), static_cast<int>(text.size())));
        return WithLineFeeds(text);
    }
    // The dialog itself is never shown here, so ask for the control's own visibility.
    bool Visible(int id) const {
        return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
    }

    CHARFORMAT2W DefaultFormat() const {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        SendMessageW(RichEdit(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    CHARFORMAT2W FormatAt(LONG position) const {
        CHARRANGE range = {position, position + 1};
        SendMessageW(RichEdit(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        SendMessageW(RichEdit(), EM_GETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(&format));
        return format;
    }

    ApplicationState state;
    HWND dialog = nullptr;
};

void AddProcess(ApplicationState& state, const std::wstring& name) {
    state.runningProcesses[name].fileName = name;
    state.runningProcesses[name].fileNameLower = name;
}

std::wstring HintBlock(const std::wstring& key) {
    const HintEntry* entry = FindHint(key);
    return L"\n" + entry->name + L"\n" + ExpandHint(*entry) + L"\n";
}

}  // namespace

TEST_F(ResultsDialog, SummaryFollowsTheStartUpFindings) {
    struct Case {
        const char* what;
        bool running;
        bool firewallAccess;
        std::int64_t steamAgeDays;
        std::vector<std::wstring> keys;
        std::wstring text;
        bool viewMoreVisible, fixFirewallVisible;
    };
    const Case cases[] = {
        {"all fine", true, true, 0, {}, kShareLine + kFaqBlock, false, false},
        {"not running", false, true, 0, {}, kNotRunning + kShareLine + kFaqBlock, false, false},
        {"no firewall access", true, false, 0, {}, kShareLine + kFaqBlock + kFirewallNotice, false,
         true},
        {"steam 59 days", true, true, 59, {}, kShareLine + kFaqBlock, false, false},
        {"steam 60 days", true, true, 60, {}, kShareLine + kSteamNotice2Months, true, false},
        {"two keys in key order", true, true, 0, {L"rivatuner", L"fraps"},
         kShareLine + HintBlock(L"fraps") + HintBlock(L"rivatuner"), true, false},
        {"key without hints", true, true, 0, {L"no such key"},
         kShareLine + L"Internal error. The hints for this application are missing: no such key\n",
         true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        state = ApplicationState();
        AddProcess(state, c.running ? L"vistora64.exe" : L"vistoraui.exe");
        state.firewall.hasAccess = c.firewallAccess;
        state.steam.ageDays = c.steamAgeDays;
        for (const auto& key : c.keys) state.detectedApps[key].insert(L"C:\\x\\" + key + L".dll");
        Open();
        EXPECT_EQ(Text(), c.text);
        EXPECT_EQ(Visible(IDC_VIEW_MORE), c.viewMoreVisible);
        EXPECT_EQ(Visible(IDC_FIX_FIREWALL), c.fixFirewallVisible);
        EXPECT_EQ(state.steamOutdated, c.steamAgeDays >= 60);
        DestroyWindow(dialog);
        dialog = nullptr;
        PumpMessages();
    }
}

TEST_F(ResultsDialog, ColoursAndSizes) {
    state.firewall.hasAccess = true;
    state.detectedApps[L"fraps"].insert(L"C:\\fraps\\fraps64.dll");
    state.detectedApps[L"no such key"].insert(L"C:\\x\\x.dll");
    Open();

    const std::wstring text = Text();
    const LONG heading = static_cast<LONG>(text.find(L"Fraps"));
    ASSERT_NE(heading, -1);
    const CHARFORMAT2W headingFormat = FormatAt(heading);
    EXPECT_TRUE(headingFormat.dwEffects & CFE_AUTOCOLOR);

    const CHARFORMAT2W warning = FormatAt(1);  // the red "Please run Vistora" line
    EXPECT_EQ(warning.crTextColor, RGB(255, 0, 0));
    EXPECT_FALSE(warning.dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(warning.yHeight, headingFormat.yHeight);

    const LONG internalError = static_cast<LONG>(text.find(L"Internal error."));
    ASSERT_NE(internalError, -1);
    const CHARFORMAT2W error = FormatAt(internalError);
    EXPECT_EQ(error.crTextColor, RGB(255, 0, 0));
    EXPECT_FALSE(error.dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(error.yHeight, headingFormat.yHeight);

    // Body text is 0.85 of the heading's height; the text after it is back to full size.
    const LONG body = heading + 10;
    EXPECT_EQ(FormatAt(body).yHeight, static_cast<LONG>(headingFormat.yHeight * 0.85f));
    EXPECT_EQ(FormatAt(static_cast<LONG>(text.size()) - 1).yHeight, headingFormat.yHeight);
}

TEST_F(ResultsDialog, EnlargesTheDefaultFormatByFourTenths) {
    // The same template under a procedure that leaves the RichEdit alone gives the height
    // the dialog starts from.
    const HWND plain = CreateDialogParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RESULTS), nullptr,
        PlainDialogProc, 0);
    ASSERT_NE(plain, nullptr);
    CHARFORMAT2W before = {};
    before.cbSize = sizeof(before);
    SendMessageW(GetDlgItem(plain, IDC_RESULTS_TEXT), EM_GETCHARFORMAT, SCF_DEFAULT,
                 reinterpret_cast<LPARAM>(&before));
    DestroyWindow(plain);

    state.firewall.hasAccess = true;
    Open();
    ASSERT_GT(before.yHeight, 0);
    EXPECT_EQ(DefaultFormat().yHeight, static_cast<LONG>(before.yHeight * 1.4));
}

TEST_F(ResultsDialog, ViewMoreRewritesWithFoundPaths) {
    const HintEntry* fraps = FindHint(L"fraps");
    const HintEntry* rivatuner = FindHint(L"rivatuner");
    const std::wstring expected =
        L"\n" + fraps->name + L"\n" + ExpandHint(*fraps) +
        L"\n\nLoaded modules found:\nC:\\fraps\\fraps64.dll\n\n" +
        L"\n" + rivatuner->name + L"\n" + ExpandHint(*rivatuner) +
        L"\n\nLoaded modules found:\nC:\\A\\rtsshooks.dll\nC:\\RTSS\\RTSSHooks64.dll\n\n";
    // Without Vistora running the text starts with the red line, whose format the
    // rewrite must not take over.
    for (const bool running : {true, false}) {
        SCOPED_TRACE(running ? "Vistora running" : "Vistora not running");
        state = ApplicationState();
        state.firewall.hasAccess = true;
        if (running) AddProcess(state, L"vistora32.exe");
        state.detectedApps[L"rivatuner"] = {L"C:\\RTSS\\RTSSHooks64.dll", L"C:\\A\\rtsshooks.dll"};
        state.detectedApps[L"fraps"] = {L"C:\\fraps\\fraps64.dll"};
        Open();
        ASSERT_TRUE(Visible(IDC_VIEW_MORE));
        EXPECT_EQ(FormatAt(1).crTextColor == RGB(255, 0, 0), !running);

        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_VIEW_MORE, BN_CLICKED), 0);
        PumpMessages();

        const std::wstring text = Text();
        EXPECT_EQ(text, expected);
        EXPECT_FALSE(Visible(IDC_VIEW_MORE));
        // Scrolled to the end, which the two hint blocks put below the control's first page.
        EXPECT_GT(SendMessageW(RichEdit(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        POINTL last = {};
        SendMessageW(RichEdit(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last),
                     static_cast<LPARAM>(text.size() - 1));
        RECT client = {};
        GetClientRect(RichEdit(), &client);
        EXPECT_LT(last.y, client.bottom);
        // The rewrite starts from the default format, not from that of the deleted text.
        const CHARFORMAT2W heading = FormatAt(1);
        EXPECT_TRUE(heading.dwEffects & CFE_AUTOCOLOR);
        EXPECT_EQ(heading.yHeight, DefaultFormat().yHeight);
        DestroyWindow(dialog);
        dialog = nullptr;
        PumpMessages();
    }
}

TEST_F(ResultsDialog, CloseDestroysTheDialogAndEndsTheLoop) {
    state.firewall.hasAccess = true;
    Open();
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_FALSE(IsWindow(dialog));
    dialog = nullptr;
}
