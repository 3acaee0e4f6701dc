#include "app/faq_address.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "locale/locale_settings.h"
#include "support/temp_folder.h"
#include "text/text_file.h"

namespace {

const std::wstring kBuiltIn = L"https://www.vistora.app/faq";

}  // namespace

TEST(FaqAddressToOpen, OpensOnlyWebAddressesFromTheLocaleFiles) {
    struct Case { std::wstring localeValue, opened; };
    const Case cases[] = {
        {L"https://help.example.com/faq?lang=de", L"https://help.example.com/faq?lang=de"},
        {L"HTTP://Example.com/FAQ", L"HTTP://Example.com/FAQ"},
        {L"var_url_faq", kBuiltIn},  // the key itself: no locale file had it
        {L"", kBuiltIn},
        {L"C:\\Windows\\System32\\cmd.exe", kBuiltIn},
        {L"calc.exe", kBuiltIn},
        {L"file:///C:/Windows/System32/cmd.exe", kBuiltIn},
        {L" https://example.com", kBuiltIn},
        {L"https:/example.com", kBuiltIn},
        {L"httpx://example.com", kBuiltIn},
        {L"\\\\server\\share\\https://x.exe", kBuiltIn},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FaqAddressToOpen(c.localeValue), c.opened) << c.localeValue;
    }
}

TEST(FaqAddressFromLocale, ReadsTheLocaleFileOfTheInstallation) {
    struct Case { const char* what; std::string file; std::wstring opened; };
    const Case cases[] = {
        {"no locale file", "", kBuiltIn},
        {"a web address", R"({"var_url_faq": "https://www.vistora.app/en-us/faq"})",
         L"https://www.vistora.app/en-us/faq"},
        {"a program", R"({"var_url_faq": "C:\\Windows\\System32\\cmd.exe"})", kBuiltIn},
    };
    for (const auto& c : cases) {
        TempFolder installation;
        if (!c.file.empty()) {
            std::filesystem::create_directories(installation / L"locale");
            ASSERT_TRUE(WriteTextFile(installation / L"locale\\var_en-us.json", c.file));
        }
        installation.EnterSubfolder(L"tools");
        EXPECT_EQ(FaqAddressFromLocale(), c.opened) << c.what;
        ResetLocaleTable();
    }
}
