#pragma once
// The findings of the interactive start-up, handed to the Results dialog and the full log.
#include <cstdint>
#include <string>

#include "detect/scan_results.h"
#include "firewall/firewall_status.h"

struct ApplicationState {
    RunningProcesses runningProcesses;
    DetectedApps detectedApps;
    std::string steamVersion;
    std::int64_t steamAgeDays = 0;
    bool steamOutdated = false;  // set by the Results dialog
    FirewallStatus firewall;
};
