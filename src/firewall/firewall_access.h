#pragma once
// The firewall answer as start-up and the "Fix Firewall" command keep it.
#include "firewall/firewall_platform.h"
#include "firewall/firewall_status.h"

// Start-up's check, without repair. Access needs the check's yes and at least four
// granted rules: a machine missing one of the four "Vistora UI" rules gets the offer to fix.
void ReadFirewallAccess(FirewallStatus& status,
                        const FirewallPlatform& platform = SystemFirewallPlatform());

// "Fix Firewall": repairs, then checks again from empty lists and stores that answer as it is.
void RepairFirewallAccess(FirewallStatus& status,
                          const FirewallPlatform& platform = SystemFirewallPlatform());
