#include "crash/crash_analysis.h"

#include <cwchar>

#include <psapi.h>

#include "crash/crash_hints.h"
#include "crash/fixed_text.h"
#include "text/product_web.h"
#include "text/win_handles.h"

namespace {

constexpr std::size_t kModuleListCapacity = 512;
constexpr std::size_t kPathCapacity = 512;
constexpr DWORD kDelayLoadModuleNotFound = 0xC06D007E;

// The buffers live in static storage rather than on the faulting thread's stack, which may
// be the one that overflowed. The crash handler runs once per process, so nothing shares
// them.
struct ModuleWalkBuffers {
    HMODULE modules[kModuleListCapacity];
    wchar_t fileName[kPathCapacity];
    wchar_t longPath[kPathCapacity];
    wchar_t folded[kPathCapacity];
    wchar_t windowsFolder[kPathCapacity];   // folded, with its final backslash
};
ModuleWalkBuffers walk;

struct FaultBuffers {
    HMODULE module;                    // null: the faulting module is unknown
    wchar_t fileName[MAX_PATH];
    wchar_t longPath[kPathCapacity];   // empty: the faulting module is unknown
    wchar_t matchKey[kPathCapacity];
    HookList hookList;
};
FaultBuffers fault;

template <std::size_t Capacity>
void ToLongPath(const wchar_t* path, wchar_t (&longPath)[Capacity]) {
    const DWORD length = GetLongPathNameW(path, longPath, Capacity);
    if (length == 0 || length >= Capacity) longPath[0] = 0;
}

// The file name of a module of the own process. Read from the loader's list as for another
// process, which takes no loader lock: the faulting thread, or any other, may hold it.
DWORD OwnModuleFileName(HMODULE module, wchar_t* fileName, DWORD capacity) {
    return K32GetModuleFileNameExW(GetCurrentProcess(), module, fileName, capacity);
}

// Calls visit(longPath, foldedLongPath) for each module of the own process, in the
// system's enumeration order. False when the modules cannot be listed.
template <typename Visit>
bool WalkOwnModules(Visit visit) {
    DWORD needed = 0;
    if (K32EnumProcessModules(GetCurrentProcess(), walk.modules, sizeof(walk.modules), &needed) !=
        TRUE) {
        return false;
    }
    DWORD count = needed / sizeof(HMODULE);
    if (count > kModuleListCapacity) count = kModuleListCapacity;
    for (DWORD i = 0; i < count; ++i) {
        walk.fileName[0] = 0;
        walk.longPath[0] = 0;
        if (OwnModuleFileName(walk.modules[i], walk.fileName, kPathCapacity) == 0) continue;
        ToLongPath(walk.fileName, walk.longPath);
        CopyFoldedText(walk.folded, walk.longPath);
        visit(walk.longPath, walk.folded);
    }
    return true;
}

const wchar_t* FirstHookPattern(const wchar_t* folded) {
    for (const wchar_t* pattern : HookModulePatterns) {
        if (std::wcsstr(folded, pattern)) return pattern;
    }
    return nullptr;
}

bool RuleMatches(const CrashHintRule& rule, const wchar_t* matchKey) {
    for (const wchar_t* pattern : rule.patterns) {
        if (pattern && std::wcsstr(matchKey, pattern)) return true;
    }
    return false;
}

// Switches the product's plug-ins off for its next start. The key is only opened: when the
// product is not installed for this user, nothing is written.
void DisablePlugins() {
    const UniqueRegistryKey key =
        OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\Vistora\\", KEY_ALL_ACCESS);
    if (!key) return;
    const DWORD enabled = 1;
    RegSetValueExW(key.get(), L"disablePlugins", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&enabled), sizeof(enabled));
}

const wchar_t* AntivirusTestText() {
    bool filterLoaded = false;
    const bool listed = WalkOwnModules([&](const wchar_t*, const wchar_t* folded) {
        if (std::wcsstr(folded, kAntivirusModulePattern)) filterLoaded = true;
    });
    return listed && filterLoaded ? kAntivirusCrashText : kSystemCrashText;
}

// Appends the hint of the first rule that matches the faulting module; false when none does.
bool AppendRuleHint(CrashText& text) {
    for (const CrashHintRule& rule : CrashHintRules) {
        if (!RuleMatches(rule, fault.matchKey)) continue;
        switch (rule.action) {
        case CrashHintAction::DisablePlugins: DisablePlugins(); break;
        case CrashHintAction::AntivirusTest: AppendFixedText(text, AntivirusTestText()); break;
        case CrashHintAction::None: break;
        }
        if (rule.text) AppendFixedText(text, rule.text);
        AppendFixedText(text, L"\n\n");
        return true;
    }
    return false;
}

void AppendCulprits(CrashText& text) {
    std::wmemset(fault.hookList, 0, kHookListCapacity);
    if (ListHookModules(fault.hookList)) {
        AppendFixedText(text, L"Vistora was likely crashed by the following application. Try "
                              L"closing or updating this application:\n");
        AppendFixedText(text, fault.hookList);
        AppendFixedText(text, L"\n");
        return;
    }
    // The executable is told by its module handle, not by its path: its own path keeps the
    // form it was started by (a short 8.3 path, say), the faulting module's has been made long.
    if (fault.longPath[0] && fault.module != GetModuleHandleW(nullptr)) {
        AppendFixedText(text, L"Vistora was likely crashed by another application (");
        AppendFixedText(text, fault.longPath);
        AppendFixedText(text, L").\n\n");
        return;
    }
    AppendFixedText(text, L"Vistora has crashed.\n\n");
}

