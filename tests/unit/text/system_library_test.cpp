#include "text/system_library.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/built_files.h"
#include "support/fixture_process.h"
#include "support/scoped_environment_variable.h"
#include "support/temp_folder.h"
#include "text/case_folding.h"
#include "text/encoding.h"
#include "text/text_file.h"

namespace {

constexpr wchar_t kDllOverrides[] = L"WINEDLLOVERRIDES";

std::filesystem::path OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::string LoadedPath(HMODULE library) {
    if (!library) return "(not loaded)";
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(library, path, MAX_PATH);
    return WideToUtf8(ToLowerAscii(std::wstring(path)));
}

// Wine's DLL overrides of this process's environment with the entry added.
std::wstring WithDllOverride(const std::wstring& entry) {
    const std::optional<std::wstring> previous = ScopedEnvironmentVariable::Value(kDllOverrides);
    return previous ? *previous + L";" + entry : entry;
}

}  // namespace

// The program's own folder comes first in the search order, so that is where a planted copy
// would be taken. The test runs a copy of this program beside one; the copy, seeing it,
// writes down which files the loads took.
TEST(LoadSystemLibrary, IgnoresACopyBesideTheProgram) {
    const std::filesystem::path self = OwnPath();
    const std::filesystem::path report = self.parent_path() / L"loads.txt";
    if (std::filesystem::exists(self.parent_path() / L"Msftedit.dll")) {
        const HMODULE system = LoadSystemLibrary(L"Msftedit.dll");
        std::string loads = LoadedPath(system) + "\n";
        if (system) FreeLibrary(system);
        // What a load by the bare name takes here: the planted copy, or this test proves
        // nothing.
        const HMODULE byName = LoadLibraryW(L"Msftedit.dll");
        loads += LoadedPath(byName) + "\n";
        if (byName) FreeLibrary(byName);
        ASSERT_TRUE(WriteTextFile(report, loads));
        return;
    }

    TempFolder folder;
    const std::filesystem::path copy = folder / L"text_tests.exe";
    ASSERT_TRUE(CopyFileW(self.c_str(), copy.c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(BuiltFile(PLANTED_MODULE).c_str(), (folder / L"Msftedit.dll").c_str(),
                          TRUE));
    // Wine prefers its built-in msftedit to a file beside the program; Windows takes the file.
    // The copy started next inherits it.
    const ScopedEnvironmentVariable nativeFirst(kDllOverrides, WithDllOverride(L"msftedit=n,b"));
    FixtureProcess child(copy, L"--gtest_filter=LoadSystemLibrary.IgnoresACopyBesideTheProgram");
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.WaitForExit(std::chrono::seconds(120)), std::optional<DWORD>(0));

    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    const std::string systemCopy = WideToUtf8(ToLowerAscii(std::wstring(systemFolder))) +
                                   "\\msftedit.dll";
    const std::string plantedCopy = WideToUtf8(ToLowerAscii(folder.Path().wstring())) +
                                    "\\msftedit.dll";
    EXPECT_EQ(ReadTextFile(folder / L"loads.txt"), systemCopy + "\n" + plantedCopy + "\n");
}

TEST(LoadSystemLibrary, GivesNullForMissingLibrariesAndExports) {
    EXPECT_EQ(LoadSystemLibrary(L"no-such-library.dll"), nullptr);
    EXPECT_EQ(FindExport<FARPROC>(GetModuleHandleW(L"kernel32.dll"), "NoSuchExport"), nullptr);
}
