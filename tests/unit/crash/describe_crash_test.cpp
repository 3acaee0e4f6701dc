#include "crash/crash_analysis.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/expected_text.h"
#include "support/scoped_registry_key.h"
#include "support/temp_folder.h"
#include "support/wine_path.h"
#include "text/win_handles.h"

namespace {

const std::wstring kHelp = L"Go here for help:\n\nwww.vistora.app/crash";
const std::wstring kCulprits =
    L"Vistora was likely crashed by the following application. Try closing or updating this "
    L"application:\n";
constexpr DWORD kAccessViolation = 0xC0000005;
constexpr DWORD kModuleNotFound = 0xC06D007E;

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

std::wstring CausedBy(const std::wstring& path, DWORD code) {
    return L"\n\nCrash caused by: '" + path + L"'. Error code: " + HexCode(code) + L".";
}

// Copies of the fixture module, loaded under chosen names (relative to a temporary folder,
// subfolders allowed) in the order given, and unloaded again.
class FixtureModules {
public:
    explicit FixtureModules(const std::vector<std::wstring>& names) {
        for (const std::wstring& name : names) {
            const std::filesystem::path path = folder_ / name;
            std::filesystem::create_directories(path.parent_path());
            std::filesystem::copy_file(WindowsPath(CRASH_MODULE_PATH), path);
            modules_.emplace_back(LoadLibraryW(path.c_str()));
            EXPECT_TRUE(modules_.back()) << path;
        }
    }
    HMODULE operator[](size_t index) const { return modules_.at(index).get(); }
    size_t size() const { return modules_.size(); }

private:
    TempFolder folder_;
    std::vector<UniqueLibrary> modules_;
};

void* CodeIn(HMODULE module) {
    return reinterpret_cast<void*>(GetProcAddress(module, "FixtureFunction"));
}

std::wstring Describe(void* address, DWORD code, const std::vector<ULONG_PTR>& parameters = {}) {
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = code;
    record.ExceptionAddress = address;
    record.NumberParameters = static_cast<DWORD>(parameters.size());
    for (size_t i = 0; i < parameters.size(); ++i) record.ExceptionInformation[i] = parameters[i];
    CONTEXT context = {};
    EXCEPTION_POINTERS pointers = {&record, &context};
    // Units after the buffer that the text must never reach.
    struct {
        CrashText text;
        wchar_t beyond[16];
    } guarded = {};
    std::fill(std::begin(guarded.beyond), std::end(guarded.beyond), L'#');
    DescribeCrash(&pointers, guarded.text);
    EXPECT_EQ(guarded.text[kCrashTextCapacity - 1], L'\0') << "the text fills its whole buffer";
    EXPECT_EQ(std::wstring(guarded.beyond, 16), std::wstring(16, L'#')) << "written past the buffer";
    return std::wstring(guarded.text, std::find(guarded.text, guarded.text + kCrashTextCapacity, L'\0'));
}

// Where a case's fault lies.
enum Fault : int { NoAddress = -1, Executable = -2, KernelBase = -3, HeapMemory = -4, FreeMemory = -5 };

struct Case {
    const char* what;
    std::vector<std::wstring> loaded;   // fixture modules, in load order
    int faultIn;                         // an index into loaded, or a Fault
    DWORD code;
    std::vector<ULONG_PTR> parameters;
    std::wstring expected;               // $0, $1: loaded modules; $EXE, $KERNELBASE
};

}  // namespace

