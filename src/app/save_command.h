#pragma once
// "Save Full Log" in the Results dialog: the first half of a save, up to the moment the
// dialog receives kFinishSave, and the second half it then runs.
#include <windows.h>

#include "app/application_state.h"

// Asks for the file, starts the DxDiag capture and the dependency probes, which run while
// dxdiag runs. Posts kFinishSave at once when the capture could not start; otherwise the progress
// dialog posts it when it closes. A cancelled file choice ends the command. Ignored while
// an earlier save is under way.
void StartFullLogSave(HWND resultsDialog);

// Completes the DxDiag report and the dependency section, writes the log (when there is a
// state to compose it from) and ends the save.
void FinishFullLogSave(const ApplicationState* state);

// When the tool ends, possibly in the middle of a save: ends a probe child still running and
// removes the temporary files of the save.
void EndFullLogSaves();
