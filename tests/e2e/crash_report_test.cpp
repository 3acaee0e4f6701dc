// Real crashes of a program that installs the product's crash handler: each kind must
// leave exactly one readable dump, one crash report box and one call of the Steam dump
// library.
#include <cstring>
#include <optional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include <dbghelp.h>

#include "e2e/ui_driver.h"
#include "support/expected_text.h"
#include "support/scoped_registry_key.h"
#include "support/temp_folder.h"
#include "support/wine_path.h"
#include "text/encoding.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;
constexpr ULONG32 kMinidumpSignature = 0x504D444D;   // "MDMP"
constexpr DWORD kAccessViolation = 0xC0000005;
constexpr DWORD kDivideByZero = 0xC0000094;
constexpr DWORD kStackOverflow = 0xC00000FD;
constexpr DWORD kFatalAppExit = 0x40000015;

const std::wstring kHelpText = L"Go here for help:\n\nwww.vistora.app/crash";
const std::wstring kSteamUsersKey = L"Software\\Valve\\Steam\\Users";

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

struct DumpStreams {
    bool valid = false;
    std::string annotations;   // user stream 0x10000 with its declared size
    std::string environment;   // user stream 0x10001
    DWORD exceptionCode = 0;
};

DumpStreams ReadDump(const std::filesystem::path& path) {
    const std::string bytes = ReadBytes(path);
    DumpStreams dump;
    MINIDUMP_HEADER header = {};
    if (bytes.size() < sizeof(header)) return dump;
    std::memcpy(&header, bytes.data(), sizeof(header));
    if (header.Signature != kMinidumpSignature) return dump;
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry = {};
        const size_t at = header.StreamDirectoryRva + i * sizeof(entry);
        if (at + sizeof(entry) > bytes.size()) return dump;
        std::memcpy(&entry, bytes.data() + at, sizeof(entry));
        if (entry.Location.Rva + entry.Location.DataSize > bytes.size()) return dump;
        const std::string data = bytes.substr(entry.Location.Rva, entry.Location.DataSize);
        if (entry.StreamType == 0x10000) dump.annotations = data;
        if (entry.StreamType == 0x10001) dump.environment = data;
        if (entry.StreamType == ExceptionStream && data.size() >= sizeof(MINIDUMP_EXCEPTION_STREAM)) {
            MINIDUMP_EXCEPTION_STREAM exception = {};
            std::memcpy(&exception, data.data(), sizeof(exception));
            dump.exceptionCode = exception.ExceptionRecord.ExceptionCode;
        }
    }
    dump.valid = true;
    return dump;
}

std::vector<std::filesystem::path> DumpsIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> dumps;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == L".mdmp") dumps.push_back(entry.path());
    }
    return dumps;
}

enum class Box {
    Dismissed,          // the test reads the box and presses OK
    EndedBySecondFault, // the test reads the box; a second fault ends the process
    MayFlash,           // a second thread's fault may end the process before the box shows;
                        // a box that does show is read
};

struct CrashCase {
    const char* name;
    const wchar_t* arguments;
    DWORD code;
    // The explanation before "\n\nCrash information written to: "; "$HOST", "$DLL" and
    // "$KERNELBASE" stand for the paths of the crashing program, the culprit DLL and the
    // system library that raises exceptions.
    std::wstring explanation;
    Box box = Box::Dismissed;
    bool steamUsers = false;
};

std::wstring CrashedIn(const wchar_t* module, DWORD code, bool writeToNull = false) {
    std::wstring line = L"\n\nCrash caused by: '" + std::wstring(module) + L"'. Error code: " +
                        HexCode(code) + L".";
    if (writeToNull) line += L" Access violation: trying to write to address 0x00000000.";
    return line;
}

const std::wstring kOwnCrash = L"Vistora has crashed.\n\n" + kHelpText;
// abort() and std::terminate raise an exception, from inside the system library.
const std::wstring kSystemCrash = L"Vistora crashed in the Windows System.\n\n" + kHelpText +
                                  CrashedIn(L"$KERNELBASE", kFatalAppExit);

