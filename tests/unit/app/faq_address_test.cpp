#include "app/faq_address.h"

#include <gtest/gtest.h>

TEST(FaqAddressToOpen, OpensOnlyWebAddressesFromTheLocaleFiles) {
    const std::wstring builtIn = L"https://www.vistora.app/faq";
    struct Case { std::wstring localeValue, opened; };
    const Case cases[] = {
        {L"https://help.example.com/faq?lang=de", L"https://help.example.com/faq?lang=de"},
        {L"HTTP://Example.com/FAQ", L"HTTP://Example.com/FAQ"},
        {L"var_url_faq", builtIn},  // the key itself: no locale file had it
        {L"", builtIn},
        {L"C:\\Windows\\System32\\cmd.exe", builtIn},
        {L"calc.exe", builtIn},
        {L"file:///C:/Windows/System32/cmd.exe", builtIn},
        {L" https://example.com", builtIn},
        {L"https:/example.com", builtIn},
        {L"httpx://example.com", builtIn},
        {L"\\\\server\\share\\https://x.exe", builtIn},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FaqAddressToOpen(c.localeValue), c.opened) << c.localeValue;
    }
}
