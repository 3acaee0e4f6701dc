#pragma once
// The scan for conflicting software: every running process is matched by name and path,
// and the modules of the product's executables, of Explorer and of rundll32 hosts are
// matched by path.
#include "detect/scan_results.h"

// Fills both maps from scratch. False only when the process snapshot cannot be taken.
bool DetectConflicts(RunningProcesses& processes, DetectedApps& detected);