TEST(DescribeCrash, ExplainsTheFaultingModuleAndItsCulprits) {
    const bool wide = sizeof(void*) == 8;
    const ULONG_PTR highAddress = wide ? static_cast<ULONG_PTR>(0x123456789ABull) : 0xFEDCBA98u;
    const std::wstring highAddressText = wide ? L"0x123456789AB" : L"0xFEDCBA98";
    const Case cases[] = {
        {"no exception address", {}, NoAddress, kAccessViolation, {}, kHelp},
        {"table order: PRECISION X before Nvidia", {L"PrecisionX\\nvd3dumx.dll"}, 0,
         kAccessViolation, {},
         L"PRECISION X hacked and crashed Vistora. Update PRECISION X or disable its overlay "
         L"hack.\n\n" + kHelp + CausedBy(L"$0", kAccessViolation)},
        {"the Nvidia shim gets the Intel text", {L"nvumdshim.dll"}, 0, kAccessViolation, {},
         L"LIKELY SOLUTION: Update Intel Graphics drivers.\n\n" + kHelp +
             CausedBy(L"$0", kAccessViolation)},
        {"RTSSHooks is Rivatuner", {L"RTSSHooks.dll"}, 0, kAccessViolation, {},
         L"Rivatuner Statistics Server hacked and crashed Vistora. Exclude Vistora in RivaTuner "
         L"to stop it from crashing it.\n\n" + kHelp + CausedBy(L"$0", kAccessViolation)},
        {"RTSSHook is only a listed hook", {L"RTSSHook.dll"}, 0, kAccessViolation, {},
         kCulprits + L"$0\n\n" + kHelp + CausedBy(L"$0", kAccessViolation)},
        {"system library with the antivirus filter", {L"atcuf64.dll"}, KernelBase, 0xE06D7363, {},
         L"BitDefender hacked and possibly crashed Vistora through its 'Advanced Threat "
         L"Defense'. Try excluding Vistora there or disabling it.\n\n" + kHelp +
             CausedBy(L"$KERNELBASE", 0xE06D7363)},
        {"system library alone", {}, KernelBase, 0xE06D7363, {},
         L"Vistora crashed in the Windows System.\n\n" + kHelp +
             CausedBy(L"$KERNELBASE", 0xE06D7363)},
        {"missing delay-loaded module skips the culprit search", {L"plain.dll", L"fraps.dll"}, 0,
         kModuleNotFound, {},
         L"Module not found! If you have Windows N and you are trying to play a video, install "
         L"the latest Media Feature Pack.\n\n" + kHelp + CausedBy(L"$0", kModuleNotFound)},
        {"own executable, one parameter: no access sentence", {}, Executable, kAccessViolation,
         {1}, L"Vistora has crashed.\n\n" + kHelp + CausedBy(L"$EXE", kAccessViolation)},
        {"execution fault counts as a write", {}, Executable, kAccessViolation, {8, 0x1234},
         L"Vistora has crashed.\n\n" + kHelp + CausedBy(L"$EXE", kAccessViolation) +
             L" Access violation: trying to write to address 0x00001234."},
        {"read of a pointer-wide address", {}, Executable, kAccessViolation, {0, highAddress},
         L"Vistora has crashed.\n\n" + kHelp + CausedBy(L"$EXE", kAccessViolation) +
             L" Access violation: trying to read from address " + highAddressText + L"."},
        {"another module, no hooks", {L"plain.dll"}, 0, kAccessViolation, {},
         L"Vistora was likely crashed by another application ($0).\n\n" + kHelp +
             CausedBy(L"$0", kAccessViolation)},
        {"two hooks in load order, folder names count",
         {L"plain.dll", L"fraps_capture.dll", L"Discord\\voice.dll"}, 0, kAccessViolation, {},
         kCulprits + L"$1\n$2\n\n" + kHelp + CausedBy(L"$0", kAccessViolation)},
        {"memory that is no module", {}, HeapMemory, kAccessViolation, {},
         L"Vistora has crashed.\n\n" + kHelp},
        // Free memory has no allocation base; a null module handle would name the executable.
        {"a jump to a small bad address", {}, FreeMemory, kAccessViolation, {},
         L"Vistora has crashed.\n\n" + kHelp},
    };
    void* const heapCode = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
    const HMODULE kernelBase = GetModuleHandleW(L"kernelbase.dll");
    ASSERT_TRUE(kernelBase);
    for (const Case& c : cases) {
        const FixtureModules modules(c.loaded);
        void* address = nullptr;
        switch (c.faultIn) {
        case NoAddress: break;
        case Executable: address = reinterpret_cast<void*>(&ModulePath); break;
        case KernelBase: address = reinterpret_cast<void*>(GetProcAddress(kernelBase, "RaiseException")); break;
        case HeapMemory: address = heapCode; break;
        case FreeMemory: address = reinterpret_cast<void*>(0x10); break;
        default: address = CodeIn(modules[c.faultIn]); break;
        }
        std::wstring expected = c.expected;
        for (size_t i = 0; i < modules.size(); ++i) {
            FillPlaceholder(expected, L"$" + std::to_wstring(i), ModulePath(modules[i]));
        }
        FillPlaceholder(expected, L"$EXE", ModulePath(nullptr));
        FillPlaceholder(expected, L"$KERNELBASE", ModulePath(kernelBase));
        EXPECT_EQ(Describe(address, c.code, c.parameters), expected) << c.what;
    }
    VirtualFree(heapCode, 0, MEM_RELEASE);
}

