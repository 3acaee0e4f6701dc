#include "app/save_file_dialog.h"

#include <exception>
#include <memory>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "app/save_buffers.h"
#include "text/paths.h"
#include "text/win_handles.h"

namespace {

// Identifies the dialog's remembered state (the last folder): made once per run, so the
// dialog remembers within a run and every run starts afresh.
struct SaveDialogClient {
    GUID guid = {};
    bool created = false;
};

SaveDialogClient& Client() {
    static SaveDialogClient client;
    return client;
}

ComPtr<IShellItem> ItemOf(const std::wstring& path) {
    ComPtr<IShellItem> item;
    SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, item.PutVoid());
    return item;
}

// The desktop, or the current directory when the desktop has no shell item. True when
// nothing failed, also when the desktop folder is unknown and no default is set.
bool SetDefaultFolder(IFileSaveDialog& dialog) {
    wchar_t* desktopText = nullptr;
    const HRESULT known = SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &desktopText);
    const UniqueCoTaskText desktop(desktopText);
    if (FAILED(known)) return true;
    ComPtr<IShellItem> folder = ItemOf(desktop.get());
    if (!folder) {
        try {
            folder = ItemOf(CurrentDirectory().wstring());
        } catch (const std::exception&) {
            return false;
        }
    }
    return folder && SUCCEEDED(dialog.SetDefaultFolder(folder.Get()));
}

bool AskForPath(IFileSaveDialog& dialog, const std::wstring& defaultName,
                std::filesystem::path& chosen) {
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog.GetOptions(&options)) ||
        FAILED(dialog.SetOptions(options | FOS_OVERWRITEPROMPT | FOS_STRICTFILETYPES |
                                 FOS_FORCEFILESYSTEM))) {
        return false;
    }
    const std::wstring pattern = L"*" + std::filesystem::path(defaultName).extension().wstring();
    const COMDLG_FILTERSPEC fileType = {L"Text", pattern.c_str()};
    if (FAILED(dialog.SetFileTypes(1, &fileType)) ||
        FAILED(dialog.SetFileName(defaultName.c_str()))) {
        return false;
    }
    SaveDialogClient& client = Client();
    if (!client.created) {
        if (FAILED(CoCreateGuid(&client.guid))) return false;
        client.created = true;
    }
    if (FAILED(dialog.SetClientGuid(client.guid)) || !SetDefaultFolder(dialog)) return false;

    // Cancelling is a failure of Show like any other.
    if (FAILED(dialog.Show(nullptr))) return false;
    ComPtr<IShellItem> result;
    wchar_t* pathText = nullptr;
    if (FAILED(dialog.GetResult(result.Put())) ||
        FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &pathText))) {
        return false;
    }
    const UniqueCoTaskText path(pathText);
    chosen = path.get();
    return true;
}

}  // namespace

bool ShowSaveDialog(const std::wstring& defaultName) {
    const ComApartment apartment;
    if (FAILED(apartment.Result())) return false;
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileSaveDialog, dialog.PutVoid()))) {
        return false;
    }
    return AskForPath(*dialog.Get(), defaultName, CurrentSave().savePath);
}

std::filesystem::path WithTextExtension(std::filesystem::path path) {
    if (path.extension() != L".txt") path.replace_extension(L".txt");
    return path;
}
