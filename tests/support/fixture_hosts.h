#pragma once
// Fixture hosts started in numbers: copies of the host program and the fixture DLL under
// chosen names. (Hard links will not do: Wine takes two links of one file for one module.)
// The including target defines FIXTURE_HOST and FIXTURE_MODULE as the built files' Unix
// paths.
#include <filesystem>
#include <vector>

#include <windows.h>

#include "support/built_files.h"
#include "support/fixture_process.h"

// Copies the built file to the target path (making its folders) unless something is there.
// CopyFileW rather than std::filesystem, which cannot name UTF-16 that is not well formed.
inline void PlaceBuilt(const char* unixPath, const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    CopyFileW(BuiltFile(unixPath).c_str(), target.c_str(), TRUE);
}

// Starts a host at exe that loads fixture DLLs at the given paths, in the host's folder.
// Its record comes later (WaitForHostRecord), so that many hosts can start at once.
inline FixtureProcess LaunchHost(const std::filesystem::path& exe,
                                 const std::vector<std::filesystem::path>& dlls = {}) {
    PlaceBuilt(FIXTURE_HOST, exe);
    std::wstring arguments;
    for (const std::filesystem::path& dll : dlls) {
        PlaceBuilt(FIXTURE_MODULE, dll);
        arguments += L"\"" + dll.wstring() + L"\" ";
    }
    return FixtureProcess(exe, arguments, exe.parent_path());
}
