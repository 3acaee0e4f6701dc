#pragma once
// Writing the full log of the current save and showing the user where it went.
#include <filesystem>
#include <string>

#include "app/application_state.h"

// Gathers the sections, composes the full log with the captured reports and writes it as
// UTF-8 to the path; false when the file cannot be written.
bool SaveFullLogFile(const ApplicationState& state, const std::filesystem::path& path,
                     std::wstring dependencies, std::wstring dxDiag);

// Composes the full log from the state and the captured reports of the current save,
// writes it as UTF-8 to the save path and opens an Explorer window with the file
// selected; shows an "Error" box when the file cannot be written.
void WriteFullLog(const ApplicationState& state);
