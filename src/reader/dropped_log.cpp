#include "reader/dropped_log.h"

#include <sstream>

#include <windows.h>
#include <shellapi.h>

#include "reader/reader_command.h"
#include "reader/utf8.h"

void PrepareConsoleForUtf8() { SetConsoleOutputCP(CP_UTF8); }

bool HasConsoleOfItsOwn() {
    DWORD processes[2] = {};
    return GetConsoleProcessList(processes, 2) == 1;
}

int ShowDroppedLog(const std::filesystem::path& log) {
    ReaderCommand command;
    command.log = log;
    command.html = PageBesideLog(log);
    std::ostringstream out, err;
    const int exitCode = RunReaderCommand(command, out, err);
    if (exitCode != kExitRead) {
        MessageBoxW(nullptr, Utf8ToWideText(err.str()).c_str(), L"sysprobe-read",
                    MB_OK | MB_ICONERROR);
        return exitCode;
    }
    ShellExecuteW(nullptr, nullptr, command.html->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return exitCode;
}
