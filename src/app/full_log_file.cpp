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

bool SaveFullLogFile(const ApplicationState& state, const std::filesystem::path& path,
                     std::wstring dependencies, std::wstring dxDiag) {
    try {
        // One copy of the log at a time where possible: the sections (a large config dump
        // among them) are gone once composed, the UTF-16 text once converted.
        std::string text;
        {
            const std::wstring log = ComposeFullLog(
                state, GatherFullLogSections(state, std::move(dependencies), std::move(dxDiag)));
            text = WideToUtf8(log);
        }
        return ReplaceTextFile(path, text);
    } catch (const std::exception&) {
        // Out of memory for a log this large; the sections degrade on their own otherwise.
        return false;
    }
}

void WriteFullLog(const ApplicationState& state) {
    SaveBuffers& save = CurrentSave();
    if (SaveFullLogFile(state, save.savePath, save.dependencies.str(), save.dxDiag.str())) {
        ShowInExplorer(save.savePath);
        return;
    }
    const std::wstring text = L"Failed writing text file to: " + save.savePath.wstring();
    MessageBoxW(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}