const CrashCase kCrashCases[] = {
    {"WriteAccessViolation", L"write-av", kAccessViolation,
     kOwnCrash + CrashedIn(L"$HOST", kAccessViolation, true), Box::Dismissed, true},
    {"AccessViolationInCulpritDll", L"dll-av $DLL", kAccessViolation,
     L"Rivatuner Statistics Server hacked and crashed Vistora. Exclude Vistora in RivaTuner to "
     L"stop it from crashing it.\n\n" + kHelpText + CrashedIn(L"$DLL", kAccessViolation, true)},
    // The fault address is null: no module to blame.
    {"CallThroughNullPointer", L"null-call", kAccessViolation, kHelpText},
    {"IntegerDivideByZero", L"divide-by-zero", kDivideByZero,
     kOwnCrash + CrashedIn(L"$HOST", kDivideByZero)},
    {"StackOverflow", L"stack-overflow", kStackOverflow,
     kOwnCrash + CrashedIn(L"$HOST", kStackOverflow)},
    {"CrashOnWorkerThread", L"worker-thread", kAccessViolation,
     kOwnCrash + CrashedIn(L"$HOST", kAccessViolation, true)},
    {"TwoThreadsAtOnce", L"two-threads", kAccessViolation,
     kOwnCrash + CrashedIn(L"$HOST", kAccessViolation, true), Box::MayFlash},
    // Reported as abort() from std::terminate, under Wine and on Windows alike: in the 64-bit
    // build the runtime's frame around the main thread continues the exception that GCC's
    // throw raises, so the throw fails; the 32-bit build's unwinder raises none.
    {"UncaughtCppException", L"uncaught-exception", kFatalAppExit, kSystemCrash},
    {"Abort", L"abort", kFatalAppExit, kSystemCrash},
    {"SecondFaultWhileBoxIsOpen", L"fault-while-box-open", kDivideByZero,
     kOwnCrash + CrashedIn(L"$HOST", kDivideByZero), Box::EndedBySecondFault},
};

void PrintTo(const CrashCase& c, std::ostream* out) { *out << c.name; }

class CrashReport : public ::testing::TestWithParam<CrashCase> {};

}  // namespace

