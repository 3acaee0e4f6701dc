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

void WriteBytesWidened(std::wostream& out, const std::string& text) {
    for (const char byte : text) {
        if (byte == '\0') break;
        out.put(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
    }
}
