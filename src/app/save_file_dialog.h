#pragma once
// Asking the user where the full log goes.
#include <filesystem>
#include <string>

// Shows the shell's save dialog, starting in the desktop folder with the given name in its
// name box and its extension as the only file type. True when the user confirmed a
// file-system path, which is then the save path of the current save.
bool ShowSaveDialog(const std::wstring& defaultName);

// The path with the extension ".txt", unless it ends in exactly that already: "notes"
// gives "notes.txt", "notes.log" and "notes.TXT" give "notes.txt".
std::filesystem::path WithTextExtension(std::filesystem::path path);
