#pragma once
// Runs the collectors of the full log's sections for one save.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/full_log.h"

// Vistora's own log files under the product folder, in the log's order; all of them missing
// when the folder is not known.
std::vector<ProductLogFile> ReadProductLogFiles(
    const std::optional<std::filesystem::path>& productDirectory);

// Every section text but the dependency report and the DxDiag report, which the save
// captures while dxdiag runs and passes in.
FullLogSections GatherFullLogSections(const ApplicationState& state, std::wstring dependencies,
                                      std::wstring dxDiag);
