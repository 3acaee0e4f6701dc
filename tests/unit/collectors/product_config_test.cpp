#include "collectors/product_config.h"


#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "support/written_files.h"

namespace {

const std::filesystem::path kFixtures = std::filesystem::path(FIXTURE_DIR) / L"config";

// Runs the dump with the tool in "<product>\tools" and the fixture as "<product>\config.json".
std::string DumpFixture(const std::wstring& fixture) {
    TempFolder product;
    product.EnterSubfolder(L"tools");
    if (!fixture.empty()) std::filesystem::copy_file(kFixtures / fixture, product / L"config.json");
    return DumpProductConfig();
}

}  // namespace

TEST(DumpProductConfig, PrintsTheProfilesOfAFixture) {
    struct Case { std::wstring fixture, expected; };
    const Case cases[] = {
        {L"profile_parts.json", L"profile_parts.expected.txt"},
        {L"profile_parts_crlf.json", L"profile_parts.expected.txt"},
        {L"virtual_desktops.json", L"virtual_desktops.expected.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DumpFixture(c.fixture), ReadBytes(kFixtures / c.expected))
            << std::filesystem::path(c.fixture).string();
    }
}

TEST(DumpProductConfig, FallsBackToPlaceholders) {
    struct Case { std::wstring fixture; std::string expected; };
    const Case cases[] = {
        {L"", "< Config file missing >"},
        {L"empty.json", "< Config file empty >"},
        {L"syntax_error.json",
         "< Error parsing config: * Line 1, Column 7\n"
         "  Syntax error: value, object or array expected.\n >"},
        {L"scalar.json", "< Error parsing config:  >"},
        {L"array.json", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DumpFixture(c.fixture), c.expected) << std::filesystem::path(c.fixture).string();
    }
}

TEST(DumpProductConfig, TakesAFolderNamedLikeTheFileForAMissingFile) {
    TempFolder product;
    product.EnterSubfolder(L"tools");
    std::filesystem::create_directory(product / L"config.json");
    EXPECT_EQ(DumpProductConfig(), "< Config file missing >");
}
