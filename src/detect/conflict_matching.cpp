#include "detect/conflict_matching.h"

#include <utility>

#include "text/case_folding.h"

namespace {

// A process finding names the process itself, so it replaces whatever paths the key had;
// every matching row counts, and all of them leave the same path.
void RecordProcessFindings(const ScannedProcess& scanned, DetectedApps& detected) {
    const RunningProcess& process = scanned.process;
    for (const std::wstring* subject : {&process.fileNameLower, &process.imagePathLower}) {
        for (const std::wstring& key : MatchingKeys(ProcessSignatures, *subject)) {
            detected[key] = DetectedApp{scanned.queriedImagePath};
        }
    }
}

// The generic 3D audio hook is only worth a finding when no more specific audio suite
// explains it.
void DropExplainedGeneric3dHook(DetectedApps& detected) {
    if (detected.count(L"sonicstudio") || detected.count(L"nahimic")) {
        detected.erase(L"nahimicORsonicsuiteORalienwaresound");
    }
}

}  // namespace

const SignatureTable* ModuleTableFor(const std::wstring& fileNameLower) {
    if (fileNameLower == L"explorer.exe") return &ExplorerModuleSignatures;
    if (fileNameLower == L"rundll32.exe") return &RundllModuleSignatures;
    if (IsProductExecutable(fileNameLower)) return &ModuleSignatures;
    return nullptr;
}

void RecordModuleFindings(const std::vector<ModuleInfo>& modules, const SignatureTable& table,
                          DetectedApps& detected) {
    for (const ModuleInfo& module : modules) {
        for (const std::wstring& key : MatchingKeys(table, ToLowerAscii(module.path))) {
            detected[key].insert(module.path);
        }
    }
}

void MatchScannedProcesses(std::vector<ScannedProcess> scanned, RunningProcesses& processes,
                           DetectedApps& detected) {
    for (ScannedProcess& each : scanned) {
        RecordProcessFindings(each, detected);
        if (const SignatureTable* table = ModuleTableFor(each.process.fileNameLower)) {
            RecordModuleFindings(each.process.modules, *table, detected);
        }
        processes[each.process.fileNameLower] = std::move(each.process);
    }
    DropExplainedGeneric3dHook(detected);
}
