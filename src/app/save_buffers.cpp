#include "app/save_buffers.h"

SaveBuffers& CurrentSave() {
    static SaveBuffers save;
    return save;
}

void ResetSaveBuffers() {
    SaveBuffers& save = CurrentSave();
    save.dxDiag = std::wostringstream();
    save.dependencies = std::wostringstream();
}
