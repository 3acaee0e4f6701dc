// "Save Full Log" through the product's real windows: the shell's save dialog, the DxDiag
// capture with its progress dialog, the written file, the Explorer window on it and the
// "Error" box.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include <gtest/gtest.h>

#include "e2e/ui_driver.h"
#include "support/built_files.h"
#include "support/expected_text.h"
#include "support/interactive_run.h"
#include "support/sample_installation.h"
#include "support/temp_folder.h"
#include "support/wine_32bit.h"
#include "support/written_files.h"
#include "text/encoding.h"
#include "text/system_library.h"
#include "text/win_handles.h"

namespace {

constexpr DWORD kTimeoutMs = 120000;
constexpr int kSaveFullLog = 1031, kViewMore = 1037, kClose = 2, kFileNameEdit = 0x480;
const std::string kEquals(60, '=');

// Wine's dxdiag ends within a fraction of a second, too soon to look at the progress dialog.
// The product's children therefore join a job, whose completion port tells of each new
// process as it is made, and the dxdiag among them is suspended until released.
class DxDiagHold {
public:
    explicit DxDiagHold(DWORD productId)
        : job_(CreateJobObjectW(nullptr, nullptr)),
          port_(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {
        JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {job_.get(), port_.get()};
        const UniqueHandle product{
            OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, productId)};
        EXPECT_TRUE(SetInformationJobObject(job_.get(),
                                            JobObjectAssociateCompletionPortInformation,
                                            &association, sizeof association) &&
                    AssignProcessToJobObject(job_.get(), product.get()));
    }

    // Waits until the product starts dxdiag and suspends it; false when it does not.
    bool Hold() {
        const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
        for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
            DWORD message = 0;
            ULONG_PTR key = 0;
            OVERLAPPED* processId = nullptr;
            if (!GetQueuedCompletionStatus(port_.get(), &message, &key, &processId,
                                           static_cast<DWORD>(deadline - now))) {
                break;
            }
            if (message != JOB_OBJECT_MSG_NEW_PROCESS) continue;
            UniqueHandle process{OpenProcess(
                PROCESS_SUSPEND_RESUME | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(processId)))};
            if (!process || _wcsicmp(FileName(process.get()).c_str(), L"dxdiag.exe") != 0) {
                continue;
            }
            if (Call("NtSuspendProcess", process.get()) != 0) break;
            dxDiag_ = std::move(process);
            return true;
        }
        ADD_FAILURE() << "the product started no dxdiag";
        return false;
    }

    void Release() {
        if (dxDiag_) Call("NtResumeProcess", dxDiag_.get());
        dxDiag_.reset();
    }
    ~DxDiagHold() { Release(); }

private:
    // Known only once the new process has mapped its image, a moment after it is made;
    // empty when it ends first. Asked again at once rather than after a sleep: dxdiag runs
    // for a fraction of a second, and a wake-up late by that much on a busy machine lets
    // it end before it is held.
    static std::wstring FileName(HANDLE process) {
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (GetTickCount64() < deadline) {
            wchar_t image[MAX_PATH] = {};
            DWORD length = MAX_PATH;
            if (QueryFullProcessImageNameW(process, 0, image, &length)) {
                return std::filesystem::path(image).filename().wstring();
            }
            if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) break;
            SwitchToThread();
        }
        return {};
    }

    static LONG Call(const char* name, HANDLE process) {
        using ProcessCall = LONG(WINAPI*)(HANDLE);
        const auto call = FindExport<ProcessCall>(GetModuleHandleW(L"ntdll.dll"), name);
        return call ? call(process) : -1;
    }

    UniqueHandle job_;
    UniqueHandle port_;
    UniqueHandle dxDiag_;
};

// Presses "Save Full Log" and gives the save dialog.
HWND OpenSaveDialog(const TestProcess& product, HWND results) {
    PressButton(results, kSaveFullLog);
    return WaitForDialog(product, L"Save", kTimeoutMs);
}

