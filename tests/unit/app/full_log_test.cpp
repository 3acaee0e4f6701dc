#include "app/full_log.h"

#include <gtest/gtest.h>

#include "app/full_log_file.h"
#include "support/expected_text.h"
#include "support/temp_folder.h"
#include "support/written_files.h"

namespace {

const std::wstring kEquals = std::wstring(60, L'=') + L"\n";
const std::wstring kDashes = std::wstring(60, L'-') + L"\n";

RunningProcess Process(const std::wstring& fileName, const std::wstring& lowerName,
                       const std::wstring& imagePath, std::vector<ModuleInfo> modules = {}) {
    RunningProcess process;
    process.fileName = fileName;
    process.fileNameLower = lowerName;
    process.imagePath = imagePath;
    process.modules = std::move(modules);
    return process;
}

// A machine with Vistora's 64-bit process hooked by RivaTuner, a key the catalogue lacks,
// a name of exactly 20 characters, one longer than the column, and one whose capitals
// would sort it first if the display names were compared.
ApplicationState SmallMachine() {
    ApplicationState state;
    state.runningProcesses = {
        {L"vistora64.exe",
         Process(L"Vistora64.exe", L"vistora64.exe", L"C:\\Vistora\\Vistora64.exe",
                 {{L"C:\\Vistora\\Vistora64.exe", 0x140000000, 4096},
                  {L"C:\\Tools\\RTSSHooks64.dll", 0x7FF812340000, 123456789}})},
        {L"explorer.exe", Process(L"Explorer.EXE", L"explorer.exe", L"C:\\Windows\\Explorer.EXE")},
        {L"abcdefghijklmnop.exe",
         Process(L"abcdefghijklmnop.exe", L"abcdefghijklmnop.exe", L"C:\\a\\abcdefghijklmnop.exe")},
        {L"beta.exe", Process(L"Beta.exe", L"beta.exe", L"C:\\b\\Beta.exe")},
        {L"a_process_name_that_is_longer_than_the_column.exe",
         Process(L"A_Process_Name_That_Is_Longer_Than_The_Column.exe",
                 L"a_process_name_that_is_longer_than_the_column.exe", L"C:\\c\\long.exe")},
    };
    state.detectedApps = {
        {L"rivatuner", {L"C:\\Tools\\RTSSHooks64.dll", L"C:\\Tools\\RTSSHooks.dll"}},
        {L"zz-unknown", {L"C:\\x.dll"}},
    };
    state.firewall.hasAccess = false;
    state.firewall.readResult = -2147024891;
    state.firewall.errorText = "CoCreateInstance failed: 0x80070005\n";
    state.firewall.grantedRules = {
        {"application", L"(none)", L"Vistora UI", L"C:\\Vistora\\bin\\vistoraui.exe", "TCP", "in",
         0x7FFFFFFF}};
    return state;
}

// Strict UTF-8: shortest forms only, no encoded surrogates, nothing past U+10FFFF.
bool IsValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned lead = byte(i);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2
                              : lead >= 0xE0 && lead < 0xF0             ? 3
                              : lead >= 0xF0 && lead < 0xF5             ? 4
                                                                        : 0;
        if (length == 0 || i + length > text.size()) return false;
        unsigned codePoint = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) return false;
            codePoint = codePoint << 6 | (byte(i + k) & 0x3F);
        }
        const unsigned smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < smallest[length] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint < 0xE000)) {
            return false;
        }
        i += length;
    }
    return true;
}

FullLogSections SmallSections() {
    FullLogSections sections;
    sections.productConfig = L"{\n\t\"name\" : \"Bj\u00F6rk\"\n}\n";
    sections.system = {{L"Windows settings", L"settings"}, {L"Steam info", L"steam"}};
    sections.dependencies = L"deps errors x86:\nError module: libcef.dll, loaded: 0\n";
    sections.desktopWindows = L"Progman\n";
    sections.logFiles = {{L"log.txt", "last words\n"},
                         {L"bin\\vistorauilog.txt", ""},
                         {L"bin\\weblog.txt", std::nullopt},
                         {L"bin\\debug.log", "caf\xC3\xA9"}};
    sections.dxDiag = L"DxDiag results:\n" + kEquals + L"report";
    return sections;
}

}  // namespace

