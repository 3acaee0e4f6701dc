// "Save Full Log" through the product's real windows: the shell's save dialog, the DxDiag
// capture, the written file, the Explorer window on it and the "Error" box.
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "e2e/ui_driver.h"
#include "support/built_files.h"
#include "support/temp_folder.h"
#include "text/encoding.h"
#include "text/win_handles.h"

namespace {

constexpr DWORD kTimeoutMs = 120000;
constexpr int kSaveFullLog = 1031, kClose = 2, kFileNameEdit = 0x480;

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The sample installation with the product in its "tools" folder.
struct Installation {
    Installation() {
        std::filesystem::copy(BuiltFile(INSTALLATION_DIR), folder.Path(),
                              std::filesystem::copy_options::recursive);
        CopyBuilt(SYSPROBE_EXE, Tools() / ProductName());
    }
    std::filesystem::path Tools() const { return folder / L"tools"; }
    static std::wstring ProductName() {
        return sizeof(void*) == 8 ? L"sysprobe64.exe" : L"sysprobe32.exe";
    }
    TempFolder folder;
};

// Waits for the Explorer window that the product opens on a written log, and closes it.
bool CloseExplorerWindow() {
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 100) {
        if (const HWND window = FindWindowW(L"ExplorerWClass", nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            for (int i = 0; i < 50 && IsWindow(window); ++i) Sleep(100);
            return true;
        }
        Sleep(100);
    }
    ADD_FAILURE() << "no Explorer window\n" << WideToUtf8(DescribeTopLevelWindows());
    return false;
}

// Presses "Save Full Log" and types the path into the save dialog.
void SaveAs(const TestProcess& product, HWND results, const std::filesystem::path& typed) {
    PressButton(results, kSaveFullLog);
    const HWND dialog = WaitForDialog(product, L"Save", kTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    SetWindowTextW(GetDlgItem(dialog, kFileNameEdit), typed.c_str());
    PressButton(dialog, IDOK);
}

}  // namespace

TEST(SaveFullLog, WritesTheLogEachTimeAndReportsAFailedWrite) {
    Installation installation;
    TestProcess product((installation.Tools() / Installation::ProductName()).wstring(), L"",
                        installation.Tools().wstring());
    ASSERT_TRUE(product.Started());
    const HWND introduction =
        WaitForDialog(product, L"Checking for conflicting programs", kTimeoutMs);
    ASSERT_NE(introduction, nullptr);
    PressButton(introduction, IDOK);
    const HWND results = WaitForDialog(product, L"Vistora System Diagnostics", kTimeoutMs);
    ASSERT_NE(results, nullptr);

    TempFolder saves;
    const std::string config = ReadBytes(installation.folder / L"config.json");
    const std::string profileName = "J\xC3\xB6rg";
    ASSERT_NE(config.find(profileName), std::string::npos);

    for (const wchar_t* name : {L"notes", L"second"}) {
        SaveAs(product, results, saves / name);
        ASSERT_TRUE(CloseExplorerWindow());
        const std::string log = ReadBytes(saves / (std::wstring(name) + L".txt"));
        ASSERT_FALSE(log.empty()) << WideToUtf8(name);

        // No byte-order mark, and every line feed written as CR LF.
        EXPECT_EQ(log.rfind(std::string(60, '=') + "\r\nStatus\r\n", 0), 0u);
        EXPECT_EQ(Count(log, "\n"), Count(log, "\r\n"));
        size_t previous = 0;
        for (const char* heading :
             {"\r\nDetected Applications\r\n", "\r\nRunning Processes\r\n", "\r\nConfig info\r\n",
              "\r\nWindows settings\r\n", "\r\nSteam info\r\n", "\r\nDependency error analysis\r\n",
              "\r\nFirewall status\r\n", "\r\nDesktop window state\r\n", "\r\nLog contents\r\n",
              "\r\nDxDiag results:\r\n"}) {
            const size_t at = log.find(heading, previous);
            EXPECT_NE(at, std::string::npos) << heading;
            if (at != std::string::npos) previous = at;
        }
        EXPECT_NE(log.find(profileName), std::string::npos);
        EXPECT_NE(log.find("\r\nlog.txt:\r\n"), std::string::npos);
        // Each log holds the reports of its own save only.
        EXPECT_EQ(Count(log, "deps errors"), 1u);
        EXPECT_EQ(Count(log, "DxDiag results:"), 1u);
#ifdef _WIN64
        // No 32-bit sibling beside the product: why, then the probe of the 64-bit process.
        EXPECT_NE(log.find("sysprobe32.exe, error 2\r\ndeps errors x64:\r\n"), std::string::npos);
#else
        EXPECT_NE(log.find("Dependency error analysis\r\n" + std::string(60, '=') +
                           "\r\ndeps errors x86:\r\n"),
                  std::string::npos);
#endif
    }

    // A file the product cannot replace while the test holds it open without sharing.
    const std::filesystem::path locked = saves / L"locked.txt";
    std::ofstream(locked) << "in use";
    UniqueHandle holder{
        CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
    ASSERT_TRUE(holder);
    SaveAs(product, results, locked);
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

    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(kTimeoutMs), 0u);
}
