#include "log/log.h"
#include "log/log_settings.h"

#include <cstdlib>
#include <ctime>
#include <regex>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/temp_folder.h"
#include "support/written_files.h"

namespace {

// The C runtime's time zone while it lives: local time then differs from UTC even on a
// machine that runs in UTC.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone) {
        if (const char* previous = std::getenv("TZ")) previous_ = previous;
        _putenv(("TZ=" + zone).c_str());
        _tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
    ~ScopedTimeZone() {
        _putenv(("TZ=" + previous_).c_str());  // an empty value removes it
        _tzset();
    }

private:
    std::string previous_;
};

// Each case writes "log.txt" into its own current directory and leaves the settings off.
class LogFile : public ::testing::Test {
protected:
    void SetUp() override { folder.EnterSubfolder(L"cwd"); }
    void TearDown() override {
        SetLogSettings(0, false);
        SetLogLineCount(0);
    }
    std::string Written() const { return ReadBytes(folder / L"cwd\\log.txt"); }
    bool Exists() const { return std::filesystem::exists(folder / L"cwd\\log.txt"); }

    TempFolder folder;
};

}  // namespace

TEST_F(LogFile, NothingIsWrittenWithTheSettingsOff) {
    LogInfo("Failed loading locale: %s\n", "x");
    LogDebug("Created process: %s\n", "y");
    EXPECT_FALSE(Exists());

    SetLogSettings(2, false);  // a level alone does not write
    LogInfo("info\n");
    EXPECT_FALSE(Exists());
}

TEST_F(LogFile, LevelsGateTheEntryPoints) {
    SetLogSettings(1, true);
    LogDebug("debug at level 1\n");
    EXPECT_FALSE(Exists());
    LogInfo("info %d\n", 1);
    SetLogSettings(2, true);
    LogDebug("debug %s\n", "two");
    const std::string text = Written();
    EXPECT_NE(text.find(": info 1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(": debug two\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("level 1"), std::string::npos) << text;
}

TEST_F(LogFile, PrefixesUtcTimeAndThreadId) {
    const ScopedTimeZone fiveHoursAhead("XYZ-5");
    const std::time_t now = std::time(nullptr);
    std::tm local = {}, utc = {};
    localtime_s(&local, &now);
    gmtime_s(&utc, &now);
    ASSERT_NE(local.tm_hour, utc.tm_hour) << "local time is still UTC";

    SetLogSettings(1, true);
    const std::time_t before = std::time(nullptr);
    LogInfo("Failed parsing locale: %s\n", "ui_en.json");
    const std::time_t after = std::time(nullptr);

    const std::string text = Written();
    std::smatch match;
    const std::regex line(R"(^(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)Z, (\d+): (.*)\r\n$)");
    ASSERT_TRUE(std::regex_match(text, match, line)) << text;
    EXPECT_EQ(std::stoul(match[7]), GetCurrentThreadId());
    EXPECT_EQ(match[8], "Failed parsing locale: ui_en.json");

    std::tm written = {};
    written.tm_year = std::stoi(match[1]) - 1900;
    written.tm_mon = std::stoi(match[2]) - 1;
    written.tm_mday = std::stoi(match[3]);
    written.tm_hour = std::stoi(match[4]);
    written.tm_min = std::stoi(match[5]);
    written.tm_sec = std::stoi(match[6]);
    const std::time_t stamp = _mkgmtime(&written);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

TEST_F(LogFile, CutsLongMessagesTo16383Bytes) {
    SetLogSettings(1, true);
    LogInfo("%s", std::string(20000, 'm').c_str());
    const std::string text = Written();
    const size_t body = text.find(": ") + 2;
    EXPECT_EQ(text.size() - body, 16383u);
    EXPECT_EQ(text.find_first_not_of('m', body), std::string::npos);
}

TEST_F(LogFile, StopsAfter256001Messages) {
    SetLogSettings(1, true);
    SetLogLineCount(255999);
    LogInfo("message 256000\n");
    LogInfo("message 256001\n");
    LogInfo("message 256002\n");
    AppendLogLine("message 256003\n");
    const std::string text = Written();
    EXPECT_NE(text.find("message 256000"), std::string::npos);
    EXPECT_NE(text.find("message 256001"), std::string::npos);
    EXPECT_EQ(text.find("message 256002"), std::string::npos);
    EXPECT_EQ(text.find("message 256003"), std::string::npos);
}

TEST_F(LogFile, FailedOpenStillCountsTheMessage) {
    SetLogSettings(1, true);
    SetLogLineCount(256000);
    std::filesystem::create_directory(folder / L"cwd\\log.txt");  // cannot be opened as a file
    LogInfo("lost\n");
    std::filesystem::remove(folder / L"cwd\\log.txt");
    LogInfo("over the cap\n");
    EXPECT_FALSE(Exists());
}
