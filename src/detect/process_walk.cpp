#include "detect/process_walk.h"

#include <cwchar>
#include <filesystem>
#include <string>
#include <utility>

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "detect/conflict_matching.h"
#include "detect/module_snapshot.h"
#include "text/case_folding.h"
#include "text/win_handles.h"

namespace {

constexpr DWORD kImagePathCapacity = 1040;

// The full image path, or "" when the process cannot be opened or queried (protected
// processes, processes that have ended).
std::wstring QueryImagePath(DWORD processId) {
    const UniqueHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)};
    if (!process) return {};
    wchar_t buffer[kImagePathCapacity] = {};
    DWORD size = kImagePathCapacity;
    if (QueryFullProcessImageNameW(process.get(), 0, buffer, &size) != 1) return {};
    return buffer;
}

// Module snapshots cut paths at MAX_PATH characters, which would hide the file name of a
// module deep in a folder tree; such a module's whole path is asked of the process itself.
// The cut path stays when the process cannot be asked.
std::wstring WholeModulePath(std::uint32_t processId, HMODULE module, std::wstring cutPath) {
    const UniqueHandle process{
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId)};
    if (!process) return cutPath;
    std::wstring path(32768, L'\0');
    const DWORD length =
        GetModuleFileNameExW(process.get(), module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return cutPath;
    path.resize(length);
    return path;
}

}  // namespace

bool ListProcessModules(std::uint32_t processId, std::vector<ModuleInfo>& modules) {
    const UniqueHandle snapshot = CreateModuleSnapshot(processId);
    if (!snapshot) return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!Module32FirstW(snapshot.get(), &entry)) return false;
    do {
        ModuleInfo module;
        module.path.assign(entry.szExePath, wcsnlen(entry.szExePath, MAX_PATH));
        if (module.path.size() >= MAX_PATH - 1) {
            module.path = WholeModulePath(processId, entry.hModule, std::move(module.path));
        }
        module.baseAddress = reinterpret_cast<std::uintptr_t>(entry.modBaseAddr);
        module.size = entry.modBaseSize;
        modules.push_back(std::move(module));
    } while (Module32NextW(snapshot.get(), &entry));
    return true;
}

std::optional<std::vector<ScannedProcess>> WalkProcesses() {
    const UniqueHandle snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
    if (!snapshot) return std::nullopt;

    std::vector<ScannedProcess> scanned;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        const std::wstring exeName(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
        ScannedProcess each;
        each.queriedImagePath = QueryImagePath(entry.th32ProcessID);
        const std::wstring& queriedPath = each.queriedImagePath;

        RunningProcess& process = each.process;
        process.fileName = queriedPath.empty()
                               ? exeName
                               : std::filesystem::path(queriedPath).filename().wstring();
        process.fileNameLower = ToLowerAscii(process.fileName);
        process.imagePath = queriedPath.empty() ? exeName : queriedPath;
        process.imagePathLower = ToLowerAscii(process.imagePath);
        process.processId = entry.th32ProcessID;
        if (ModuleTableFor(process.fileNameLower)) {
            ListProcessModules(process.processId, process.modules);
        }
        scanned.push_back(std::move(each));
    }
    return scanned;
}
