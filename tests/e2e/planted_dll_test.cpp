// Copies of system libraries planted beside the program and in its working folder, as an
// attacker with write access to either folder would plant them: the program runs elevated
// and must take every system library it loads itself from the system folder.
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/ui_driver.h"
#include "support/built_files.h"
#include "support/interactive_run.h"
#include "support/scoped_registry_key.h"
#include "support/scoped_registry_value.h"
#include "support/temp_folder.h"
#include "text/encoding.h"
#include "text/win_handles.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;

const wchar_t* const kPlantedNames[] = {L"dbghelp.dll", L"Psapi.dll", L"oleaut32.dll",
                                        L"Msftedit.dll", L"Riched20.dll"};

// The dependency probe loads these on purpose by their bare names, so that it sees the
// libraries a program of the product would get; a planted copy is what it must report on.
const std::vector<std::wstring> kProbedByName = {L"dbghelp.dll", L"oleaut32.dll"};

// Names left to Wine's own copies. oleaut32 is one of Windows' known DLLs: its static import
// always comes from the system folder, whatever lies beside the program, but Wine has no
// known DLLs. Wine's msftedit imports riched20, and Wine resolves the imports of its own
// libraries in the default search order whatever the flags of the load, where Windows
// searches the system folder first as the product asks it to.
bool KeepsWinesCopy(const std::wstring& name) {
    return name == L"oleaut32.dll" || name == L"Riched20.dll";
}

// Wine takes its own built-in copy of a system library even where Windows would take a
// planted file; while this lives, the program of that file name prefers a DLL file of the
// planted names, found in Windows' search order, as Windows does.
class PreferPlantedFiles {
public:
    explicit PreferPlantedFiles(const std::wstring& programName)
        : keyPath_(L"Software\\Wine\\AppDefaults\\" + programName + L"\\DllOverrides"),
          key_(keyPath_) {
        for (const wchar_t* name : kPlantedNames) {
            if (KeepsWinesCopy(name)) continue;
            const std::wstring stem = std::filesystem::path(name).stem().wstring();
            ScopedRegistryValue& value = values_.emplace_back(HKEY_CURRENT_USER, keyPath_, stem);
            EXPECT_TRUE(value.SetString(L"native,builtin"))
                << "cannot set the DLL override of " << WideToUtf8(stem);
        }
    }

private:
    std::wstring keyPath_;
    ScopedRegistryKey key_;  // made before the values, so that it goes after them
    std::deque<ScopedRegistryValue> values_;
};

// A program copied into "<temp>\program", started in "<temp>\work", with the planted
// libraries in both folders.
struct PlantedMachine {
    PlantedMachine(const char* builtProgram, const std::wstring& programName)
        : preferPlanted(programName) {
        program = folder / (L"program\\" + programName);
        CopyBuilt(builtProgram, program);
        std::filesystem::create_directories(Work());
        for (const wchar_t* name : kPlantedNames) {
            CopyBuilt(PLANTED_MODULE, folder / (L"program\\" + std::wstring(name)));
            CopyBuilt(PLANTED_MODULE, Work() / name);
        }
    }
    std::filesystem::path Work() const { return folder / L"work"; }

    // The planted libraries that something loaded, as "<folder>\<name>".
    std::vector<std::wstring> LoadedCopies(const std::vector<std::wstring>& exempt = {}) const {
        std::vector<std::wstring> loaded;
        for (const wchar_t* place : {L"program", L"work"}) {
            for (const wchar_t* name : kPlantedNames) {
                bool skip = false;
                for (const std::wstring& e : exempt) skip = skip || _wcsicmp(e.c_str(), name) == 0;
                const std::wstring copy = std::wstring(place) + L"\\" + name;
                if (!skip && std::filesystem::exists(folder / (copy + L".loaded"))) loaded.push_back(copy);
            }
        }
        return loaded;
    }

    PreferPlantedFiles preferPlanted;
    TempFolder folder;
    std::filesystem::path program;
};

// The positive control of a test: in a program of the same file name under the same
// overrides, loads by bare name do take the copies beside the program, so that no copy
// loaded by the product's own loads means that they avoid them, not that Wine ignored the
// planted files. The control is the crash host's plain loads by name: a program with the
// crash handler holds the system's dbghelp from its start, and a load by bare name gets
// that one.
void ExpectBareNameLoadsTakePlantedCopies(const std::wstring& programName,
                                          const std::vector<std::wstring>& names) {
    PlantedMachine control(CRASH_HOST_PATH, programName);
    std::wstring arguments = L"load-by-name";
    for (const std::wstring& name : names) arguments += L" " + name;
    TestProcess program(control.program.wstring(), arguments, control.Work().wstring());
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    for (const std::wstring& name : names) {
        EXPECT_TRUE(std::filesystem::exists(control.folder / (L"program\\" + name + L".loaded")))
            << "no bare-name load took the planted " << name;
    }
}

std::wstring Joined(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names) text += name + L" ";
    return text;
}

// A name of its own: Wine's per-program settings of the product's usual name belong to
// other tests.
constexpr wchar_t kProductName[] = L"sysprobe-planted.exe";

}  // namespace

TEST(PlantedLibraries, DependencyModeLoadsNoneButTheProbedNames) {
    PlantedMachine machine(SYSPROBE_EXE, kProductName);
    TestProcess product(machine.program.wstring(), L"-analyzeDependencies", machine.Work().wstring());
    ASSERT_TRUE(product.Started());
    EXPECT_EQ(product.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    EXPECT_TRUE(std::filesystem::exists(machine.Work() / (sizeof(void*) == 8 ? L"sysprobeloader64.txt"
                                                                             : L"sysprobeloader32.txt")));
    EXPECT_EQ(Joined(machine.LoadedCopies(kProbedByName)), L"");
    ExpectBareNameLoadsTakePlantedCopies(kProductName, {L"dbghelp.dll"});
}

TEST(PlantedLibraries, InteractiveRunLoadsNone) {
    PlantedMachine machine(SYSPROBE_EXE, kProductName);
    TestProcess product(machine.program.wstring(), L"", machine.Work().wstring());
    ASSERT_TRUE(product.Started());
    LookThroughInteractiveRun(product, kTimeoutMs);
    EXPECT_EQ(Joined(machine.LoadedCopies()), L"");
    ExpectBareNameLoadsTakePlantedCopies(kProductName, {L"dbghelp.dll"});
}

TEST(PlantedLibraries, CrashReportLoadsNone) {
    // A program with the product's crash handler: the handler loads the dump library when
    // it is installed and the process library once a crash happens.
    PlantedMachine machine(CRASH_HOST_PATH, L"crash_host.exe");
    TestProcess crashing(machine.program.wstring(), L"write-av", machine.Work().wstring());
    ASSERT_TRUE(crashing.Started());
    const HWND box = WaitForDialog(crashing, L"Error", kTimeoutMs);
    ASSERT_NE(box, nullptr);
    PressButton(box, IDOK);
    EXPECT_TRUE(crashing.WaitForExit(kTimeoutMs));
    EXPECT_EQ(Joined(machine.LoadedCopies()), L"");
    // The libraries the handler loads, loaded by bare name instead.
    ExpectBareNameLoadsTakePlantedCopies(L"crash_host.exe", {L"dbghelp.dll", L"Psapi.dll"});
}