void AppendHelpText(CrashText& text) {
    AppendFixedText(text, L"Go here for help:\n\n");
    AppendFixedText(text, kProductWebHostName);
    AppendFixedText(text, L"/crash");
}

// The code in eight hexadecimal digits, the address in at least eight: all of a 64-bit
// address when it needs more.
void AppendTechnicalLine(CrashText& text, const EXCEPTION_RECORD& record) {
    AppendFixedText(text, L"\n\nCrash caused by: '");
    AppendFixedText(text, fault.longPath);
    AppendFixedText(text, L"'. Error code: 0x");
    AppendFixedNumber(text, record.ExceptionCode, 16, 8);
    AppendFixedText(text, L".");
    if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters <= 1) return;
    // Every non-zero access kind counts as a write, execution faults included.
    AppendFixedText(text, record.ExceptionInformation[0] != 0
                              ? L" Access violation: trying to write to address 0x"
                              : L" Access violation: trying to read from address 0x");
    AppendFixedNumber(text, record.ExceptionInformation[1], 16, 8);
    AppendFixedText(text, L".");
}

// The module whose image holds the address; null for any other memory: a jump into the
// heap or through a bad pointer has no module.
HMODULE ModuleAt(const void* address) {
    MEMORY_BASIC_INFORMATION region = {};
    if (VirtualQuery(address, &region, sizeof(region)) != sizeof(region)) return nullptr;
    if (region.Type != MEM_IMAGE) return nullptr;
    return static_cast<HMODULE>(region.AllocationBase);
}

// Fills the faulting module's names; false when no module file contains the address.
bool FindFaultingModule(const void* address) {
    const HMODULE module = ModuleAt(address);
    if (!module || OwnModuleFileName(module, fault.fileName, MAX_PATH) == 0) return false;
    fault.module = module;
    ToLongPath(fault.fileName, fault.longPath);
    CopyFoldedText(fault.matchKey, fault.longPath);
    return true;
}

// True for code of the C runtime and the system libraries: modules in the Windows folder.
bool InSystemLibrary(const void* address) {
    const HMODULE module = ModuleAt(address);
    if (!module || OwnModuleFileName(module, walk.fileName, kPathCapacity) == 0) return false;
    CopyFoldedText(walk.folded, walk.fileName);
    std::wmemset(walk.windowsFolder, 0, kPathCapacity);
    const UINT length = GetSystemWindowsDirectoryW(walk.windowsFolder, kPathCapacity);
    if (length == 0 || length + 1 >= kPathCapacity) return false;
    AppendFixedText(walk.windowsFolder, L"\\");
    CopyFoldedText(walk.windowsFolder, walk.windowsFolder);
    return std::wcsncmp(walk.folded, walk.windowsFolder, std::wcslen(walk.windowsFolder)) == 0;
}

// abort() and std::terminate reach the filter as kFatalAppExit, raised from inside the
// system library with the return addresses of the aborting stack as its parameters. The
// code to blame is the first of them outside the runtime and the system libraries.
const void* BlamedAddress(const EXCEPTION_RECORD& record) {
    if (record.ExceptionCode != kFatalAppExit) return record.ExceptionAddress;
    for (DWORD i = 0; i < record.NumberParameters && i < EXCEPTION_MAXIMUM_PARAMETERS; ++i) {
        const auto caller = reinterpret_cast<const void*>(record.ExceptionInformation[i]);
        if (!InSystemLibrary(caller)) return caller;
    }
    return record.ExceptionAddress;
}

}  // namespace

bool ListHookModules(HookList& hookList) {
    bool listedAny = false;
    WalkOwnModules([&](const wchar_t* longPath, const wchar_t* folded) {
        if (!FirstHookPattern(folded)) return;
        AppendFixedText(hookList, longPath);
        AppendFixedText(hookList, L"\n");
        listedAny = true;
    });
    return listedAny;
}

void DescribeCrash(const EXCEPTION_POINTERS* exception, CrashText& text) {
    const EXCEPTION_RECORD* record = exception ? exception->ExceptionRecord : nullptr;
    if (!record || !record->ExceptionAddress) {
        AppendHelpText(text);
        return;
    }
    fault.module = nullptr;
    std::wmemset(fault.fileName, 0, MAX_PATH);
    std::wmemset(fault.longPath, 0, kPathCapacity);
    std::wmemset(fault.matchKey, 0, kPathCapacity);

    bool explained = false;
    if (FindFaultingModule(BlamedAddress(*record))) {
        explained = AppendRuleHint(text);
        if (!explained && record->ExceptionCode == kDelayLoadModuleNotFound) {
            AppendFixedText(text, L"Module not found! If you have Windows N and you are trying "
                                  L"to play a video, install the latest Media Feature Pack.\n\n");
            explained = true;
        }
    }
    if (!explained) AppendCulprits(text);
    AppendHelpText(text);
    if (fault.longPath[0]) AppendTechnicalLine(text, *record);
}
