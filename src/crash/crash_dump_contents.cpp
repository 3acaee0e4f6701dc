#include "crash/crash_dump_contents.h"

#include <cstring>

#include "crash/fixed_text.h"
#include "sysprobe_version.h"
#include "text/win_handles.h"
#include "text/windows_version.h"

std::unordered_map<std::string, std::string> CrashAnnotations;

void FormatDumpPath(DumpPath& path, const wchar_t* directory, const SYSTEMTIME& utc) {
    struct Piece {
        const wchar_t* before;
        unsigned value;
        std::size_t digits;
    };
    const Piece pieces[] = {
        {L"\\sysprobe", SYSPROBE_BITS, 1},
        {L"_", SYSPROBE_VERSION_MAJOR, 1},
        {L"_", SYSPROBE_VERSION_MINOR, 1},
        {L"_", SYSPROBE_VERSION_PATCH, 1},
        {L"V_", utc.wYear, 4},
        {L"-", utc.wMonth, 2},
        {L"-", utc.wDay, 2},
        {L"T", utc.wHour, 2},
        {L"_", utc.wMinute, 2},
        {L"_", utc.wSecond, 2},
    };
    AppendFixedText(path, directory);
    for (const Piece& piece : pieces) {
        AppendFixedText(path, piece.before);
        AppendFixedNumber(path, piece.value, 10, piece.digits);
    }
    AppendFixedText(path, L"Z.mdmp");
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
