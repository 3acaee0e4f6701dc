#include "detect/conflict_detection.h"

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <string>

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

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

bool MatchesAny(const std::wstring& subjectLower, const std::vector<std::wstring>& patterns) {
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::wstring& pattern) {
        return ContainsPattern(subjectLower, pattern);
    });
}

// A process finding names the process itself, so it replaces whatever paths the key had;
// every matching pattern counts, and all of them leave the same path.
void RecordProcessFindings(const RunningProcess& process, const std::wstring& queriedPath,
                           DetectedApps& detected) {
    for (const auto& [key, patterns] : ProcessSignatures) {
        for (const std::wstring& pattern : patterns) {
            if (ContainsPattern(process.fileNameLower, pattern) ||
                ContainsPattern(process.imagePathLower, pattern)) {
                detected[key] = DetectedApp{queriedPath};
            }
        }
    }
}

const SignatureTable* ModuleTableFor(const std::wstring& fileNameLower) {
    if (fileNameLower == L"explorer.exe") return &ExplorerModuleSignatures;
    if (fileNameLower == L"rundll32.exe") return &RundllModuleSignatures;
    if (IsProductExecutable(fileNameLower)) return &ModuleSignatures;
    return nullptr;
}

// The generic 3D audio hook is only worth a finding when no more specific audio suite
// explains it.
void DropExplainedGeneric3dHook(DetectedApps& detected) {
    if (detected.count(L"sonicstudio") || detected.count(L"nahimic")) {
        detected.erase(L"nahimicORsonicsuiteORalienwaresound");
    }
}

}  // namespace

bool ScanProcessModules(std::uint32_t processId, const SignatureTable& table,
                        DetectedApps& detected, std::vector<ModuleInfo>& modules) {
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
        const std::wstring lower = ToLowerAscii(module.path);
        for (const auto& [key, patterns] : table) {
            if (MatchesAny(lower, patterns)) detected[key].insert(module.path);
        }
        module.baseAddress = reinterpret_cast<std::uintptr_t>(entry.modBaseAddr);
        module.size = entry.modBaseSize;
        modules.push_back(std::move(module));
    } while (Module32NextW(snapshot.get(), &entry));
    return true;
}

bool DetectConflicts(RunningProcesses& processes, DetectedApps& detected) {
    processes.clear();
    detected.clear();
    const UniqueHandle snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
    if (!snapshot) return false;

    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        const std::wstring exeName(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
        const std::wstring queriedPath = QueryImagePath(entry.th32ProcessID);

        RunningProcess process;
        process.fileName = queriedPath.empty()
                               ? exeName
                               : std::filesystem::path(queriedPath).filename().wstring();
        process.fileNameLower = ToLowerAscii(process.fileName);
        process.imagePath = queriedPath.empty() ? exeName : queriedPath;
        process.imagePathLower = ToLowerAscii(process.imagePath);
        process.processId = entry.th32ProcessID;

        RecordProcessFindings(process, queriedPath, detected);
        if (const SignatureTable* table = ModuleTableFor(process.fileNameLower)) {
            ScanProcessModules(process.processId, *table, detected, process.modules);
        }
        // Of several processes with one name, the one enumerated last is kept whole.
        processes[process.fileNameLower] = std::move(process);
    }
    DropExplainedGeneric3dHook(detected);
    return true;
}
