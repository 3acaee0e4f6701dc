#pragma once
// A registry key of the current user made for one test, and with it any missing parents;
// what it made is deleted again when the owner goes away.
#include <string>

#include <windows.h>

class ScopedRegistryKey {
public:
    explicit ScopedRegistryKey(const std::wstring& path) {
        // The outermost missing key is the one to delete afterwards.
        for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
            const std::wstring prefix = path.substr(0, end);
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, prefix.c_str(), 0, KEY_READ, &key) !=
                ERROR_SUCCESS) {
                created_ = prefix;
                break;
            }
            RegCloseKey(key);
            if (end == std::wstring::npos) break;
        }
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
    }
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;
    ~ScopedRegistryKey() {
        if (!created_.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, created_.c_str());
    }

private:
    std::wstring created_;
};

inline bool RegistryKeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}
