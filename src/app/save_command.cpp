#include "app/save_command.h"

#include "app/dxdiag_capture.h"
#include "app/results_dialog.h"
#include "app/save_buffers.h"
#include "app/save_file_dialog.h"
#include "collectors/dependency_section.h"

void StartFullLogSave(HWND resultsDialog) {
    if (!ShowSaveDialog(L"info.txt")) return;
    SaveBuffers& save = CurrentSave();
    save.savePath = WithTextExtension(save.savePath);
    ResetSaveBuffers();
    const bool capturing = StartDxDiagCapture(resultsDialog);
    WriteDependencySection(save.dependencies);
    if (!capturing) PostMessageW(resultsDialog, kFinishSave, 0, 0);
}
