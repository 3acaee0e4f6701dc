#include "text/system_library.h"

#include <string>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "text/case_folding.h"

TEST(LoadSystemLibrary, LoadsFromTheSystemFolderOnly) {
    // A file of the same name in the current directory must not be taken.
    TempFolder folder;
    folder.EnterSubfolder(L"cwd");
    CopyFileW(L"C:\\windows\\system32\\kernel32.dll", (folder / L"cwd\\msftedit.dll").c_str(), FALSE);

    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    const HMODULE library = LoadSystemLibrary(L"Msftedit.dll");
    ASSERT_NE(library, nullptr);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(library, loaded, MAX_PATH);
    EXPECT_EQ(ToLowerAscii(std::wstring(loaded)),
              ToLowerAscii(std::wstring(systemFolder) + L"\\msftedit.dll"));
    FreeLibrary(library);

    EXPECT_EQ(LoadSystemLibrary(L"no-such-library.dll"), nullptr);
    EXPECT_EQ(FindExport<FARPROC>(GetModuleHandleW(L"kernel32.dll"), "NoSuchExport"), nullptr);
}
