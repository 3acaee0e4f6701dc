#include "app/full_log.h"

#include <gtest/gtest.h>

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

FullLogSections SmallSections() {
    FullLogSections sections;
    sections.productConfig = "{\n\t\"name\" : \"Bj\xC3\xB6rk\"\n}\n";
    sections.windowsSettings = L"Windows settings\n" + kEquals + L"settings\n\n";
    sections.windowsVersion = L"";
    sections.steam = L"Steam info\n" + kEquals + L"steam\n\n";
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
    sections.productConfig = "< Config file missing >";
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
