#pragma once
// The scan for conflicting software: every running process is matched by name and path,
// and the modules of the product's executables, of Explorer and of rundll32 hosts are
// matched by path.
#include <cstdint>
#include <vector>

#include "detect/scan_results.h"
#include "knowledge/signature_tables.h"

// Fills both maps from scratch. False only when the process snapshot cannot be taken.
bool DetectConflicts(RunningProcesses& processes, DetectedApps& detected);

// Appends the process's modules to the list and adds every module path that matches a
// row of the table to that row's key. False when no module snapshot could be taken or it
// was empty.
bool ScanProcessModules(std::uint32_t processId, const SignatureTable& table,
                        DetectedApps& detected, std::vector<ModuleInfo>& modules);
