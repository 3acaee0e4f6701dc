#pragma once
// A registry key of the current user made for one test, and with it any missing parents;
// what it made is deleted again when the owner goes away.
#include <string>

#include <windows.h>

#include "text/win_handles.h"

inline bool RegistryKeyExists(const std::wstring& path) {
    return static_cast<bool>(OpenRegistryKey(HKEY_CURRENT_USER, path.c_str(), KEY_READ));
}

class ScopedRegistryKey {
public:
    explicit ScopedRegistryKey(const std::wstring& path) {
        // The outermost missing key is the one to delete afterwards.
        for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
            const std::wstring prefix = path.substr(0, end);
            if (!RegistryKeyExists(prefix)) {
                created_ = prefix;
                break;
            }
            if (end == std::wstring::npos) break;
        }
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        const UniqueRegistryKey created(key);  // null when it could not be made
    }
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;
    ~ScopedRegistryKey() {
        if (!created_.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, created_.c_str());
    }

private:
    std::wstring created_;
};

