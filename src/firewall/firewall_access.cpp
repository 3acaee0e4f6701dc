#include "firewall/firewall_access.h"

#include "firewall/firewall_check.h"

namespace {

constexpr size_t kGrantedRulesForAccess = 4;

}  // namespace

void ReadFirewallAccess(FirewallStatus& status, const FirewallPlatform& platform) {
    const bool answer = CheckFirewall(status.readResult, status.errorText, false,
                                      &status.interferingRules, &status.grantedRules, platform);
    status.hasAccess = answer && status.grantedRules.size() >= kGrantedRulesForAccess;
}

void RepairFirewallAccess(FirewallStatus& status, const FirewallPlatform& platform) {
    CheckFirewall(status.readResult, status.errorText, true, &status.interferingRules,
                  &status.grantedRules, platform);
    status.interferingRules.clear();
    status.grantedRules.clear();
    status.hasAccess = CheckFirewall(status.readResult, status.errorText, false,
                                     &status.interferingRules, &status.grantedRules, platform);
}
