#pragma once
// A fresh folder under the user's temporary folder, removed with everything in it when
// the owner goes away. Optionally the current directory while it lives.
#include <filesystem>
#include <string>

#include <windows.h>

#include "support/remove_tree.h"

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, base);
        for (unsigned attempt = 0;; ++attempt) {
            path_ = std::filesystem::path(base) /
                    (L"sysprobe-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        if (!previousDirectory_.empty()) SetCurrentDirectoryW(previousDirectory_.c_str());
        RemoveTree(path_.wstring());
    }

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

    // Makes a folder below this one (and its parents) the current directory until the
    // owner goes away.
    void EnterSubfolder(const std::filesystem::path& relative) {
        const std::filesystem::path target = path_ / relative;
        std::filesystem::create_directories(target);
        if (previousDirectory_.empty()) previousDirectory_ = std::filesystem::current_path();
        SetCurrentDirectoryW(target.c_str());
    }

private:
    std::filesystem::path path_;
    std::filesystem::path previousDirectory_;
};