void TypeAndConfirm(HWND dialog, const std::filesystem::path& typed) {
    SetWindowTextW(GetDlgItem(dialog, kFileNameEdit), typed.c_str());
    PressButton(dialog, IDOK);
}

// A second "Save Full Log" while the save dialog is open opens no second dialog. "View
// more", pressed after it, shows when the product has handled the press.
void ExpectASecondSaveIgnored(const TestProcess& product, HWND results) {
    PressButton(results, kSaveFullLog);
    PressButton(results, kViewMore);
    const HWND viewMore = GetDlgItem(results, kViewMore);
    for (DWORD waited = 0; waited < kTimeoutMs && IsWindowVisible(viewMore); waited += 50) {
        Sleep(50);
    }
    EXPECT_FALSE(IsWindowVisible(viewMore));
    // A dialog of a second save would be up by now; give it a moment all the same.
    for (int i = 0; i < 20; ++i) {
        const size_t open = FindDialogs(product.Id(), L"Save").size();
        if (open != 1) {
            ADD_FAILURE() << open << " save dialogs\n" << WideToUtf8(DescribeTopLevelWindows());
            return;
        }
        Sleep(100);
    }
}

// The progress dialog with its texts over the disabled Results dialog until dxdiag ends;
// the Results dialog is enabled again once the dialog has gone.
void ExpectTheProgressDialog(const TestProcess& product, HWND results, DxDiagHold& dxDiag) {
    ASSERT_TRUE(dxDiag.Hold());
    const HWND progress = WaitForDialog(product, L"Saving File Progress", kTimeoutMs);
    ASSERT_NE(progress, nullptr);
    std::vector<std::pair<std::wstring, std::wstring>> controls;
    for (const auto& control : ControlTexts(progress)) {
        controls.emplace_back(control.className, control.text);
    }
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"Button", L"Cancel"},
        {L"msctls_progress32", L""},
        {L"Static", L"Checking DirectX Diag information..."}};
    EXPECT_EQ(controls, expected);
    EXPECT_FALSE(IsWindowEnabled(results));
    dxDiag.Release();
    for (DWORD waited = 0; waited < kTimeoutMs && IsWindow(progress); waited += 50) Sleep(50);
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_TRUE(IsWindowEnabled(results));
}

}  // namespace