// The plug-in SDK's crash switches plug-ins off, but only for an installed product: the
// key is opened, never made.
TEST(DescribeCrash, DisablesPluginsOnlyWhenTheProductKeyExists) {
    const std::wstring productKey = L"Software\\Vistora";
    ASSERT_FALSE(RegistryKeyExists(productKey)) << "the test prefix has the product key";
    const FixtureModules modules({L"RzChromaSDK64.dll"});
    const std::wstring expected =
        L"Razer Synapse has crashed Vistora.\n\nThe Razer Chroma plugin will be disabled to fix "
        L"this crash. You can re-enable it in the Vistora plugin settings.\n\n" + kHelp +
        CausedBy(ModulePath(modules[0]), kAccessViolation);

    EXPECT_EQ(Describe(CodeIn(modules[0]), kAccessViolation), expected);
    EXPECT_FALSE(RegistryKeyExists(productKey));

    const ScopedRegistryKey installed(productKey);
    EXPECT_EQ(Describe(CodeIn(modules[0]), kAccessViolation), expected);
    DWORD value = 0;
    DWORD size = sizeof(value);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, productKey.c_str(), L"disablePlugins",
                           RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
}

// Many hook modules with long paths: the list and the text stay within their limits, cut
// at the end, and the text still ends with the technical line.
TEST(DescribeCrash, LongHookPathsAreCutToTheLimits) {
    const std::wstring deepFolder(150, L'x');
    std::vector<std::wstring> names = {L"plain.dll"};
    for (int i = 0; i < 6; ++i) names.push_back(deepFolder + L"\\raptr_" + std::to_wstring(i) + L".dll");
    const FixtureModules modules(names);
    std::wstring allHooks;
    for (size_t i = 1; i < modules.size(); ++i) allHooks += ModulePath(modules[i]) + L"\n";
    ASSERT_GT(allHooks.size(), kHookListCapacity);

    HookList list = {};
    EXPECT_TRUE(ListHookModules(list));
    EXPECT_EQ(std::wstring(list), allHooks.substr(0, kHookListCapacity - 1));

    EXPECT_EQ(Describe(CodeIn(modules[0]), kAccessViolation),
              kCulprits + allHooks.substr(0, kHookListCapacity - 1) + L"\n" + kHelp +
                  CausedBy(ModulePath(modules[0]), kAccessViolation));
}

TEST(ListHookModules, IsFalseWithoutHookModules) {
    HookList list = {};
    EXPECT_FALSE(ListHookModules(list));
    EXPECT_EQ(std::wstring(list), L"");
}

// abort() and std::terminate arrive raised from inside the system library, with the return
// addresses of the aborting stack as parameters: the first of them outside the runtime and
// the system libraries is blamed.
TEST(DescribeCrash, BlamesAnAbortOnTheCodeThatCalledIt) {
    constexpr DWORD kFatalAppExit = 0x40000015;
    const FixtureModules modules({L"plain.dll"});
    const HMODULE kernelBase = GetModuleHandleW(L"kernelbase.dll");
    const HMODULE runtime = GetModuleHandleW(L"msvcrt.dll");
    ASSERT_TRUE(kernelBase && runtime);
    const auto raise = reinterpret_cast<ULONG_PTR>(GetProcAddress(kernelBase, "RaiseException"));
    const auto abort = reinterpret_cast<ULONG_PTR>(GetProcAddress(runtime, "abort"));
    const auto library = reinterpret_cast<ULONG_PTR>(CodeIn(modules[0]));
    const auto executable = reinterpret_cast<ULONG_PTR>(&ModulePath);
    const std::wstring libraryPath = ModulePath(modules[0]);
    const std::wstring system =
        L"Vistora crashed in the Windows System.\n\n" + kHelp + CausedBy(ModulePath(kernelBase), kFatalAppExit);
    struct AbortCase {
        const char* what;
        std::vector<ULONG_PTR> callers;
        std::wstring expected;
    };
    const AbortCase cases[] = {
        {"a library aborts", {abort, library, executable},
         L"Vistora was likely crashed by another application (" + libraryPath + L").\n\n" + kHelp +
             CausedBy(libraryPath, kFatalAppExit)},
        {"the program aborts", {raise, abort, executable, library},
         L"Vistora has crashed.\n\n" + kHelp + CausedBy(ModulePath(nullptr), kFatalAppExit)},
        {"no callers: the raising code", {}, system},
        {"only system callers: the raising code", {abort, raise}, system},
    };
    for (const AbortCase& c : cases) {
        EXPECT_EQ(Describe(reinterpret_cast<void*>(raise), kFatalAppExit, c.callers), c.expected)
            << c.what;
    }
}

