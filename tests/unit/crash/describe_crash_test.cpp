#include "crash/crash_analysis.h"

#include <filesystem>
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
    CrashText text = {};
    DescribeCrash(&pointers, text);
    return text;
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

    const std::wstring text = Describe(CodeIn(modules[0]), kAccessViolation);
    EXPECT_LE(text.size(), kCrashTextCapacity - 1);
    EXPECT_EQ(text, kCulprits + allHooks.substr(0, kHookListCapacity - 1) + L"\n" + kHelp +
                        CausedBy(ModulePath(modules[0]), kAccessViolation));
}

TEST(ListHookModules, IsFalseWithoutHookModules) {
    HookList list = {};
    EXPECT_FALSE(ListHookModules(list));
    EXPECT_EQ(std::wstring(list), L"");
}