TEST(ComposeFullLog, WritesEverySectionInOrder) {
    const std::wstring expected =
        kEquals + L"Status\n" + kEquals +
        L"vistora32.exe Not running\n"
        L"vistora64.exe Found\n"
        L"vistoraui.exe Not running\n"
        L"webvistora64.exe Not running\n"
        L"explorer.exe Found\n"
        L"\n\nDetected Applications\n" + kEquals +
        L"Detected RivaTuner\n"
        L"Modules:\n"
        L"C:\\Tools\\RTSSHooks.dll\n"
        L"C:\\Tools\\RTSSHooks64.dll\n"
        L"\n"
        L"Missing info for key zz-unknown\n\n"
        L"\n" +
        L"All Modules vistora64.exe\n" + kEquals +
        L"Offset             Size             Path\n" + kDashes +
        L"0x0000000140000000             4096 C:\\Vistora\\Vistora64.exe\n"
        L"0x00007FF812340000        123456789 C:\\Tools\\RTSSHooks64.dll\n"
        L"\n\n"
        L"All Modules explorer.exe\n" + kEquals +
        L"Offset             Size             Path\n" + kDashes +
        L"\n\n"
        L"Running Processes\n" + kEquals +
        L"Filename                                         Path\n" + kDashes +
        L"A_Process_Name_That_Is_Longer_Than_The_Column.exe C:\\c\\long.exe\n"
        L"abcdefghijklmnop.exe                             C:\\a\\abcdefghijklmnop.exe\n"
        L"Beta.exe                                         C:\\b\\Beta.exe\n"
        L"Explorer.EXE                                     C:\\Windows\\Explorer.EXE\n"
        L"Vistora64.exe                                    C:\\Vistora\\Vistora64.exe\n"
        L"\n\nConfig info\n" + kEquals +
        L"{\n\t\"name\" : \"Bj\u00F6rk\"\n}\n\n\n"
        L"Windows settings\n" + kEquals + L"settings\n\n" +
        L"Steam info\n" + kEquals + L"steam\n\n" +
        L"Dependency error analysis\n" + kEquals +
        L"deps errors x86:\nError module: libcef.dll, loaded: 0\n\n\n"
        L"Firewall status\n" + kEquals +
        L"Has firewall access: 0\n"
        L"Firewall read result: -2147024891, CoCreateInstance failed: 0x80070005\n\n"
        L"Granted access rules:\n"
        L"Vistora UI (application): C:\\Vistora\\bin\\vistoraui.exe - in - TCP / (none) mask: 7\n"
        L"\n\n"
        L"Desktop window state\n" + kEquals + L"Progman\n\n\n"
        L"Log contents\n" + kEquals +
        L"log.txt:\nlast words\n\n" + kDashes +
        L"bin\\vistorauilog.txt:\n\n" + kDashes +
        L"bin\\weblog.txt: missing\n" + kDashes +
        L"bin\\debug.log:\ncaf\u00E9\n" + kDashes +
        L"\n\nDxDiag results:\n" + kEquals + L"report\n\n";
    EXPECT_EQ(ComposeFullLog(SmallMachine(), SmallSections()), expected);
}

TEST(ComposeFullLog, EmptyMachineStillHasEveryHeading) {
    FullLogSections sections;
    sections.productConfig = L"< Config file missing >";
    const std::wstring expected =
        kEquals + L"Status\n" + kEquals +
        L"vistora32.exe Not running\n"
        L"vistora64.exe Not running\n"
        L"vistoraui.exe Not running\n"
        L"webvistora64.exe Not running\n"
        L"explorer.exe Not running\n"
        L"\n\nDetected Applications\n" + kEquals + L"\n" +
        L"Running Processes\n" + kEquals +
        L"Filename                                         Path\n" + kDashes +
        L"\n\nConfig info\n" + kEquals + L"< Config file missing >\n\n" +
        L"Dependency error analysis\n" + kEquals + L"\n\n" +
        L"Firewall status\n" + kEquals +
        L"Has firewall access: 0\nFirewall read result: 0, \n\n\n" +
        L"Desktop window state\n" + kEquals + L"\n\n" +
        L"Log contents\n" + kEquals +
        L"\n\n\n\n";
    EXPECT_EQ(ComposeFullLog(ApplicationState{}, sections), expected);
}

// The 32-bit build that could not hand over says so in the Status section, and nowhere else.
TEST(ComposeFullLog, SaysWhenTheModulesOf64BitProgramsWereNotScanned) {
    ApplicationState state;
    state.modules64Unscanned = true;
    const std::wstring log = ComposeFullLog(state, FullLogSections{});
    const std::wstring notice =
        L"The 64-bit part of this tool could not be started, so the modules of 64-bit programs "
        L"(Vistora's 64-bit processes and Explorer among them) were not scanned. Reinstalling "
        L"Vistora repairs this.\n";
    EXPECT_NE(log.find(L"explorer.exe Not running\n" + notice + L"\n\nDetected Applications\n"),
              std::wstring::npos)
        << log.substr(0, 600);
    state.modules64Unscanned = false;
    EXPECT_EQ(ComposeFullLog(state, FullLogSections{}).find(notice), std::wstring::npos);
}

