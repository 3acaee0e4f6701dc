#include "collectors/probe_folder.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "support/written_files.h"
#include "text/win_handles.h"

namespace fs = std::filesystem;

// Read back from the folder itself. Wine keeps no access lists of files but derives one
// from the Unix permissions it sets for them, so the test asks what matters: that nobody
// else is let in, and that the folder is new and empty.
TEST(CreateProbeFolder, LetsInOnlyTheAdministratorsTheSystemAndTheUser) {
    const fs::path folder = CreateProbeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_empty(folder));
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &acl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const UniqueLocalMemory<void> owned(descriptor);
    ASSERT_NE(acl, nullptr) << "a null access list lets everyone in";

    HANDLE opened = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened));
    const UniqueHandle token{opened};
    unsigned char user[256] = {};
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size));
    const PSID userSid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
    EXPECT_GT(acl->AceCount, 0);
    for (DWORD index = 0; index < acl->AceCount; ++index) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, index, reinterpret_cast<void**>(&ace)));
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        const PSID sid = &ace->SidStart;
        wchar_t* text = nullptr;
        ConvertSidToStringSidW(sid, &text);
        const UniqueLocalMemory<wchar_t> ownedText(text);
        EXPECT_TRUE(EqualSid(sid, userSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
                    IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
            << "let in: " << (text ? text : L"?");
    }
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

// Folders the test run prepared with Unix symbolic links in them (see CMakeLists.txt).
TEST(RemoveProbeFolder, DeletesOnlyItsOwnFilesAndNeverFollowsALink) {
    const fs::path base = LINKED_PROBE_DIR;
    const fs::path dumps = base / L"dumps";
    const std::wstring dump = L"sysprobe32_2_8_42V_2026-12-11T10_00_00Z.mdmp";

    const ProbeFolderLeftovers a =
        RemoveProbeFolder(base / L"a", L"sysprobeloader32.txt", dumps);
    EXPECT_FALSE(fs::exists(base / L"a" / L"sysprobeloader32.txt"));
    ASSERT_EQ(a.movedDumps, std::vector<fs::path>{dumps / dump});
    EXPECT_EQ(ReadBytes(dumps / dump), "dump\n");
    EXPECT_EQ(a.keptNames, std::vector<std::wstring>{L"planted"});
    EXPECT_TRUE(fs::exists(base / L"a" / L"planted"));

    const ProbeFolderLeftovers b =
        RemoveProbeFolder(base / L"b", L"sysprobeloader32.txt", dumps);
    EXPECT_TRUE(b.movedDumps.empty());
    EXPECT_EQ(b.keptNames, std::vector<std::wstring>{L"sysprobeloader32.txt"});
    EXPECT_FALSE(IsProbeFile(base / L"b", L"sysprobeloader32.txt"));

    EXPECT_EQ(ReadBytes(base / L"target" / L"kept.txt"), "kept\n");
}
