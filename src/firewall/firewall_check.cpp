#include "firewall/firewall_check.h"

#include <cstdio>
#include <filesystem>

#include "firewall/firewall_steps.h"
#include "firewall/rule_classification.h"
#include "text/paths.h"
#include "text/win_handles.h"

namespace {

std::wstring UiProgramPath() {
    try {
        std::filesystem::path path = CurrentDirectory();
        AppendPath(path, std::wstring(kUiProgramName));
        return path.wstring();
    } catch (const std::filesystem::filesystem_error&) {
        // The check runs inside the dialog's command too, where nothing may throw; without
        // a current directory new rules name the bare file.
        return kUiProgramName;
    }
}

}  // namespace

bool FailedWithLine(std::string& errorText, const char* call, HRESULT status) {
    if (SUCCEEDED(status)) return false;
    char line[160];
    std::snprintf(line, sizeof line, "%s failed: 0x%08lx\n", call,
                  static_cast<unsigned long>(status));
    errorText += line;
    return true;
}

HRESULT WindowsFirewallInitialize(const FirewallPlatform& platform, ComPtr<INetFwProfile>& profile,
                                  std::string& errorText) {
    ComPtr<INetFwMgr> manager;
    HRESULT status =
        platform.createInstance(__uuidof(NetFwMgr), __uuidof(INetFwMgr), manager.PutVoid());
    if (FailedWithLine(errorText, "CoCreateInstance", status)) return status;
    ComPtr<INetFwPolicy> policy;
    status = manager->get_LocalPolicy(policy.Put());
    if (FailedWithLine(errorText, "get_LocalPolicy", status)) return status;
    status = policy->get_CurrentProfile(profile.Put());
    FailedWithLine(errorText, "get_CurrentProfile", status);
    return status;
}

bool CheckFirewall(long& readResult, std::string& errorText, bool repair,
                   FirewallRuleRecords* interfering, FirewallRuleRecords* granted,
                   const FirewallPlatform& platform) {
    const std::wstring uiProgramPath = UiProgramPath();
    const ComApartment apartment;
    if (apartment.Result() != RPC_E_CHANGED_MODE) {
        readResult = apartment.Result();
        if (FailedWithLine(errorText, "CoInitializeEx", readResult)) return false;
    }

    ComPtr<INetFwProfile> profile;
    readResult = WindowsFirewallInitialize(platform, profile, errorText);
    if (FailedWithLine(errorText, "WindowsFirewallInitialize", readResult)) return false;
    readResult =
        WindowsFirewallFixRules(platform, uiProgramPath, repair, interfering, granted, errorText);

    bool enabled = false;
    readResult = WindowsFirewallAppIsEnabled(platform, *profile.Get(), enabled, errorText);
    FailedWithLine(errorText, "WindowsFirewallAppIsEnabled", readResult);
    return enabled && !(interfering && !interfering->empty());
}
