#include "collectors/steam_info.h"

#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Seconds since 1970-01-01 UTC; earlier times count as 1970.
std::int64_t SecondsSince1970(const FILETIME& time) {
    constexpr std::uint64_t kTicksPerSecond = 10000000;
    constexpr std::uint64_t kSeconds1601To1970 = 11644473600;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const std::uint64_t seconds = ticks / kTicksPerSecond;
    return seconds > kSeconds1601To1970 ? static_cast<std::int64_t>(seconds - kSeconds1601To1970)
                                        : 0;
}

bool ReadFileVersion(const std::wstring& path, std::string& version) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
        infoSize < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD) {
        return false;
    }
    version = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
              std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
              std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
              std::to_string(LOWORD(info->dwFileVersionLS));
    return true;
}

// The registered client path: a string value read without expanding references into a
// zeroed 2048-byte buffer, taken up to its first NUL.
bool ReadSteamExecutable(std::wstring& path) {
    wchar_t buffer[1024 + 1] = {};  // one more than the size given, so the text always ends
    DWORD size = 1024 * sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamExe",
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer,
                     &size) != ERROR_SUCCESS) {
        return false;
    }
    path = buffer;
    return true;
}

std::int64_t LastWriteSeconds(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) return 0;
    return SecondsSince1970(attributes.ftLastWriteTime);
}

}  // namespace

bool ReadSteamInfo(SteamInfo& steam) {
    std::wstring executable;
    if (!ReadSteamExecutable(executable)) return false;
    const bool versionRead = ReadFileVersion(executable, steam.version);
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    steam.ageDays = DaysBetween(LastWriteSeconds(executable), SecondsSince1970(now));
    return versionRead;
}

std::int64_t DaysBetween(std::int64_t fromSeconds, std::int64_t toSeconds) {
    return (toSeconds - fromSeconds) / kSecondsPerDay;
}
