#include "crash/crash_dump_contents.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <gtest/gtest.h>

#include "support/scoped_registry_key.h"

namespace {

const std::wstring kBaseName = sizeof(void*) == 8 ? L"sysprobe64" : L"sysprobe32";

}  // namespace

TEST(FormatDumpPath, NamesTheDumpByBuildVersionAndUtcTime) {
    SYSTEMTIME utc = {};
    utc.wYear = 2021;
    utc.wMonth = 5;
    utc.wDay = 2;
    utc.wHour = 14;
    utc.wMinute = 3;
    utc.wSecond = 9;
    DumpPath path = {};
    FormatDumpPath(path, L"C:\\Apps\\Vistora", utc);
    EXPECT_EQ(std::wstring(path),
              L"C:\\Apps\\Vistora\\" + kBaseName + L"_2_8_42V_2021-05-02T14_03_09Z.mdmp");

    // A working directory that could not be read leaves the name at the root.
    DumpPath noDirectory = {};
    FormatDumpPath(noDirectory, L"", utc);
    EXPECT_EQ(std::wstring(noDirectory), L"\\" + kBaseName + L"_2_8_42V_2021-05-02T14_03_09Z.mdmp");

    // A directory that fills the buffer cuts the name, never the buffer's end.
    const std::wstring deep(kDumpPathCapacity - 10, L'd');
    DumpPath cut = {};
    FormatDumpPath(cut, deep.c_str(), utc);
    EXPECT_EQ(std::wstring(cut), deep + (L"\\" + kBaseName).substr(0, 9));
}

TEST(BuildAnnotationStream, WritesKeyAndValueLinesWithinTheBuffer) {
    struct Case {
        std::unordered_map<std::string, std::string> annotations;
        std::string expected;
    };
    const Case cases[] = {
        {{}, ""},
        {{{"scene", "rain"}}, "scene\nrain\n"},
        {{{"long", std::string(600, 'v')}}, "long\n" + std::string(kAnnotationStreamCapacity - 6, 'v')},
    };
    for (const auto& c : cases) {
        AnnotationStream stream = {};
        EXPECT_EQ(BuildAnnotationStream(stream, c.annotations), c.expected.size() + 1);
        EXPECT_EQ(std::string(stream), c.expected);
    }
}

TEST(BuildEnvironmentStream, ListsSteamUsersWhenTheKeyExistsThenTheWindowsVersion) {
    const std::wstring usersKey = L"Software\\Valve\\Steam\\Users";
    ASSERT_FALSE(RegistryKeyExists(usersKey)) << "the test prefix has Steam users left over";
    EnvironmentStream plain = {};
    EXPECT_EQ(BuildEnvironmentStream(plain), 18u);
    EXPECT_EQ(std::string(plain), "[environment]\n10\n");

    const ScopedRegistryKey first(usersKey + L"\\111");
    const ScopedRegistryKey second(usersKey + L"\\222");
    EnvironmentStream withUsers = {};
    BuildEnvironmentStream(withUsers);
    EXPECT_EQ(std::string(withUsers), "[steamusers]\n111\n222\n[environment]\n10\n");

    // Many users: whole lines only, as many as leave room for the environment block.
    struct Case { std::size_t nameLength, fitting; };
    const Case cases[] = {
        {30, 7},   // the seventh line fills the stream to its last byte
        {108, 1},  // a second line would take the byte of the terminator
    };
    for (const auto& c : cases) {
        std::vector<std::unique_ptr<ScopedRegistryKey>> many;
        std::string listed;
        for (std::size_t i = 0; i < c.fitting + 3; ++i) {
            const std::string name = std::string(c.nameLength - 4, '7') + std::to_string(1000 + i);
            many.push_back(std::make_unique<ScopedRegistryKey>(
                usersKey + L"\\" + std::wstring(name.begin(), name.end())));
            if (i < c.fitting) listed += name + "\n";
        }
        EnvironmentStream full = {};
        const std::string expected = "[steamusers]\n111\n222\n" + listed + "[environment]\n10\n";
        EXPECT_EQ(BuildEnvironmentStream(full), expected.size() + 1) << c.nameLength;
        EXPECT_EQ(std::string(full), expected) << c.nameLength;
    }
}
