#pragma once
// Path helpers. Paths are built from wide text; UTF-8 pieces are converted first.
#include <filesystem>
#include <optional>
#include <string>

void AppendPath(std::filesystem::path& path, const std::wstring& component);
void AppendPath(std::filesystem::path& path, const std::string& utf8Component);

// Replaces the path by its parent, unless that parent would be empty.
void ParentDirectory(std::filesystem::path& path);

// ".exe" for "Setup.EXE"; "" for names without a dot and for "." and "..".
std::wstring LowerExtension(const std::filesystem::path& path);

bool FileExists(const std::filesystem::path& path);
bool IsRegularFile(const std::filesystem::path& path);

// The process's current directory; raises std::filesystem::filesystem_error on failure.
std::filesystem::path CurrentDirectory();

// The Vistora installation folder. The tool runs with its own folder, a subfolder of the
// installation (or of its "distribution" folder), as the current directory.
std::filesystem::path ProductDirectory();

// ProductDirectory, or nothing when the current directory cannot be read: for the sections
// that then report their files as missing.
std::optional<std::filesystem::path> KnownProductDirectory();
