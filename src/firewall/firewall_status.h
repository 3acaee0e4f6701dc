#pragma once
// The firewall answer that start-up keeps, the Results dialog reads and "Fix Firewall"
// renews, and the rules it reports.
#include <cstdint>
#include <string>
#include <vector>

// One reported rule. Port rules carry "(none)" as application and empty protocol and
// direction; application rules carry "(none)" as ports.
struct FirewallRuleRecord {
    std::string kind;  // "port" or "application"
    std::wstring ports;
    std::wstring name;
    std::wstring application;  // the path as Windows Firewall stores it
    std::string protocol;      // "TCP", "UDP" or "?"
    std::string direction;     // "in" or "out"
    std::uint32_t profiles = 0;
};
using FirewallRuleRecords = std::vector<FirewallRuleRecord>;

struct FirewallStatus {
    bool hasAccess = false;
    long readResult = 0;    // the HRESULT of the last step the check ran
    std::string errorText;  // failure lines of every check, never cleared
    FirewallRuleRecords interferingRules;
    FirewallRuleRecords grantedRules;
};
