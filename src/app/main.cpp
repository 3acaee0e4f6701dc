#include <windows.h>

#include "crash/crash_handler.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    InstallCrashHandler();
    return 0;
}
