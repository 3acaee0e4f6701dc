// Real crashes of a program that installs the product's crash handler: each kind must
// leave exactly one readable dump, one crash report box and one call of the Steam dump
// library.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include <dbghelp.h>

#include "e2e/ui_driver.h"
#include "support/built_files.h"
#include "support/expected_text.h"
#include "support/scoped_environment_variable.h"
#include "support/scoped_registry_key.h"
#include "support/scoped_registry_value.h"
#include "support/temp_folder.h"
#include "support/wine_32bit.h"
#include "support/wine_path.h"
#include "support/written_files.h"
#include "text/encoding.h"

namespace {

const DWORD kTimeoutMs = DeadlineMs(60000);
constexpr ULONG32 kMinidumpSignature = 0x504D444D;   // "MDMP"
constexpr DWORD kAccessViolation = 0xC0000005;
constexpr DWORD kDivideByZero = 0xC0000094;
constexpr DWORD kStackOverflow = 0xC00000FD;
constexpr DWORD kFatalAppExit = 0x40000015;

const std::wstring kHelpText = L"Go here for help:\n\nwww.vistora.app/crash";
const std::wstring kSteamUsersKey = L"Software\\Valve\\Steam\\Users";

struct DumpStreams {
    bool valid = false;
    std::string annotations;   // user stream 0x10000 with its declared size
    std::string environment;   // user stream 0x10001
    DWORD exceptionCode = 0;
    DWORD exceptionThread = 0;
    std::vector<ULONG32> threads;   // the ids of the thread list
    ULONG32 modules = 0;            // entries of the module list
};

template <typename Record>
bool ReadAt(const std::string& bytes, size_t at, Record& record) {
    if (at + sizeof(record) > bytes.size()) return false;
    std::memcpy(&record, bytes.data() + at, sizeof(record));
    return true;
}

DumpStreams ReadDump(const std::filesystem::path& path) {
    const std::string bytes = ReadBytes(path);
    DumpStreams dump;
    MINIDUMP_HEADER header = {};
    if (!ReadAt(bytes, 0, header) || header.Signature != kMinidumpSignature) return dump;
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry = {};
        if (!ReadAt(bytes, header.StreamDirectoryRva + i * sizeof(entry), entry)) return dump;
        if (entry.Location.Rva + entry.Location.DataSize > bytes.size()) return dump;
        const std::string data = bytes.substr(entry.Location.Rva, entry.Location.DataSize);
        if (entry.StreamType == 0x10000) dump.annotations = data;
        if (entry.StreamType == 0x10001) dump.environment = data;
        MINIDUMP_EXCEPTION_STREAM exception = {};
        if (entry.StreamType == ExceptionStream && ReadAt(data, 0, exception)) {
            dump.exceptionCode = exception.ExceptionRecord.ExceptionCode;
            dump.exceptionThread = exception.ThreadId;
        }
        ULONG32 count = 0;
        if (entry.StreamType == ModuleListStream && ReadAt(data, 0, count)) dump.modules = count;
        if (entry.StreamType == ThreadListStream && ReadAt(data, 0, count)) {
            for (ULONG32 t = 0; t < count; ++t) {
                MINIDUMP_THREAD thread = {};
                if (!ReadAt(data, sizeof(count) + t * sizeof(thread), thread)) return dump;
                dump.threads.push_back(thread.ThreadId);
            }
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

// Who crashes: the crash host, or the product in dependency mode through a library that
// the probe loads under one of its early names.
enum class Program { CrashHost, ProductProbe };

struct CrashCase {
    std::string name;
    Program program;
    std::wstring arguments;
    DWORD code;
    // The explanation before "\n\nCrash information written to: "; "$HOST" and "$DLL"
    // stand for the paths of the crashing program and the culprit DLL.
    std::wstring explanation;
    Box box = Box::Dismissed;
    bool steamUsers = false;
    std::wstring libraryThreadKind = {};   // for the probed library's thread
};

std::wstring CrashedIn(const wchar_t* module, DWORD code, bool writeToNull = false) {
    std::wstring line = L"\n\nCrash caused by: '" + std::wstring(module) + L"'. Error code: " +
                        HexCode(code) + L".";
    if (writeToNull) line += L" Access violation: trying to write to address 0x00000000.";
    return line;
}

const std::wstring kOwnCrash = L"Vistora has crashed.\n\n" + kHelpText;
const std::wstring kLibraryCrash = L"Vistora was likely crashed by another application ($DLL).\n\n" + kHelpText;

// Each kind of crash on the first thread, on a worker thread while the first thread ends
// the program normally, and on a thread of a library that the dependency probe loads while
// the probe goes on. abort() and an uncaught C++ exception (which ends in std::terminate and
// abort()) name the code that aborted, not the system library that raises the exception.
std::vector<CrashCase> CrashCases() {
    struct Kind { std::string name; const wchar_t* argument; DWORD code; bool writeToNull; };
    const Kind kinds[] = {
        {"WriteAccessViolation", L"write-av", kAccessViolation, true},
        {"StackOverflow", L"stack-overflow", kStackOverflow, false},
        {"Abort", L"abort", kFatalAppExit, false},
        {"UncaughtCppException", L"uncaught-exception", kFatalAppExit, false},
        {"IntegerDivideByZero", L"divide-by-zero", kDivideByZero, false},
    };
    std::vector<CrashCase> cases;
    for (const Kind& k : kinds) {
        const std::wstring own = kOwnCrash + CrashedIn(L"$HOST", k.code, k.writeToNull);
        cases.push_back({k.name + "OnFirstThread", Program::CrashHost, k.argument, k.code, own,
                         Box::Dismissed, k.name == "WriteAccessViolation"});
        cases.push_back({k.name + "OnWorkerThread", Program::CrashHost,
                         std::wstring(k.argument) + L" worker", k.code, own});
        cases.push_back({k.name + "OnProbedLibraryThread", Program::ProductProbe,
                         L"-analyzeDependencies", k.code,
                         kLibraryCrash + CrashedIn(L"$DLL", k.code, k.writeToNull), Box::Dismissed,
                         false, k.argument});
    }
    const std::vector<CrashCase> others = {
        {"AccessViolationInCulpritDll", Program::CrashHost, L"dll-av $DLL", kAccessViolation,
         L"Rivatuner Statistics Server hacked and crashed Vistora. Exclude Vistora in RivaTuner "
         L"to stop it from crashing it.\n\n" + kHelpText + CrashedIn(L"$DLL", kAccessViolation, true)},
        // The fault address is null: no module to blame.
        {"CallThroughNullPointer", Program::CrashHost, L"null-call", kAccessViolation, kHelpText},
        {"TwoThreadsAtOnce", Program::CrashHost, L"two-threads", kAccessViolation,
         kOwnCrash + CrashedIn(L"$HOST", kAccessViolation, true), Box::MayFlash},
        {"SecondFaultWhileBoxIsOpen", Program::CrashHost, L"fault-while-box-open", kDivideByZero,
         kOwnCrash + CrashedIn(L"$HOST", kDivideByZero), Box::EndedBySecondFault},
    };
    cases.insert(cases.end(), others.begin(), others.end());
    return cases;
}

void PrintTo(const CrashCase& c, std::ostream* out) { *out << c.name; }

class CrashReport : public ::testing::TestWithParam<CrashCase> {};

}  // namespace

// The one dump in the folder, read whole; invalid when there is not exactly one.
DumpStreams TheOneDump(const std::filesystem::path& folder, std::filesystem::path& path) {
    const std::vector<std::filesystem::path> dumps = DumpsIn(folder);
    EXPECT_EQ(dumps.size(), 1u);
    if (dumps.size() != 1) return {};
    path = dumps[0];
    return ReadDump(path);
}

TEST_P(CrashReport, LeavesOneDumpOneBoxAndTellsSteam) {
    const CrashCase& c = GetParam();
    TempFolder temp;
    const std::filesystem::path work = temp / L"work";
    std::filesystem::create_directories(work);
    std::filesystem::path program = WindowsPath(CRASH_HOST_PATH);
    std::wstring dll = (work / L"RTSSHooks.dll").wstring();
    std::filesystem::copy_file(WindowsPath(CRASH_MODULE_PATH), dll);
    std::optional<ScopedEnvironmentVariable> libraryThreadKind;
    if (c.program == Program::ProductProbe) {
        // The product with the Steam dump library beside it, as in a Steam installation.
        const std::filesystem::path hostFolder = program.parent_path();
        program = temp / L"program" / BuiltFile(SYSPROBE_EXE).filename();
        CopyBuilt(SYSPROBE_EXE, program);
        std::filesystem::copy_file(hostFolder / L"steammdmp32.dll",
                                   program.parent_path() / L"steammdmp32.dll");
        dll = (work / L"clipworks32.dll").wstring();
        std::filesystem::copy_file(WindowsPath(CRASH_THREAD_MODULE_PATH), dll);
        libraryThreadKind.emplace(L"CRASH_THREAD_KIND", c.libraryThreadKind);
    }
    std::wstring arguments = c.arguments;
    FillPlaceholder(arguments, L"$DLL", L"\"" + dll + L"\"");
    std::wstring explanation = c.explanation;
    FillPlaceholder(explanation, L"$HOST", program.wstring());
    FillPlaceholder(explanation, L"$DLL", dll);

    std::optional<ScopedRegistryKey> steamUser111, steamUser222;
    if (c.steamUsers) {
        steamUser111.emplace(kSteamUsersKey + L"\\111");
        steamUser222.emplace(kSteamUsersKey + L"\\222");
    } else {
        ASSERT_FALSE(RegistryKeyExists(kSteamUsersKey)) << "the test prefix has Steam users left over";
    }

    TestProcess crashing(program.wstring(), arguments, work.wstring());
    ASSERT_TRUE(crashing.Started());
    std::wstring message;
    std::filesystem::path dumpPath;
    DumpStreams dump;
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
        // The file the box names is complete and can be read while the box is up.
        dump = TheOneDump(work, dumpPath);
        EXPECT_TRUE(dump.valid);
        EXPECT_TRUE(FindDialogs(crashing.Id(), L"Error").size() == 1) << "the box went away early";
        if (c.box == Box::Dismissed) PressButton(box, IDOK);
        if (c.box == Box::EndedBySecondFault) std::ofstream(work / L"second_fault.go").put('1');
    }
    ASSERT_TRUE(crashing.WaitForExit(kTimeoutMs));

    std::filesystem::path finalPath;
    const DumpStreams finalDump = TheOneDump(work, finalPath);
    if (c.box == Box::MayFlash) {
        dump = finalDump;
        dumpPath = finalPath;
    }
    EXPECT_EQ(finalPath, dumpPath) << "one dump while the box is up, the same one after";
    ASSERT_TRUE(dump.valid);
    const std::wstring bits = sizeof(void*) == 8 ? L"64" : L"32";
    EXPECT_TRUE(std::regex_match(
        dumpPath.filename().string(),
        std::regex("sysprobe" + WideToUtf8(bits) +
                   R"(_2_8_42V_\d{4}-\d\d-\d\dT\d\d_\d\d_\d\dZ\.mdmp)")))
        << dumpPath.filename();

    // Kept for the tests of the dump reader, by the name of the case.
    const std::filesystem::path kept = WindowsPath(CRASH_DUMP_FOLDER);
    std::filesystem::create_directories(kept);
    std::filesystem::copy_file(dumpPath, kept / (c.name + ".mdmp"),
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(dump.annotations, std::string(1, '\0'));
    const std::string environment = "[environment]\n10\n";
    EXPECT_EQ(dump.environment,
              (c.steamUsers ? "[steamusers]\n111\n222\n" + environment : environment) +
                  std::string(1, '\0'));
    EXPECT_EQ(dump.exceptionCode, c.code);
    EXPECT_GT(dump.modules, 0u);
    EXPECT_NE(std::find(dump.threads.begin(), dump.threads.end(), dump.exceptionThread),
              dump.threads.end())
        << "the faulting thread " << dump.exceptionThread << " is not in the thread list";

    if (c.box != Box::MayFlash || !message.empty()) {
        EXPECT_EQ(message, explanation + L"\n\nCrash information written to: " + dumpPath.wstring());
    }
    // The Steam library is offered the crash after the box; a second fault ends the
    // process before.
    if (c.box == Box::Dismissed) {
        EXPECT_EQ(ReadBytes(work / L"steam_minidump_code.txt"), WideToUtf8(HexCode(c.code)));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CrashReport, ::testing::ValuesIn(CrashCases()),
                         [](const auto& info) { return info.param.name; });

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

// The Steam dump library is taken from the program's folder (the table above), the system
// folder or the folder of the Steam client that the registry names, and never from the
// current folder or a PATH folder: the tool runs as administrator.
TEST(CrashReportSteamLibrary, ComesOnlyFromTrustedFolders) {
    struct Case {
        const char* what;
        bool inSteamClientFolder;
        bool offered;
    };
    const Case cases[] = {
        {"in the current folder and on PATH only", false, false},
        {"beside the registered Steam client", true, true},
    };
    for (const Case& c : cases) {
        TempFolder temp;
        const std::filesystem::path hostFolder = std::filesystem::path(WindowsPath(CRASH_HOST_PATH)).parent_path();
        const std::filesystem::path program = temp / L"program\\crash_host.exe";
        const std::filesystem::path work = temp / L"work";
        const std::filesystem::path onPath = temp / L"on path";
        const std::filesystem::path steam = temp / L"steam";
        for (const auto& folder : {program.parent_path(), work, onPath, steam}) {
            std::filesystem::create_directories(folder);
        }
        std::filesystem::copy_file(WindowsPath(CRASH_HOST_PATH), program);
        for (const auto& folder : {work, onPath}) {
            std::filesystem::copy_file(hostFolder / L"steammdmp32.dll", folder / L"steammdmp32.dll");
        }
        const ScopedEnvironmentVariable path(
            L"PATH", onPath.wstring() + L";" + ScopedEnvironmentVariable::Value(L"PATH").value_or(L""));
        ScopedRegistryValue steamExe(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamExe");
        if (c.inSteamClientFolder) {
            std::filesystem::copy_file(hostFolder / L"steammdmp32.dll", steam / L"steammdmp32.dll");
            std::wstring registered = (steam / L"steam.exe").wstring();
            // The client registers its path with forward slashes.
            std::replace(registered.begin(), registered.end(), L'\\', L'/');
            ASSERT_TRUE(steamExe.SetString(registered));
        }

        TestProcess crashing(program.wstring(), L"write-av", work.wstring());
        ASSERT_TRUE(crashing.Started());
        HWND box = WaitForDialog(crashing, L"Error", kTimeoutMs);
        ASSERT_TRUE(box) << c.what;
        PressButton(box, IDOK);
        ASSERT_TRUE(crashing.WaitForExit(kTimeoutMs));
        EXPECT_EQ(std::filesystem::exists(work / L"steam_minidump_code.txt"), c.offered) << c.what;
    }
}
