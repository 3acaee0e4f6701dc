#pragma once
// One block of the full log: every module loaded into one scanned process.
#include <ostream>
#include <string>

#include "detect/scan_results.h"

// Writes the block for the process stored under exactly this lower-case file name;
// writes nothing when no such process runs. Leaves the stream formatting decimal.
void WriteModuleListing(std::wostream& stream, const RunningProcesses& processes,
                        const std::wstring& fileName);
