#include "text/paths.h"

#include <system_error>
#include <vector>

#include <windows.h>

#include "text/case_folding.h"
#include "text/encoding.h"

namespace fs = std::filesystem;

void AppendPath(fs::path& path, const std::wstring& component) {
    path /= component;
}

void AppendPath(fs::path& path, const std::string& utf8Component) {
    path /= Utf8ToWide(utf8Component);
}

void ParentDirectory(fs::path& path) {
    fs::path parent = path.parent_path();
    if (!parent.empty()) path = std::move(parent);
}

std::wstring LowerExtension(const fs::path& path) {
    const std::wstring name = path.filename().wstring();
    if (name == L"." || name == L"..") return {};
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return {};
    return ToLowerAscii(name.substr(dot));
}

bool FileExists(const fs::path& path) {
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    return type != fs::file_type::none && type != fs::file_type::not_found;
}

bool IsRegularFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::is_regular_file(status);
}

fs::path CurrentDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            throw fs::filesystem_error(
                "GetCurrentDirectoryW", std::error_code(static_cast<int>(GetLastError()),
                                                        std::system_category()));
        }
        // A length that fits excludes the terminating NUL; one that does not includes it.
        if (length < buffer.size()) return fs::path(std::wstring(buffer.data(), length));
        buffer.resize(length);
    }
}

fs::path ProductDirectory() {
    fs::path directory = CurrentDirectory();
    ParentDirectory(directory);
    if (ToLowerAscii(WideToUtf8(directory.filename().wstring())) == "distribution") {
        ParentDirectory(directory);
    }
    return directory;
}

std::optional<fs::path> KnownProductDirectory() {
    try {
        return ProductDirectory();
    } catch (const fs::filesystem_error&) {
        return std::nullopt;
    }
}
