#pragma once
// One block of the full log: every module loaded into one scanned process.
#include <optional>
#include <string>

#include "collectors/log_section.h"
#include "detect/scan_results.h"

// The section for the process stored under exactly this lower-case file name; none when
// no such process runs.
std::optional<LogSection> ModuleListingSection(const RunningProcesses& processes,
                                               const std::wstring& fileName);
