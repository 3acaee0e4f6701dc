#pragma once
// The body of the full log's firewall section.
#include <string>

#include "firewall/firewall_status.h"

// "Has firewall access: ", "Firewall read result: " with the error text, then the granted
// and the interfering rules, one line each, with their profile masks cut to the domain,
// private and public bits.
std::string FormatFirewallReport(const FirewallStatus& status);
