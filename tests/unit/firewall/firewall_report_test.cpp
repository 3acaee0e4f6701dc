#include "firewall/firewall_report.h"

#include <gtest/gtest.h>

TEST(FormatFirewallReport, WritesTheAnswerAndEveryRecord) {
    FirewallStatus both;
    both.hasAccess = false;
    both.readResult = static_cast<long>(0x80070005);
    both.errorText = "get_Rules failed: 0x80070005\n";
    both.grantedRules = {{"application", L"(none)", L"Vistora UI", L"C:\\V\u00e9\\vistoraui.exe",
                          "TCP", "in", 0x7FFFFFFF}};
    both.interferingRules = {
        {"port", L"7000-8000", L"Block", L"(none)", "", "", 0xA},
        {"application", L"(none)", L"Vistora UI", L"D:\\vistoraui.exe", "?", "out", 0x4}};

    FirewallStatus empty;
    empty.hasAccess = true;
    empty.readResult = 1;

    struct Case {
        const FirewallStatus& status;
        std::string text;
    };
    const Case cases[] = {
        {both,
         "Has firewall access: 0\n"
         "Firewall read result: -2147024891, get_Rules failed: 0x80070005\n\n"
         "Granted access rules:\n"
         "Vistora UI (application): C:\\V\xC3\xA9\\vistoraui.exe - in - TCP / (none) mask: 7\n"
         "Interfering rules:\n"
         "Block (port): (none) -  -  / 7000-8000 mask: 2\n"
         "Vistora UI (application): D:\\vistoraui.exe - out - ? / (none) mask: 4\n"},
        {empty, "Has firewall access: 1\nFirewall read result: 1, \n"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatFirewallReport(c.status), c.text);
}
