#pragma once
// The folder a DLL probe child runs in. The child runs with administrator rights and loads
// libraries by bare name, which are searched for in its current folder first, so nobody
// but the administrators and the system (the user alone when the tool is not elevated) may
// put anything there. Emptying it never follows a link: only the files a probe is known to
// leave are deleted, each by its exact name, and whatever else is found stays in place.
#include <filesystem>
#include <string>
#include <vector>

// A new, empty folder under the temporary folder with that access list; empty when none
// could be made.
std::filesystem::path CreateProbeFolder();

// The access list CreateProbeFolder gives, in the security descriptor language: the
// administrators and the system when this process is elevated, its user otherwise.
std::wstring ProbeFolderAccess();

// True when the folder holds a plain file of that name: not a link, not a folder.
bool IsProbeFile(const std::filesystem::path& folder, const std::wstring& name);

struct ProbeFolderLeftovers {
    std::vector<std::filesystem::path> movedDumps;  // crash dumps, at their new place
    std::vector<std::wstring> keptNames;            // entries left in place, by name
};

// Deletes the report of that name, moves the probe's crash dumps into dumpFolder and
// removes the folder, which stays when anything else is in it.
ProbeFolderLeftovers RemoveProbeFolder(const std::filesystem::path& folder,
                                       const std::wstring& reportName,
                                       const std::filesystem::path& dumpFolder);
