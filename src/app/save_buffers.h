#pragma once
// The process-wide state of "Save Full Log": whether a save is under way, the chosen path
// and the buffers the full log is composed from. Every save starts the buffers afresh.
#include <filesystem>
#include <sstream>
#include <string>

#include "collectors/dependency_section.h"

struct SaveBuffers {
    bool inProgress = false;  // from the command until the log is written or the choice cancelled
    std::filesystem::path savePath;
    std::wostringstream dxDiag;        // the DxDiag section
    std::wostringstream dependencies;  // the DLL probe's report of this save
    DependencyProbes probes;           // the probe children, until the save finishes
    bool capturing = false;            // the progress dialog waits for dxdiag and the probes
};

SaveBuffers& CurrentSave();

// Replaces both report buffers with empty ones; the path stays.
void ResetSaveBuffers();