// Every substring of every hint rule, in a module that faults, and every hook pattern, in
// a module loaded beside a plain one that faults. Names carry a prefix so that none is
// taken for a system library of the same name.
TEST(DescribeCrash, KnowsEveryHintRuleAndHookPattern) {
    const std::wstring nvidia =
        L"Your Nvidia graphics drivers have crashed Vistora. Try reinstalling the NEWEST Nvidia "
        L"drivers or install OLDER, STABLE drivers. This type of crash can also be the result of "
        L"a broken graphics hook or overlay program.";
    const std::wstring intel = L"LIKELY SOLUTION: Update Intel Graphics drivers.";
    const std::wstring discord = L"LIKELY SOLUTION: Disable Discord overlay for Vistora.";
    struct RuleCase {
        std::wstring module;
        std::wstring hint;
    };
    const RuleCase rules[] = {
        {L"x_RzChromaSDK.dll",
         L"Razer Synapse has crashed Vistora.\n\nThe Razer Chroma plugin will be disabled to fix "
         L"this crash. You can re-enable it in the Vistora plugin settings."},
        {L"x_PrecisionX.dll",
         L"PRECISION X hacked and crashed Vistora. Update PRECISION X or disable its overlay hack."},
        {L"x_nvumdshim.dll", intel},
        {L"x_igc32.dll", intel},
        {L"x_nvwgf2um.dll", nvidia},
        {L"x_nvd3dum.dll", nvidia},
        {L"x_RTSSHooks.dll",
         L"Rivatuner Statistics Server hacked and crashed Vistora. Exclude Vistora in RivaTuner "
         L"to stop it from crashing it."},
        {L"x_MSIGamingOSD.dll",
         L"The MSI Gaming App hacked and crashed Vistora. Update it or disable its overlay hack."},
        {L"x_RadeonPro.dll",
         L"RadeonPro hacked and crashed Vistora. Update it or disable its overlay hack."},
        {L"x_KernelBase.dll", L"Vistora crashed in the Windows System."},
        {L"x_AudioSes.dll",
         L"Your audio driver crashed Vistora. Try setting 'Other application playing audio' to "
         L"'keep running' in the Vistora settings."},
        {L"x_overlay.x86.dll", discord},
        {L"x_overlay.x64.dll", discord},
    };
    for (const RuleCase& c : rules) {
        const FixtureModules modules({c.module});
        EXPECT_EQ(Describe(CodeIn(modules[0]), kAccessViolation),
                  c.hint + L"\n\n" + kHelp + CausedBy(ModulePath(modules[0]), kAccessViolation))
            << c.module;
    }

    const wchar_t* const hookModules[] = {
        L"x_Raptr.dll", L"x_FRAPS.dll", L"x_PrecisionX.dll", L"x_RTSSHook.dll", L"x_LTC_.dll",
        L"x_OWExplorer.dll", L"x_Mirillis.dll", L"x_Action_.dll", L"x_KeyHookDll.dll",
        L"x_0Kraken0.dll", L"x_PlayClawHook.dll", L"x_OvlDynExt.dll", L"x_SS2OSD.dll",
        L"x_SS3OSD.dll", L"x_graphics-hook32.dll", L"x_MKIIOSD.dll", L"x_SS2DevProps.dll",
        L"x_SS3DevProps.dll", L"x_Sonic Suite.dll", L"x_SonicSuite.dll", L"x_SSAudioOSD.dll",
        L"x_ddumd.dll", L"x_GameToolDll.dll", L"x_Nahimic.dll", L"x_GPP32.dll", L"x_GPP64.dll",
        L"x_XtremeTuner.dll", L"x_DXOSD.dll", L"x_Discord.dll", L"x_k_fps32.dll",
        L"x_k_fps64.dll", L"x_RzFPS.dll", L"x_SpecialK.dll", L"x_D3DGear.dll",
        L"x_AsusStrixOSD.dll", L"x_AsusPhoebusOSD.dll", L"x_FPSMon.dll", L"x_Norton.dll",
        L"x_MSI Gaming.dll", L"x_BrowserHook.dll", L"x_vhook.dll", L"x_NVInject.dll",
        L"x_EasyHook.dll", L"x_EasyHk.dll",
    };
    for (const wchar_t* hook : hookModules) {
        const FixtureModules modules({L"plain.dll", hook});
        EXPECT_EQ(Describe(CodeIn(modules[0]), kAccessViolation),
                  kCulprits + ModulePath(modules[1]) + L"\n\n" + kHelp +
                      CausedBy(ModulePath(modules[0]), kAccessViolation))
            << hook;
    }
}

