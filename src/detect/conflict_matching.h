#pragma once
// The scan's rules, applied to what the walk of the running processes found: which
// processes have their modules matched against which table, and how findings add up.
#include <vector>

#include "detect/scan_results.h"
#include "knowledge/signature_tables.h"

// The module table for a process of this lower-case file name, or null when its modules
// are not scanned.
const SignatureTable* ModuleTableFor(const std::wstring& fileNameLower);

// Adds each module path that matches a row of the table to that row's key.
void RecordModuleFindings(const std::vector<ModuleInfo>& modules, const SignatureTable& table,
                          DetectedApps& detected);

// Fills the maps, which start empty, from the processes in enumeration order. A process
// finding replaces its key's paths with the queried image path, module findings add to
// theirs, and a process's own findings come before its modules'. Of processes sharing a
// name the last is kept whole.
void MatchScannedProcesses(std::vector<ScannedProcess> scanned, RunningProcesses& processes,
                           DetectedApps& detected);
