#pragma once
// Whether Windows Firewall lets the UI program use the network, and its repair.
#include <string>

#include "firewall/firewall_platform.h"
#include "firewall/firewall_status.h"

// Asks the legacy firewall manager whether the UI program is an enabled authorized
// application and walks the rules, appending the interfering and the granting ones to the
// lists given (either may be null; neither is cleared). With repair it removes the
// interfering rules and adds the missing "Vistora UI" rules. The answer is false whenever
// an interfering rule was listed. readResult gets the status of the last step run;
// failures append lines to errorText. Never shows anything.
bool CheckFirewall(long& readResult, std::string& errorText, bool repair,
                   FirewallRuleRecords* interfering, FirewallRuleRecords* granted,
                   const FirewallPlatform& platform = SystemFirewallPlatform());