namespace {

struct LockedWork {
    HANDLE go;
    HANDLE done;
    void (*run)();
};

DWORD WINAPI RunLockedWork(void* parameter) {
    const auto* work = static_cast<LockedWork*>(parameter);
    WaitForSingleObject(work->go, INFINITE);
    work->run();
    SetEvent(work->done);
    return 0;
}

DWORD WINAPI LoadLibraryThatHoldsTheLoaderLock(void*) {
    FreeLibrary(LoadLibraryW(WindowsPath(LOADER_LOCK_MODULE_PATH).c_str()));
    return 0;
}

// Runs work on a thread of its own while another thread holds the loader lock, inside the
// DllMain of the fixture library that waits there until it is released. False when work
// did not finish within the deadline; the lock is released in any case.
bool RunWhileLoaderLockIsHeld(void (*run)()) {
    const std::wstring process = std::to_wstring(GetCurrentProcessId());
    const UniqueHandle held{CreateEventW(nullptr, TRUE, FALSE, (L"loader_lock_held_" + process).c_str())};
    const UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, (L"loader_lock_release_" + process).c_str())};
    const UniqueHandle go{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    LockedWork work = {go.get(), done.get(), run};
    // Made before the lock is taken: a thread needs the loader to start and to end.
    const UniqueHandle worker{CreateThread(nullptr, 0, RunLockedWork, &work, 0, nullptr)};
    const UniqueHandle locker{CreateThread(nullptr, 0, LoadLibraryThatHoldsTheLoaderLock, nullptr, 0, nullptr)};
    if (!held || !release || !go || !done || !worker || !locker) return false;
    EXPECT_EQ(WaitForSingleObject(held.get(), 30000), WAIT_OBJECT_0) << "the library did not take the lock";
    SetEvent(go.get());
    const bool finished = WaitForSingleObject(done.get(), 30000) == WAIT_OBJECT_0;
    SetEvent(release.get());
    EXPECT_EQ(WaitForSingleObject(locker.get(), 30000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(worker.get(), 30000), WAIT_OBJECT_0);
    return finished;
}

std::wstring describedWhileLocked[2];
ULONG_PTR lockedCallers[2];
void* lockedFault = nullptr;

}  // namespace

// A crash while another thread holds the loader lock (a library's DllMain that hangs):
// the explanation, module walks included, is made without waiting for the loader.
TEST(DescribeCrash, NeedsNoLoaderLock) {
    constexpr DWORD kFatalAppExit = 0x40000015;
    const FixtureModules modules({L"plain.dll", L"fraps.dll"});
    const HMODULE runtime = GetModuleHandleW(L"msvcrt.dll");
    ASSERT_TRUE(runtime);
    lockedFault = CodeIn(modules[0]);
    lockedCallers[0] = reinterpret_cast<ULONG_PTR>(GetProcAddress(runtime, "abort"));
    lockedCallers[1] = reinterpret_cast<ULONG_PTR>(lockedFault);
    ASSERT_TRUE(RunWhileLoaderLockIsHeld([] {
        describedWhileLocked[0] = Describe(lockedFault, kAccessViolation, {1, 0});
        describedWhileLocked[1] = Describe(lockedFault, kFatalAppExit, {lockedCallers[0], lockedCallers[1]});
    })) << "waited for the loader";
    const std::wstring library = ModulePath(modules[0]);
    const std::wstring culprits = kCulprits + ModulePath(modules[1]) + L"\n\n" + kHelp;
    EXPECT_EQ(describedWhileLocked[0], culprits + CausedBy(library, kAccessViolation) +
                                           L" Access violation: trying to write to address 0x00000000.");
    EXPECT_EQ(describedWhileLocked[1], culprits + CausedBy(library, kFatalAppExit));
}
