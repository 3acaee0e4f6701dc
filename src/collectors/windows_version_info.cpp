#include "collectors/windows_version_info.h"

#include <utility>

#include <windows.h>

#include "text/case_folding.h"
#include "text/control_characters.h"
#include "text/win_handles.h"

namespace {

bool IsShown(const RegistryStringValue& value) {
    // The owner is a person's name, which has no place in a log that is shared.
    return !value.name.empty() && value.plainString && !value.data.empty() &&
           ToLowerAscii(value.name) != L"registeredowner";
}

}  // namespace

std::wstring FormatWindowsVersionValues(const std::vector<RegistryStringValue>& values) {
    std::wstring text;
    for (const RegistryStringValue& value : values) {
        if (IsShown(value)) text += EscapeControlCharacters(value.name) + L": " + EscapeControlCharacters(value.data) + L"\n";
    }
    return text;
}

std::wstring ReadWindowsVersionValues() {
    const UniqueRegistryKey key = OpenRegistryKey(
        HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
        KEY_READ | KEY_WOW64_64KEY);
    if (!key) return {};
    DWORD count = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<RegistryStringValue> values;
    for (DWORD index = 0; index < count; ++index) {
        // Values too long for these buffers fail to enumerate and are left out.
        wchar_t name[1024] = {};
        DWORD nameLength = 1024;
        wchar_t data[512 + 1] = {};  // one more than the 1024 bytes given, so the text ends
        DWORD dataSize = 512 * sizeof(wchar_t);
        DWORD type = REG_NONE;
        if (RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data), &dataSize) == ERROR_SUCCESS) {
            values.push_back({name, type == REG_SZ, dataSize > 0 ? data : L""});
        }
    }
    return FormatWindowsVersionValues(values);
}

std::optional<LogSection> WindowsVersionSection() {
    std::wstring values = ReadWindowsVersionValues();
    if (values.empty()) return std::nullopt;
    return LogSection{L"Windows version info", std::move(values)};
}
