#include "collectors/steam_section.h"

#include <fstream>

#include <gtest/gtest.h>

#include "support/section_text.h"
#include "support/steam_registry.h"
#include "support/temp_folder.h"

namespace {

const std::wstring kHeading =
    L"Steam info\n============================================================\n";

}  // namespace

TEST(FormatSteamSection, DescribesTheWorkshopCache) {
    struct Case { std::string cache; std::wstring line; };
    const Case cases[] = {
        {"", L"Workshop cache empty\n"},
        {R"({"user": 76561197960265729})", L"Workshop cache last user: 76561197960265729\n"},
        {R"({"user": 18446744073709551615})", L"Workshop cache last user: 18446744073709551615\n"},
        {R"({"user": 1.2e3})", L"Workshop cache last user: 1200\n"},
        {R"({"user": "12345"})", L"Workshop cache user missing\n"},
        {R"({"user": -1})", L"Workshop cache user missing\n"},
        {R"({"user": 1.5})", L"Workshop cache user missing\n"},
        {R"({"name": 7})", L"Workshop cache user missing\n"},
        {R"([{"user": 7}])", L"Workshop cache invalid\n"},
        {R"({"user": )", L"Workshop cache invalid\n"},
        {"7", L"Workshop cache invalid\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SectionText(FormatSteamSection({{"7.1.2.3", 12}, c.cache, std::nullopt})),
                  kHeading + L"Version: 7.1.2.3\n.exe days old: 12\n" + c.line + L"\n\n")
            << c.cache;
    }
}

TEST(FormatSteamSection, AddsAccountNumbersToTheSteamIdOfAccountZero) {
    struct Case { std::vector<std::string> names; std::wstring line; };
    const Case cases[] = {
        {{}, L"Users: \n"},
        {{"0"}, L"Users: 76561197960265728, \n"},
        {{"1", "123456789"}, L"Users: 76561197960265729, 76561198083722517, \n"},
        {{"notanumber"}, L"Users: 76561197960265728, \n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SectionText(FormatSteamSection({{}, "", c.names})),
                  kHeading + L"Version: \n.exe days old: 0\nWorkshop cache empty\n" + c.line +
                      L"\n\n")
            << c.line;
    }
}

using SteamSectionTest = SteamRegistryTest;

TEST_F(SteamSectionTest, ReadsTheCacheAndTheUsersKey) {
    TempFolder product;
    product.EnterSubfolder(L"tools");
    std::filesystem::create_directory(product / L"bin");
    std::ofstream(product / L"bin" / L"workshopcache.json") << R"({"user": 42, "items": []})";
    CreateKey(std::wstring(kSteamKey) + L"\\Users\\10");
    CreateKey(std::wstring(kSteamKey) + L"\\Users\\200");

    EXPECT_EQ(SectionText(SteamSection({"1.2.3.4", 61})), kHeading +
                             L"Version: 1.2.3.4\n"
                             L".exe days old: 61\n"
                             L"Workshop cache last user: 42\n"
                             L"Users: 76561197960265738, 76561197960265928, \n"
                             L"\n\n");
}

TEST_F(SteamSectionTest, LeavesOutTheUsersLineWithoutTheKey) {
    TempFolder product;
    product.EnterSubfolder(L"tools");
    EXPECT_EQ(SectionText(SteamSection({})), kHeading + L"Version: \n.exe days old: 0\nWorkshop cache empty\n\n\n");
}
