#include "detect/conflict_detection.h"

#include <iterator>
#include <optional>
#include <utility>

#include "detect/conflict_matching.h"
#include "detect/process_walk.h"

bool ScanProcessModules(std::uint32_t processId, const SignatureTable& table,
                        DetectedApps& detected, std::vector<ModuleInfo>& modules) {
    std::vector<ModuleInfo> listed;
    const bool found = ListProcessModules(processId, listed);
    RecordModuleFindings(listed, table, detected);
    modules.insert(modules.end(), std::make_move_iterator(listed.begin()),
                   std::make_move_iterator(listed.end()));
    return found;
}

bool DetectConflicts(RunningProcesses& processes, DetectedApps& detected) {
    processes.clear();
    detected.clear();
    std::optional<std::vector<ScannedProcess>> scanned = WalkProcesses();
    if (!scanned) return false;
    MatchScannedProcesses(std::move(*scanned), processes, detected);
    return true;
}
