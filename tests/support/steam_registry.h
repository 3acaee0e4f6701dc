#pragma once
// Base for every test that uses the Steam key under HKEY_CURRENT_USER. The key starts
// absent and is removed afterwards; a named mutex keeps test processes that run at the
// same time in the same prefix from meeting in it.
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "text/win_handles.h"

class SteamRegistryTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kSteamKey = L"Software\\Valve\\Steam";

    void SetUp() override {
        lock_.reset(CreateMutexW(nullptr, FALSE, L"Local\\sysprobe-tests-steam-registry"));
        ASSERT_TRUE(lock_);
        WaitForSingleObject(lock_.get(), INFINITE);
        RemoveSteamKey();
    }

    void TearDown() override {
        RemoveSteamKey();
        if (lock_) ReleaseMutex(lock_.get());
    }

    static void SetSteamValue(const std::wstring& subkey, const std::wstring& name,
                              const std::wstring& text) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), REG_SZ,
                                  text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    static void CreateKey(const std::wstring& subkey) {
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &created, nullptr),
                  ERROR_SUCCESS);
        UniqueRegistryKey key(created);
    }

private:
    static void RemoveSteamKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSteamKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kSteamKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Valve");  // only when nothing else is in it
    }

    UniqueHandle lock_;
};
