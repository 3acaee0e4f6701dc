#pragma once
// The walk of the running processes: what Toolhelp and the processes themselves tell,
// recorded as it comes, with nothing matched yet.
#include <cstdint>
#include <optional>
#include <vector>

#include "detect/scan_results.h"

// Every process of the process snapshot in enumeration order, with its modules where
// ModuleTableFor names a table for it; nothing when no process snapshot could be taken.
std::optional<std::vector<ScannedProcess>> WalkProcesses();

// Appends the process's modules in snapshot order. False when no module snapshot could be
// taken or it was empty.
bool ListProcessModules(std::uint32_t processId, std::vector<ModuleInfo>& modules);
