#pragma once
// The findings of the interactive start-up, handed to the Results dialog and the full log.
#include "collectors/steam_info.h"
#include "detect/scan_results.h"
#include "firewall/firewall_status.h"

struct ApplicationState {
    RunningProcesses runningProcesses;
    DetectedApps detectedApps;
    SteamInfo steam;
    bool steamOutdated = false;  // set by the Results dialog
    FirewallStatus firewall;
    // The 32-bit build on 64-bit Windows could not start its 64-bit sibling, so the modules
    // of 64-bit processes were out of its reach.
    bool modules64Unscanned = false;
};
