#include "detect/conflict_detection.h"

#include <optional>
#include <utility>

#include "detect/conflict_matching.h"
#include "detect/process_walk.h"

bool DetectConflicts(RunningProcesses& processes, DetectedApps& detected) {
    processes.clear();
    detected.clear();
    std::optional<std::vector<ScannedProcess>> scanned = WalkProcesses();
    if (!scanned) return false;
    MatchScannedProcesses(std::move(*scanned), processes, detected);
    return true;
}
