// The check against the firewall objects Wine really provides.
#include "firewall/firewall_access.h"

#include <gtest/gtest.h>

#include "text/case_folding.h"

TEST(ReadFirewallAccess, DegradesWithWinesFirewallObjects) {
    const FirewallPlatform platform = SystemFirewallPlatform();
    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    EXPECT_EQ(ToLowerAscii(platform.automationLibrary.wstring()),
              ToLowerAscii(std::wstring(systemFolder) + L"\\oleaut32.dll"));

    FirewallStatus status;
    ReadFirewallAccess(status);
    // Wine's objects answer the first questions and then E_NOTIMPL: the rule walk and the
    // authorized-application walk end with their lines, and there is no access.
    EXPECT_FALSE(status.hasAccess);
    EXPECT_EQ(status.errorText,
              "get_CurrentProfileTypes failed: 0x80004001\n"
              "get__NewEnum failed: 0x80004001\n"
              "WindowsFirewallAppIsEnabled failed: 0x80004001\n");
    EXPECT_EQ(status.readResult, E_NOTIMPL);
    EXPECT_TRUE(status.grantedRules.empty());
    EXPECT_TRUE(status.interferingRules.empty());
}
