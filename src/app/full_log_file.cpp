#include "app/full_log_file.h"

#include <algorithm>
#include <exception>

#include <windows.h>
#include <shellapi.h>

#include "app/full_log.h"
#include "app/full_log_sections.h"
#include "app/save_buffers.h"
#include "text/encoding.h"
#include "text/text_file.h"

namespace {

void ShowInExplorer(const std::filesystem::path& file) {
    std::wstring path = file.wstring();
    std::replace(path.begin(), path.end(), L'/', L'\\');
    const std::wstring parameters = L"/n,/select,\"" + path + L"\"";
    ShellExecuteW(nullptr, nullptr, L"explorer.exe", parameters.c_str(), nullptr, SW_SHOW);
}

}  // namespace

void WriteFullLog(const ApplicationState& state) {
    SaveBuffers& save = CurrentSave();
    bool written = false;
    try {
        save.fullLog << ComposeFullLog(state, GatherFullLogSections(state, save.dependencies.str(),
                                                                    save.dxDiag.str()));
        written = WriteTextFile(save.savePath, WideToUtf8(save.fullLog.str()));
    } catch (const std::exception&) {
        // The current directory, and with it the product folder, could not be read.
    }
    if (written) {
        ShowInExplorer(save.savePath);
        return;
    }
    const std::wstring text = L"Failed writing text file to: " + save.savePath.wstring();
    MessageBoxW(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}
