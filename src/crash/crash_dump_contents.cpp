#include "crash/crash_dump_contents.h"

#include <cstring>

#include "crash/fixed_text.h"
#include "sysprobe_version.h"
#include "text/win_handles.h"
#include "text/windows_version.h"

std::unordered_map<std::string, std::string> CrashAnnotations;

void FormatDumpPath(DumpPath& path, const wchar_t* directory, const SYSTEMTIME& utc) {
    // wsprintfW writes at most 1024 units, so the directory is appended on its own.
    wchar_t name[128];
    wsprintfW(name, L"\\sysprobe%d_%d_%d_%dV_%04d-%02d-%02dT%02d_%02d_%02dZ.mdmp", SYSPROBE_BITS,
              SYSPROBE_VERSION_MAJOR, SYSPROBE_VERSION_MINOR, SYSPROBE_VERSION_PATCH,
              utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
    AppendFixedText(path, directory);
    AppendFixedText(path, name);
}

std::size_t BuildAnnotationStream(
    AnnotationStream& stream, const std::unordered_map<std::string, std::string>& annotations) {
    for (const auto& [key, value] : annotations) {
        AppendFixedText(stream, key.c_str());
        AppendFixedText(stream, "\n");
        AppendFixedText(stream, value.c_str());
        AppendFixedText(stream, "\n");
    }
    return FixedTextLength(stream) + 1;
}

namespace {

// Lists users only while their whole lines leave room for reserve more bytes: a cut id
// would name another user, and the environment block after them must always fit.
void AppendSteamUsers(EnvironmentStream& stream, std::size_t reserve) {
    const UniqueRegistryKey key =
        OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\Valve\\Steam\\Users", KEY_ALL_ACCESS);
    if (!key) return;
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    AppendFixedText(stream, "[steamusers]\n");
    for (DWORD index = 0; index < subkeys; ++index) {
        char name[256] = {};
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            name[0] == 0) {
            continue;
        }
        if (FixedTextLength(stream) + length + 1 + reserve >= kEnvironmentStreamCapacity) return;
        AppendFixedText(stream, name);
        AppendFixedText(stream, "\n");
    }
}

const char* WindowsVersionText() {
    if (IsWindowsVersionAtLeast(10, 0, 0)) return "10";
    if (IsWindowsVersionAtLeast(6, 3, 0)) return "8.1";
    if (IsWindowsVersionAtLeast(6, 2, 0)) return "8";
    if (IsWindowsVersionAtLeast(6, 1, 1)) return "7.1";
    if (IsWindowsVersionAtLeast(6, 1, 0)) return "7";
    return "?";
}

}  // namespace

std::size_t BuildEnvironmentStream(EnvironmentStream& stream) {
    char environment[32] = {};
    AppendFixedText(environment, "[environment]\n");
    AppendFixedText(environment, WindowsVersionText());
    AppendFixedText(environment, "\n");
    AppendSteamUsers(stream, FixedTextLength(environment));
    AppendFixedText(stream, environment);
    return FixedTextLength(stream) + 1;
}
