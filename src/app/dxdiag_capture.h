#pragma once
// The DirectX diagnostic report at the end of the full log: dxdiag runs into a temporary
// file while a progress dialog with Cancel is shown.
#include <filesystem>

#include <windows.h>

// Launches dxdiag and shows the progress dialog over the Results dialog, which it
// disables. False when a failure line was written into the DxDiag buffer instead; the
// caller then finishes the save at once.
bool StartDxDiagCapture(HWND resultsDialog);

// The same with "dxdiag.exe" taken from the given folder instead of the system folder; an
// empty folder counts as a failed folder query. Tests start stand-in programs through it.
bool StartDxDiagCapture(HWND resultsDialog, const std::filesystem::path& systemFolder);

// Completes the DxDiag buffer and removes the temporary file; the first half of finishing
// a save.
void FinishDxDiagCapture();

// When the tool ends: removes the temporary file of a capture under way, and that of a
// dxdiag left running by a cancel, after giving each dxdiag a few seconds to end.
void EndDxDiagCaptures();