// Names as a scan can meet them: unpaired halves of surrogate pairs, a pair, letters beyond
// ASCII, and an image path of about 1000 code units. Each is written through the save.
TEST(SaveFullLogFile, WritesHostileNamesAsValidUtf8) {
    struct Case { const char* what; std::wstring name; std::string utf8; };
    const Case cases[] = {
        {"lone high half", L"a\xD800" L"b.exe", "a\xEF\xBF\xBD" "b.exe"},
        {"lone low half", L"\xDC00" L"c.exe", "\xEF\xBF\xBD" "c.exe"},
        {"halves reversed", L"\xDC00\xD800.exe", "\xEF\xBF\xBD\xEF\xBF\xBD.exe"},
        {"pair", L"\xD83D\xDE00.exe", "\xF0\x9F\x98\x80.exe"},
        {"beyond ASCII", L"J\u00F6rg\u4E2D.exe", "J\xC3\xB6rg\xE4\xB8\xAD.exe"},
    };
    const std::wstring deepFolder = L"C:\\" + std::wstring(990, L'p') + L"\\";
    const std::string deepFolderUtf8 = "C:\\" + std::string(990, 'p') + "\\";
    TempFolder folder;
    folder.EnterSubfolder(L"tools");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ApplicationState state;
        state.runningProcesses = {
            {c.name, Process(c.name, c.name, deepFolder + c.name)},
            {L"vistora64.exe", Process(L"Vistora64.exe", L"vistora64.exe", L"C:\\V\\Vistora64.exe",
                                       {{L"C:\\hooks\\" + c.name, 0x10000, 4096}})},
        };
        state.detectedApps = {{L"rivatuner", {L"C:\\hooks\\" + c.name}}};
        const auto path = folder / L"full.txt";
        ASSERT_TRUE(
            SaveFullLogFile(state, path, L"deps errors x86:\n", L"DxDiag results:\n" + kEquals));
        const std::string log = ReadBytes(path);

        EXPECT_TRUE(IsValidUtf8(log));
        EXPECT_NE(log.find("\r\nC:\\hooks\\" + c.utf8 + "\r\n"), std::string::npos);
        EXPECT_NE(log.find(" 4096 C:\\hooks\\" + c.utf8 + "\r\n"), std::string::npos);
        // The width counts UTF-16 code units, as the stream does.
        EXPECT_NE(log.find("\r\n" + c.utf8 + std::string(48 - c.name.size(), ' ') + " " +
                           deepFolderUtf8 + c.utf8 + "\r\n"),
                  std::string::npos);
        size_t previous = 0;
        for (const char* title :
             {"Status", "Detected Applications", "All Modules vistora64.exe", "Running Processes",
              "Config info", "Windows settings", "Steam info", "Dependency error analysis",
              "Firewall status", "Desktop window state", "Log contents", "DxDiag results:"}) {
            const size_t at = log.find(std::string(title) + "\r\n" + std::string(60, '='),
                                       previous);
            EXPECT_NE(at, std::string::npos) << title;
            if (at != std::string::npos) previous = at;
        }
    }
}

// Profile names, process names and module paths that would cut the log at a NUL or start a
// heading of their own at a line feed: each is written on its own line, escaped.
TEST(SaveFullLogFile, NoContentCutsOrForgesTheLog) {
    const std::string forged = "Windows settings\n" + std::string(60, '=');
    TempFolder folder;
    folder.EnterSubfolder(L"tools");
    const std::string profile = R"({"general": {"user": {"a": 1}}})";
    WriteBytes(folder / L"config.json",
               std::string("{\"User A\\u0000hidden\": ") + profile + ", \"B\\n" +
                   std::string("Windows settings\\n") + std::string(60, '=') + "\": " + profile +
                   ", \"C\\u001b[2J\\\\\": " + profile + ", \"D" + std::string(1, '\0') +
                   "raw\": " + profile + "}");
    ApplicationState state;
    const std::wstring name = L"evil\nRunning Processes\n" + std::wstring(60, L'=') +
                              std::wstring(L"\0.exe", 5);
    state.runningProcesses = {
        {name, Process(name, name, L"C:\\x\\" + name)},
        {L"vistora64.exe", Process(L"Vistora64.exe", L"vistora64.exe", L"C:\\V\\Vistora64.exe",
                                   {{L"C:\\hooks\\" + name, 0x10000, 4096}})},
    };
    const auto path = folder / L"full.txt";
    ASSERT_TRUE(SaveFullLogFile(state, path, L"deps errors x86:\n", L"DxDiag results:\n" + kEquals));
    const std::string log = ReadBytes(path);

    EXPECT_EQ(log.find('\0'), std::string::npos);
    size_t previous = 0;
    for (const char* title :
         {"Status", "Detected Applications", "All Modules vistora64.exe", "Running Processes",
          "Config info", "Windows settings", "Steam info", "Dependency error analysis",
          "Firewall status", "Desktop window state", "Log contents", "DxDiag results:"}) {
        const std::string heading = std::string(title) + "\r\n" + std::string(60, '=');
        EXPECT_EQ(Count(log, heading), 1u) << title;
        const size_t at = log.find(heading, previous);
        EXPECT_NE(at, std::string::npos) << title << " out of order";
        if (at != std::string::npos) previous = at;
    }
    const std::string escapedName =
        "evil\\nRunning Processes\\n" + std::string(60, '=') + "\\u0000.exe";
    for (const std::string& line :
         {std::string("User A\\u0000hidden"), "User B\\nWindows settings\\n" + std::string(60, '='),
          std::string("User C\\u001b[2J\\"), std::string("User D\\u0000raw"),
          " 4096 C:\\hooks\\" + escapedName, " C:\\x\\" + escapedName}) {
        EXPECT_NE(log.find(line + "\r\n"), std::string::npos) << line;
    }
}
