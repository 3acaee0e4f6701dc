#pragma once
// Sets one registry value for the lifetime of the owner and then puts back what was there
// before (or removes the value if there was none), so tests leave the prefix as they
// found it.
#include <string>
#include <vector>

#include <windows.h>

#include "text/win_handles.h"

class ScopedRegistryValue {
public:
    // view: 0, or KEY_WOW64_64KEY / KEY_WOW64_32KEY to pick a registry view.
    ScopedRegistryValue(HKEY root, std::wstring subkey, std::wstring name, REGSAM view = 0)
        : root_(root), subkey_(std::move(subkey)), name_(std::move(name)), view_(view) {
        const UniqueRegistryKey key = Open(KEY_QUERY_VALUE);
        DWORD size = 0;
        if (key && RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type_, nullptr, &size) ==
                       ERROR_SUCCESS) {
            previous_.resize(size);
            existed_ = RegQueryValueExW(key.get(), name_.c_str(), nullptr, &type_,
                                        previous_.data(), &size) == ERROR_SUCCESS;
            previous_.resize(size);
        }
    }
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
    ~ScopedRegistryValue() {
        if (existed_) {
            Write(type_, previous_.data(), static_cast<DWORD>(previous_.size()));
        } else if (const UniqueRegistryKey key = Open(KEY_SET_VALUE)) {
            RegDeleteValueW(key.get(), name_.c_str());
        }
    }

    bool SetString(const std::wstring& text) {
        return Write(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    UniqueRegistryKey Open(REGSAM access) const {
        return OpenRegistryKey(root_, subkey_.c_str(), access | view_);
    }

    bool Write(DWORD type, const void* data, DWORD size) const {
        HKEY created = nullptr;
        if (RegCreateKeyExW(root_, subkey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_, nullptr,
                            &created, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const UniqueRegistryKey key(created);
        return RegSetValueExW(key.get(), name_.c_str(), 0, type, static_cast<const BYTE*>(data),
                              size) == ERROR_SUCCESS;
    }

    HKEY root_;
    std::wstring subkey_, name_;
    REGSAM view_;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> previous_;
    bool existed_ = false;
};
