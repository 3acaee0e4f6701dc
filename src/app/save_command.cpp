#include "app/save_command.h"

#include "app/dxdiag_capture.h"
#include "app/full_log_file.h"
#include "app/results_dialog.h"
#include "app/save_buffers.h"
#include "app/save_file_dialog.h"
#include "collectors/dependency_section.h"

void StartFullLogSave(HWND resultsDialog) {
    SaveBuffers& save = CurrentSave();
    // The save dialog has no owner, so the Results dialog takes commands while it is open;
    // a second save would share the buffers, the temporary file and the child of this one.
    if (save.inProgress) return;
    save.inProgress = true;
    if (!ShowSaveDialog(L"info.txt")) {
        save.inProgress = false;
        return;
    }
    save.savePath = WithTextExtension(save.savePath);
    ResetSaveBuffers();
    save.capturing = StartDxDiagCapture(resultsDialog);
    StartDependencyProbes(save.probes, DependencyProbePrograms());
    if (!save.capturing) PostMessageW(resultsDialog, kFinishSave, 0, 0);
}

void FinishFullLogSave(const ApplicationState* state) {
    FinishDxDiagCapture();
    SaveBuffers& save = CurrentSave();
    // Without the progress dialog nothing has waited for the probes yet.
    if (!save.capturing) WaitForDependencyProbes(save.probes);
    save.dependencies << FinishDependencyProbes(save.probes);
    // The "Error" box runs a message loop of its own, so the save ends only after it.
    if (state) WriteFullLog(*state);
    save.inProgress = false;
}

void EndFullLogSaves() {
    EndDxDiagCaptures();
    FinishDependencyProbes(CurrentSave().probes);
}
