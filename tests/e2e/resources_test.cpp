// The product executable's own resources, read from the built file as Windows reads them.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/built_files.h"
#include "text/win_handles.h"

namespace {

struct DataFile {
    DataFile()
        : module(LoadLibraryExW(BuiltFile(SYSPROBE_EXE).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    UniqueLibrary module;
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(
        reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

std::string ResourceText(HMODULE module, LPCWSTR type, LPCWSTR name) {
    HRSRC resource = FindResourceW(module, name, type);
    if (!resource) return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(data, SizeofResource(module, resource));
}

std::wstring VersionString(const std::vector<char>& block, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return {};
    }
    return std::wstring(value);
}

}  // namespace

TEST(ProductResources, OneManifestAskingForAdministratorRights) {
    DataFile file;
    ASSERT_TRUE(file.module);
    std::vector<ULONG_PTR> manifests;
    EnumResourceNamesW(file.module.get(), RT_MANIFEST, CollectName,
                       reinterpret_cast<LONG_PTR>(&manifests));
    ASSERT_EQ(manifests, std::vector<ULONG_PTR>{1});

    const std::string manifest = ResourceText(file.module.get(), RT_MANIFEST, MAKEINTRESOURCEW(1));
    for (const char* part : {
             R"(level="requireAdministrator" uiAccess="false")",
             ">true/PM</dpiAware>",
             R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10
         }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST(ProductResources, DialogTemplatesAndVersion) {
    DataFile file;
    ASSERT_TRUE(file.module);
    EXPECT_NE(FindResourceW(file.module.get(), MAKEINTRESOURCEW(119), RT_DIALOG), nullptr);
    EXPECT_NE(FindResourceW(file.module.get(), MAKEINTRESOURCEW(121), RT_DIALOG), nullptr);

    const std::wstring path = BuiltFile(SYSPROBE_EXE).wstring();
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Vistora System Diagnostics");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"2.8.42");
    const std::wstring expectedName = sizeof(void*) == 8 ? L"sysprobe64.exe" : L"sysprobe32.exe";
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), expectedName);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(8, 2));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, 42));
}