TEST_P(CrashReport, LeavesOneDumpOneBoxAndTellsSteam) {
    const CrashCase& c = GetParam();
    TempFolder work;
    const std::wstring host = WindowsPath(CRASH_HOST_PATH);
    const std::wstring dll = (work / L"RTSSHooks.dll").wstring();
    std::filesystem::copy_file(WindowsPath(CRASH_MODULE_PATH), dll);
    std::wstring arguments = c.arguments;
    FillPlaceholder(arguments, L"$DLL", L"\"" + dll + L"\"");
    std::wstring explanation = c.explanation;
    FillPlaceholder(explanation, L"$HOST", host);
    FillPlaceholder(explanation, L"$DLL", dll);
    wchar_t kernelBase[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"kernelbase.dll"), kernelBase, MAX_PATH);
    FillPlaceholder(explanation, L"$KERNELBASE", kernelBase);

    std::optional<ScopedRegistryKey> steamUser111, steamUser222;
    if (c.steamUsers) {
        steamUser111.emplace(kSteamUsersKey + L"\\111");
        steamUser222.emplace(kSteamUsersKey + L"\\222");
    } else {
        ASSERT_FALSE(RegistryKeyExists(kSteamUsersKey)) << "the test prefix has Steam users left over";
    }

    TestProcess crashing(host, arguments, work.Path().wstring());
    ASSERT_TRUE(crashing.Started());
    std::wstring message;
    if (c.box == Box::MayFlash) {
        const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
        while (!crashing.HasExited() && GetTickCount64() < deadline) {
            for (HWND box : FindDialogs(crashing.Id(), L"Error")) {
                // Empty when the process ended under the read.
                const std::wstring text = DialogItemText(box, kMessageBoxTextId);
                if (!text.empty()) message = text;
                PressButton(box, IDOK);
            }
            Sleep(50);
        }
    } else {
        HWND box = WaitForDialog(crashing, L"Error", kTimeoutMs);
        ASSERT_TRUE(box);
        message = DialogItemText(box, kMessageBoxTextId);
        // System-modal and without an owner: it stays above every window of the desktop.
        EXPECT_TRUE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(GetWindow(box, GW_OWNER));
        if (c.box == Box::Dismissed) PressButton(box, IDOK);
        if (c.box == Box::EndedBySecondFault) std::ofstream(work / L"second_fault.go").put('1');
    }
    ASSERT_TRUE(crashing.WaitForExit(kTimeoutMs));

    const std::vector<std::filesystem::path> dumps = DumpsIn(work.Path());
    ASSERT_EQ(dumps.size(), 1u);
    const std::wstring bits = sizeof(void*) == 8 ? L"64" : L"32";
    EXPECT_TRUE(std::regex_match(
        dumps[0].filename().string(),
        std::regex("sysprobe" + WideToUtf8(bits) +
                   R"(_2_8_42V_\d{4}-\d\d-\d\dT\d\d_\d\d_\d\dZ\.mdmp)")))
        << dumps[0].filename();

    // Kept for the tests of the dump reader, by the name of the case.
    const std::filesystem::path kept = WindowsPath(CRASH_DUMP_FOLDER);
    std::filesystem::create_directories(kept);
    std::filesystem::copy_file(dumps[0], kept / (std::string(c.name) + ".mdmp"),
                               std::filesystem::copy_options::overwrite_existing);

    const DumpStreams dump = ReadDump(dumps[0]);
    ASSERT_TRUE(dump.valid);
    EXPECT_EQ(dump.annotations, std::string(1, '\0'));
    const std::string environment = "[environment]\n10\n";
    EXPECT_EQ(dump.environment,
              (c.steamUsers ? "[steamusers]\n111\n222\n" + environment : environment) +
                  std::string(1, '\0'));
    EXPECT_EQ(dump.exceptionCode, c.code);

    if (c.box != Box::MayFlash || !message.empty()) {
        EXPECT_EQ(message, explanation + L"\n\nCrash information written to: " + dumps[0].wstring());
    }
    // The Steam library is offered the crash after the box; a second fault ends the
    // process before.
    if (c.box == Box::Dismissed) {
        EXPECT_EQ(ReadBytes(work / L"steam_minidump_code.txt"), WideToUtf8(HexCode(c.code)));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CrashReport, ::testing::ValuesIn(kCrashCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Without the dump library no dump can be written: after two attempts the user sees
// nothing, and the Steam library is still offered the crash. A copy of the crash host
// under its own name loses the library through Wine's per-program DLL overrides.
TEST(CrashReportWithoutDumpLibrary, OnlyTellsSteam) {
    TempFolder work;
    const std::filesystem::path host = WindowsPath(CRASH_HOST_PATH);
    const std::wstring copyName = L"crash_host_without_dbghelp.exe";
    std::filesystem::copy_file(host, work / copyName);
    std::filesystem::copy_file(host.parent_path() / L"steammdmp32.dll", work / L"steammdmp32.dll");
    const std::wstring overrides = L"Software\\Wine\\AppDefaults\\" + copyName + L"\\DllOverrides";
    const ScopedRegistryKey overridesKey(overrides);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, overrides.c_str(), L"dbghelp", REG_SZ, L"", sizeof(L"")),
              ERROR_SUCCESS);

    TestProcess crashing((work / copyName).wstring(), L"write-av", work.Path().wstring());
    ASSERT_TRUE(crashing.Started());
    ASSERT_TRUE(crashing.WaitForExit(kTimeoutMs));
    EXPECT_TRUE(DumpsIn(work.Path()).empty());
    EXPECT_EQ(ReadBytes(work / L"steam_minidump_code.txt"), WideToUtf8(HexCode(kAccessViolation)));
}
