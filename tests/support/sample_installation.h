#pragma once
// The sample Vistora installation of the fixtures in a temporary folder, with the product
// in its "tools" folder. The including test names both at compile time: INSTALLATION_DIR
// and SYSPROBE_EXE (the build's own product, or the packaged one).
#include <filesystem>
#include <string>

#include "support/built_files.h"
#include "support/temp_folder.h"

struct Installation {
    Installation() {
        std::filesystem::copy(BuiltFile(INSTALLATION_DIR), folder.Path(),
                              std::filesystem::copy_options::recursive);
        CopyBuilt(SYSPROBE_EXE, Tools() / ProductName());
    }
    std::filesystem::path Tools() const { return folder / L"tools"; }
    static std::wstring ProductName() {
        return sizeof(void*) == 8 ? L"sysprobe64.exe" : L"sysprobe32.exe";
    }
    TempFolder folder;
};
