// Logs saved by the real tool under Wine, read by sysprobe-read: every condition planted on
// the machine comes back as its finding, with the log line that shows it.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/ui_driver.h"
#include "support/built_files.h"
#include "support/fixture_hosts.h"
#include "support/interactive_run.h"
#include "support/sample_installation.h"
#include "support/scoped_environment_variable.h"
#include "support/steam_registry.h"
#include "support/temp_folder.h"
#include "support/written_files.h"
#include "text/encoding.h"
#include "text/json.h"
#include "text/win_handles.h"

namespace {

constexpr DWORD kTimeoutMs = 120000;
constexpr int kSaveFullLog = 1031, kClose = 2, kFileNameEdit = 0x480;
constexpr int kSteamDaysOld = 75;

// Saves the full log through the product's windows into the folder; empty on failure.
std::filesystem::path SaveFullLog(const Installation& installation, const TempFolder& saves) {
    TestProcess product((installation.Tools() / Installation::ProductName()).wstring(), L"",
                        installation.Tools().wstring());
    const HWND results = DismissIntroduction(product, kTimeoutMs);
    if (!results) return {};
    PressButton(results, kSaveFullLog);
    const HWND dialog = WaitForDialog(product, L"Save", kTimeoutMs);
    if (!dialog) return {};
    const std::filesystem::path log = saves / L"info.txt";
    SetWindowTextW(GetDlgItem(dialog, kFileNameEdit), log.c_str());
    PressButton(dialog, IDOK);
    // The Explorer window on the file opens once the file is written.
    EXPECT_EQ(CloseExplorerWindows(kTimeoutMs), 1) << WideToUtf8(DescribeTopLevelWindows());
    PressButton(results, kClose);
    EXPECT_EQ(product.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    return std::filesystem::exists(log) ? log : std::filesystem::path();
}

struct ReaderRun {
    DWORD exitCode = ~0u;
    std::string output;
};

// Runs sysprobe-read with the arguments, its output into a file, within the deadline.
ReaderRun RunReader(const std::wstring& arguments) {
    TempFolder folder;
    const std::filesystem::path outputPath = folder / L"output.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    ReaderRun run;
    {
        const UniqueHandle output{CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                              &inherit, CREATE_ALWAYS, 0, nullptr)};
        const std::filesystem::path reader = BuiltFile(SYSPROBE_READ_EXE);
        std::wstring commandLine = L"\"" + reader.wstring() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
        PROCESS_INFORMATION started = {};
        if (!CreateProcessW(reader.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &started)) {
            ADD_FAILURE() << "sysprobe-read did not start";
            return run;
        }
        const UniqueHandle process{started.hProcess};
        const UniqueHandle thread{started.hThread};
        if (WaitForSingleObject(process.get(), kTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(process.get(), 1);
            ADD_FAILURE() << "sysprobe-read did not finish";
        }
        GetExitCodeProcess(process.get(), &run.exitCode);
    }
    run.output = ReadBytes(outputPath);
    return run;
}

// The findings of the reader's JSON by id.
std::map<std::string, Json::Value> ReadFindings(const std::filesystem::path& log,
                                                Json::Value& root) {
    const ReaderRun run = RunReader(L"--json \"" + log.wstring() + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::string errors;
    EXPECT_TRUE(ParseJson(run.output, root, errors)) << errors << run.output;
    std::map<std::string, Json::Value> findings;
    for (const Json::Value& finding : root["findings"])
        findings[finding["id"].asString()] = finding;
    return findings;
}

std::vector<std::string> LogLines(const std::filesystem::path& log) {
    std::vector<std::string> lines;
    std::istringstream text(ReadBytes(log));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Some evidence of the finding holds `part` and names the line of the log that says it.
void ExpectEvidence(const std::map<std::string, Json::Value>& findings, const std::string& id,
                    const std::string& section, const std::string& part,
                    const std::vector<std::string>& lines) {
    const auto finding = findings.find(id);
    ASSERT_NE(finding, findings.end()) << id;
    for (const Json::Value& evidence : finding->second["evidence"]) {
        const std::string text = evidence["text"].asString();
        if (text.find(part) == std::string::npos) continue;
        EXPECT_EQ(evidence["section"].asString(), section) << id;
        const Json::UInt64 line = evidence["line"].asUInt64();
        ASSERT_TRUE(line >= 1 && line <= lines.size()) << id;
        EXPECT_EQ(lines[line - 1], text) << id;
        return;
    }
    ADD_FAILURE() << id << " has no evidence holding " << part << "\n" << finding->second;
}

// The shell's desktop windows, which Wine's desktop lacks: a Progman and a WorkerW, made
// and served by a thread of their own while the owner lives.
class ShellDesktopWindows {
public:
    ShellDesktopWindows() : thread_([this] { Serve(); }) {
        const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
        while (!ready_ && GetTickCount64() < deadline) Sleep(10);
        EXPECT_TRUE(ready_);
    }
    ~ShellDesktopWindows() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

private:
    void Serve() {
        threadId_ = GetCurrentThreadId();
        std::vector<HWND> windows;
        for (const wchar_t* className : {L"Progman", L"WorkerW"}) {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = className;
            RegisterClassW(&windowClass);
            windows.push_back(CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 10,
                                              10, nullptr, nullptr, GetModuleHandleW(nullptr),
                                              nullptr));
        }
        ready_ = windows[0] && windows[1];
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        for (HWND window : windows) DestroyWindow(window);
    }

    std::atomic<bool> ready_{false};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
};

// The libraries Vistora brings and the video decoders Windows has but Wine lacks, as a
// clean machine has them. The probe finds them in the tool's own folder.
const wchar_t* const kCleanMachineLibraries[] = {
    L"clipworks32.dll", L"stagelogic32.dll", L"assetkit32.dll",  L"assimp-vc140-mt32.dll",
    L"FreeImage32.dll", L"CUESDK_2017.dll",  L"steam_api.dll",   L"libcef.dll",
    L"chrome_elf.dll",  L"libegl.dll",       L"libglesv2.dll",   L"mfh264enc.dll",
    L"mfmp4srcsnk.dll", L"mfperfhelper.dll", L"msmpeg2vdec.dll", L"msvproc.dll",
    L"colorcnv.dll"};

}  // namespace

using ReadSavedLog = SteamRegistryTest;

TEST_F(ReadSavedLog, FindsNoProblemOnACleanMachine) {
    Installation installation;
    for (const wchar_t* library : kCleanMachineLibraries) {
        CopyBuilt(FIXTURE_MODULE, installation.Tools() / library);
    }
    const ShellDesktopWindows desktop;
    TempFolder saves;
    const std::filesystem::path log = SaveFullLog(installation, saves);
    ASSERT_FALSE(log.empty());
    Json::Value root;
    const auto findings = ReadFindings(log, root);
    EXPECT_TRUE(root["complete"].asBool()) << root;
    for (const auto& [id, finding] : findings) {
        EXPECT_NE(finding["severity"].asString(), "problem") << finding;
    }
    // What the machine lacks still shows, below the problems.
    EXPECT_EQ(findings.count("vistora-not-running"), 1u);
    EXPECT_EQ(findings.count("windows-version"), 1u);
}

TEST_F(ReadSavedLog, FindsWhatWasPlantedOnTheMachine) {
    Installation installation;
    // A configuration the tool cannot find, and a product log that reports a failure.
    std::filesystem::remove(installation.folder / L"config.json");
    std::ofstream(installation.folder / L"log.txt", std::ios::app)
        << "renderer: exception 0xc0000005 in d3d11 device\n";
    TempFolder steam, elsewhere, saves;
    const std::filesystem::path client = steam / L"steam.exe";
    CopyBuilt(STEAM_CLIENT_FIXTURE, client);
    ASSERT_TRUE(SetDaysOld(client, kSteamDaysOld));
    SetSteamValue(kSteamKey, L"SteamExe", client.wstring());
    // Vistora with RivaTuner's hook, and a module that no signature knows from outside
    // both Windows and the installation.
    const std::filesystem::path hook = installation.folder / L"hooks" / L"RTSSHooks64.dll";
    const std::filesystem::path unknown = elsewhere / L"acmeoverlay64.dll";
    FixtureProcess vistora = LaunchHost(installation.folder / L"Vistora64.exe", {hook, unknown});
    ASSERT_TRUE(WaitForHostRecord(installation.folder / L"Vistora64.exe"));

    const std::filesystem::path log = SaveFullLog(installation, saves);
    ASSERT_FALSE(log.empty());
    const std::vector<std::string> lines = LogLines(log);
    Json::Value root;
    const auto findings = ReadFindings(log, root);
    EXPECT_TRUE(root["complete"].asBool()) << root;

    ExpectEvidence(findings, "conflict:rivatuner", "Detected Applications",
                   WideToUtf8(hook.wstring()), lines);
    EXPECT_EQ(findings.at("conflict:rivatuner")["severity"].asString(), "problem");
    ExpectEvidence(findings, "steam-outdated", "Steam info",
                   ".exe days old: " + std::to_string(kSteamDaysOld), lines);
    ExpectEvidence(findings, "config-unreadable", "Config info", "< Config file missing >", lines);
    ExpectEvidence(findings, "unknown-module", "All Modules vistora64.exe",
                   WideToUtf8(unknown.wstring()), lines);
    ExpectEvidence(findings, "product-log-errors", "Log contents", "exception 0xc0000005", lines);
    // Wine's firewall grants nothing; the tool says so and the reader follows.
    ExpectEvidence(findings, "firewall-no-access", "Firewall status", "Has firewall access: 0",
                   lines);
    EXPECT_EQ(findings.count("vistora-not-running"), 0u);
    EXPECT_EQ(findings.count("log-incomplete"), 0u);
    // The hook's path is no unknown module: its signature knows it.
    EXPECT_EQ(findings.at("unknown-module")["evidence"].size(), 1u);
}

// Explorer starts a program with the dropped file as its only argument and a console of
// its own. Wine would hand the page to a browser of the host; here its browser is off.
TEST(DroppedLog, WritesThePageBesideTheLog) {
    TempFolder folder;
    const std::filesystem::path log = folder / L"info.txt";
    CopyBuilt(SAVED_LOG, log);
    const ScopedEnvironmentVariable noBrowser(L"WINEDLLOVERRIDES", L"winebrowser.exe=d");
    const std::filesystem::path reader = BuiltFile(SYSPROBE_READ_EXE);
    std::wstring commandLine = L"\"" + reader.wstring() + L"\" \"" + log.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessW(reader.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                               CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &started));
    const UniqueHandle process{started.hProcess};
    const UniqueHandle thread{started.hThread};
    ASSERT_EQ(WaitForSingleObject(process.get(), kTimeoutMs), WAIT_OBJECT_0);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    const std::string page = ReadBytes(folder / L"info.html");
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("RivaTuner interferes with Vistora"), std::string::npos);
}
