#pragma once
// Files of the build tree, named to the tests by their Unix paths at compile time. Wine
// shows the Unix root as drive Z:.
#include <algorithm>
#include <filesystem>
#include <string>

inline std::filesystem::path BuiltFile(const char* unixPath) {
    std::wstring path = L"Z:" + std::wstring(unixPath, unixPath + std::char_traits<char>::length(unixPath));
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// Copies a built file to the target path, making its folders.
inline void CopyBuilt(const char* unixPath, const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(BuiltFile(unixPath), target,
                               std::filesystem::copy_options::overwrite_existing);
}
