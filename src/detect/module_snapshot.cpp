#include "detect/module_snapshot.h"

#include <tlhelp32.h>

UniqueHandle TakeSnapshotRetrying(const std::function<HANDLE()>& take) {
    for (int attempt = 1;; ++attempt) {
        UniqueHandle snapshot{take()};
        if (snapshot || GetLastError() != ERROR_BAD_LENGTH || attempt == kModuleSnapshotAttempts) {
            return snapshot;
        }
        // A short pause gives the process time to finish its load or unload.
        Sleep(10);
    }
}

UniqueHandle CreateModuleSnapshot(std::uint32_t processId) {
    return TakeSnapshotRetrying([processId] {
        return CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
    });
}
