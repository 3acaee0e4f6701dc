#pragma once
// PLACEHOLDER until the firewall branch is merged.
struct FirewallStatus {
    bool hasAccess = false;
};
