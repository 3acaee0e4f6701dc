#include <windows.h>

#include "app/command_line.h"
#include "app/run_modes.h"
#include "crash/crash_handler.h"
#include "text/encoding.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // Before anything else, so every later failure ends in the crash report.
    InstallCrashHandler();
    // The options are plain ASCII; UTF-8 keeps any other argument text intact.
    ParseCommandLine(commandLine ? WideToUtf8(commandLine).c_str() : nullptr);
    const int exitCode = RunSelectedMode();
    // A thread of a library may have crashed meanwhile: its report must not be cut short.
    WaitForCrashReport();
    return exitCode;
}
