#include "collectors/module_listing.h"

#include <gtest/gtest.h>

#include "support/section_text.h"

namespace {

RunningProcesses ProcessesWith(const std::wstring& fileNameLower, std::vector<ModuleInfo> modules) {
    RunningProcess process;
    process.fileName = fileNameLower;
    process.fileNameLower = fileNameLower;
    process.modules = std::move(modules);
    return {{fileNameLower, process}};
}

const std::wstring kHeading =
    L"All Modules vistora32.exe\n"
    L"============================================================\n"
    L"Offset             Size             Path\n"
    L"------------------------------------------------------------\n";

}  // namespace

TEST(ModuleListingSection, LaysOutOneRowPerModule) {
    const RunningProcesses processes = ProcessesWith(
        L"vistora32.exe",
        {
            {L"C:\\Vistora\\vistora32.exe", 0x00400000, 4096},
            {L"C:\\Windows\\SysWOW64\\ntdll.dll", 0xFFFFFFFFull, 1},
            {L"C:\\x\\Big Path.dll", 0x7FFAB1230000ull, 123456789012345678ull},
        });
    const std::optional<LogSection> section = ModuleListingSection(processes, L"vistora32.exe");
    ASSERT_TRUE(section);
    EXPECT_EQ(SectionText(*section),
              kHeading +
                  L"0x0000000000400000             4096 C:\\Vistora\\vistora32.exe\n"
                  L"0x00000000FFFFFFFF                1 C:\\Windows\\SysWOW64\\ntdll.dll\n"
                  L"0x00007FFAB1230000 123456789012345678 C:\\x\\Big Path.dll\n"
                  L"\n\n");
}

TEST(ModuleListingSection, WritesHeadingOnlyOrNothing) {
    const std::optional<LogSection> empty =
        ModuleListingSection(ProcessesWith(L"vistora32.exe", {}), L"vistora32.exe");
    ASSERT_TRUE(empty);
    EXPECT_EQ(SectionText(*empty), kHeading + L"\n\n");

    EXPECT_FALSE(ModuleListingSection(ProcessesWith(L"vistora32.exe", {}), L"explorer.exe"));
    EXPECT_FALSE(ModuleListingSection(ProcessesWith(L"vistora32.exe", {}), L"Vistora32.exe"));
}
