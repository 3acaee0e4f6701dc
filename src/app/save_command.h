#pragma once
// "Save Full Log" in the Results dialog: the first half of a save, up to the moment the
// dialog receives kFinishSave.
#include <windows.h>

// Asks for the file, starts the DxDiag capture and probes the dependencies while dxdiag
// runs. Posts kFinishSave at once when the capture could not start; otherwise the progress
// dialog posts it when it closes. A cancelled file choice ends the command.
void StartFullLogSave(HWND resultsDialog);