TEST(SaveFullLog, WritesTheLogEachTimeAndReportsAFailedWrite) {
    Installation installation;
    TestProcess product((installation.Tools() / Installation::ProductName()).wstring(), L"",
                        installation.Tools().wstring());
    ASSERT_TRUE(product.Started());
    DxDiagHold dxDiag(product.Id());
    const HWND results = DismissIntroduction(product, kTimeoutMs);
    ASSERT_NE(results, nullptr);

    TempFolder saves;
    const std::string config = ReadBytes(installation.folder / L"config.json");
    const std::string profileName = "J\xC3\xB6rg";
    ASSERT_NE(config.find(profileName), std::string::npos);

    for (const wchar_t* name : {L"notes", L"second"}) {
        SCOPED_TRACE(WideToUtf8(name));
        const bool first = name == std::wstring(L"notes");
#ifdef _WIN64
        // The second save has the 32-bit sibling beside the product, as installed.
        const bool sibling = !first && std::filesystem::exists(BuiltFile(SYSPROBE32_EXE)) &&
                             Runs32BitPrograms() && !Runs32BitProgramsEmulated();
        if (sibling) CopyBuilt(SYSPROBE32_EXE, installation.Tools() / L"sysprobe32.exe");
        if (!first && !sibling) {
            std::cout << "note: no 32-bit build that runs here at full speed, so no save with the "
                         "sibling\n";
        }
#endif
        const HWND dialog = OpenSaveDialog(product, results);
        ASSERT_NE(dialog, nullptr);
        if (first) ExpectASecondSaveIgnored(product, results);
        TypeAndConfirm(dialog, saves / name);
        ExpectTheProgressDialog(product, results, dxDiag);
        ASSERT_EQ(CloseExplorerWindows(kTimeoutMs), 1) << WideToUtf8(DescribeTopLevelWindows());
        const std::string log = ReadBytes(saves / (std::wstring(name) + L".txt"));
        ASSERT_FALSE(log.empty());

        // No byte-order mark, and every line feed written as CR LF.
        EXPECT_EQ(log.rfind(kEquals + "\r\nStatus\r\n", 0), 0u);
        EXPECT_EQ(Count(log, "\n"), Count(log, "\r\n"));
        size_t previous = 0;
        for (const char* heading :
             {"\r\nDetected Applications\r\n", "\r\nRunning Processes\r\n", "\r\nConfig info\r\n",
              "\r\nWindows settings\r\n", "\r\nSteam info\r\n", "\r\nDependency error analysis\r\n",
              "\r\nFirewall status\r\n", "\r\nDesktop window state\r\n", "\r\nLog contents\r\n",
              "\r\nbin\\debug.log:\r\n"}) {
            const size_t at = log.find(heading, previous);
            EXPECT_NE(at, std::string::npos) << heading;
            if (at != std::string::npos) previous = at;
        }
        // The report comes right after the last log file, with no failure line before it.
        const std::string dxDiagStart =
            std::string(60, '-') + "\r\n\r\n\r\nDxDiag results:\r\n" + kEquals + "\r\n";
        const size_t report = log.find(dxDiagStart, previous);
        ASSERT_NE(report, std::string::npos) << log.substr(previous);
        EXPECT_NE(log.find_first_not_of("\r\n", report + dxDiagStart.size()), std::string::npos);
        EXPECT_NE(log.find(profileName), std::string::npos);
        EXPECT_NE(log.find("\r\nlog.txt:\r\n"), std::string::npos);
        // Each log holds the reports of its own save only.
        EXPECT_EQ(Count(log, "deps errors"), 1u);
        EXPECT_EQ(Count(log, "DxDiag results:"), 1u);
        const std::string x86Report =
            "Dependency error analysis\r\n" + kEquals + "\r\ndeps errors x86:\r\n";
#ifdef _WIN64
        if (sibling) {
            EXPECT_NE(log.find(x86Report), std::string::npos);
        } else {
            // No 32-bit sibling beside the product: why, then the probe of the 64-bit process.
            EXPECT_NE(log.find("sysprobe32.exe, error 2\r\ndeps errors x64:\r\n"),
                      std::string::npos);
        }
#else
        EXPECT_NE(log.find(x86Report), std::string::npos);
#endif
    }

    // A file the product cannot replace while the test holds it open without sharing.
    const std::filesystem::path locked = saves / L"locked.txt";
    std::ofstream(locked) << "in use";
    UniqueHandle holder{
        CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(holder);
    const HWND dialog = OpenSaveDialog(product, results);
    ASSERT_NE(dialog, nullptr);
    TypeAndConfirm(dialog, locked);
    // The save dialog asks first whether to replace the file.
    HWND confirm = nullptr;
    for (DWORD waited = 0; waited < kTimeoutMs && !confirm; waited += 100) {
        for (HWND box : FindDialogs(product.Id(), L"Save")) {
            if (GetDlgItem(box, kMessageBoxTextId)) confirm = box;
        }
        if (!confirm) Sleep(100);
    }
    ASSERT_NE(confirm, nullptr) << WideToUtf8(DescribeTopLevelWindows());
    PressButton(confirm, IDYES);
    const HWND error = WaitForDialog(product, L"Error", kTimeoutMs);
    holder.reset();
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(DialogItemText(error, kMessageBoxTextId),
              L"Failed writing text file to: " + locked.wstring());
    PressButton(error, IDOK);
    // The earlier file as it was, and nothing half-written beside it.
    std::ifstream earlier(locked, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "in use");
    for (const auto& entry : std::filesystem::directory_iterator(saves.Path())) {
        EXPECT_EQ(entry.path().filename().wstring().find(L"locked.txt."), std::wstring::npos)
            << entry.path().string();
    }

    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(kTimeoutMs), 0u);
}
