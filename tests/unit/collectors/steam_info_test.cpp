#include "collectors/steam_info.h"

#include <ctime>
#include <fstream>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/steam_registry.h"
#include "support/temp_folder.h"
#include "support/written_files.h"
#include "text/win_handles.h"

namespace {

// A copy of the stand-in client, the given days old.
std::filesystem::path InstallSteamClient(const TempFolder& folder, int daysOld) {
    const std::filesystem::path path = folder / L"steam.exe";
    std::filesystem::copy_file(STEAM_CLIENT_FIXTURE, path);
    EXPECT_TRUE(SetDaysOld(path, daysOld));
    return path;
}

}  // namespace

using ReadSteamInfoTest = SteamRegistryTest;

TEST_F(ReadSteamInfoTest, ReadsVersionAndAgeOfTheRegisteredClient) {
    // months: what the outdated notice says, or nothing when there is no notice.
    struct Case { int daysOld; const wchar_t* months; };
    const Case cases[] = {
        {0, nullptr}, {59, nullptr}, {60, L" over 2 months "}, {119, L" over 3 months "}};
    for (const auto& c : cases) {
        TempFolder folder;
        SetSteamValue(kSteamKey, L"SteamExe", InstallSteamClient(folder, c.daysOld).wstring());
        SteamInfo steam;
        EXPECT_TRUE(ReadSteamInfo(steam)) << c.daysOld;
        EXPECT_EQ(steam.version, "7.1.2.3");
        EXPECT_EQ(steam.ageDays, c.daysOld);
        EXPECT_EQ(IsSteamOutdated(steam.ageDays), c.months != nullptr) << c.daysOld;
        if (c.months) {
            EXPECT_NE(SteamOutdatedText(steam.ageDays).find(c.months), std::wstring::npos);
        }
    }
}

TEST_F(ReadSteamInfoTest, CountsAMissingClientAsWrittenIn1970) {
    TempFolder folder;
    SetSteamValue(kSteamKey, L"SteamExe", (folder / L"steam.exe").wstring());
    SteamInfo steam;
    EXPECT_FALSE(ReadSteamInfo(steam));
    EXPECT_EQ(steam.version, "");
    EXPECT_EQ(steam.ageDays, std::time(nullptr) / 86400);
    EXPECT_TRUE(IsSteamOutdated(steam.ageDays));
}

TEST_F(ReadSteamInfoTest, GivesTheAgeOfAClientWithoutVersion) {
    TempFolder folder;
    const std::filesystem::path path = folder / L"steam.exe";
    std::ofstream(path) << "not a program";
    EXPECT_TRUE(SetDaysOld(path, 75));
    SetSteamValue(kSteamKey, L"SteamExe", path.wstring());
    SteamInfo steam;
    EXPECT_FALSE(ReadSteamInfo(steam));
    EXPECT_EQ(steam.version, "");
    EXPECT_EQ(steam.ageDays, 75);
}

TEST_F(ReadSteamInfoTest, LeavesTheFactsAloneWithoutSteam) {
    // No key at all, then a key without "SteamExe", then one whose value is not a string.
    SteamInfo steam{"kept", 5};
    EXPECT_FALSE(ReadSteamInfo(steam));
    SetSteamValue(kSteamKey, L"SteamPath", L"C:\\Steam");
    EXPECT_FALSE(ReadSteamInfo(steam));
    const DWORD number = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSteamKey, L"SteamExe", REG_DWORD, &number,
                              sizeof(number)),
              ERROR_SUCCESS);
    EXPECT_FALSE(ReadSteamInfo(steam));
    EXPECT_EQ(steam.version, "kept");
    EXPECT_EQ(steam.ageDays, 5);
    EXPECT_FALSE(IsSteamOutdated(SteamInfo{}.ageDays));
}

TEST(DaysBetween, TruncatesTowardZero) {
    struct Case { std::int64_t from, to, days; };
    const Case cases[] = {
        {0, 86399, 0},
        {0, 86400, 1},
        {1000, 1000 + 60 * 86400 - 1, 59},
        {86400 * 3, 0, -3},
        {86400 * 3 - 1, 0, -2},  // a clock set back: negative ages truncate toward zero
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DaysBetween(c.from, c.to), c.days) << c.from << " " << c.to;
    }
}

TEST(SteamOutdatedText, NamesWholeMonthsOfThirtyDays) {
    EXPECT_EQ(SteamOutdatedText(60),
              L"It looks like your Steam client is over 2 months old and possibly out of date. "
              L"Vistora may not work properly and may not be able to connect to Steam. If you "
              L"experience such issues, please update your Steam client or reinstall Steam to fix "
              L"it.");
    EXPECT_NE(SteamOutdatedText(20000).find(L" over 666 months "), std::wstring::npos);
}
