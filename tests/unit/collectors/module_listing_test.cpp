#include "collectors/module_listing.h"

#include <sstream>

#include <gtest/gtest.h>

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

TEST(WriteModuleListing, LaysOutOneRowPerModule) {
    const RunningProcesses processes = ProcessesWith(
        L"vistora32.exe",
        {
            {L"C:\\Vistora\\vistora32.exe", 0x00400000, 4096},
            {L"C:\\Windows\\SysWOW64\\ntdll.dll", 0xFFFFFFFFull, 1},
            {L"C:\\x\\Big Path.dll", 0x7FFAB1230000ull, 123456789012345678ull},
        });
    std::wostringstream stream;
    WriteModuleListing(stream, processes, L"vistora32.exe");
    EXPECT_EQ(stream.str(),
              kHeading +
                  L"0x0000000000400000             4096 C:\\Vistora\\vistora32.exe\n"
                  L"0x00000000FFFFFFFF                1 C:\\Windows\\SysWOW64\\ntdll.dll\n"
                  L"0x00007FFAB1230000 123456789012345678 C:\\x\\Big Path.dll\n"
                  L"\n\n");

    // Later sections must not inherit the hexadecimal, zero-filled formatting.
    stream.str(L"");
    stream << 255 << L'|' << std::wstring(L"x");
    stream.width(4);
    stream << 7;
    EXPECT_EQ(stream.str(), L"255|x   7");
}

TEST(WriteModuleListing, WritesHeadingOnlyOrNothing) {
    std::wostringstream stream;
    WriteModuleListing(stream, ProcessesWith(L"vistora32.exe", {}), L"vistora32.exe");
    EXPECT_EQ(stream.str(), kHeading + L"\n\n");

    stream.str(L"");
    WriteModuleListing(stream, ProcessesWith(L"vistora32.exe", {}), L"explorer.exe");
    WriteModuleListing(stream, ProcessesWith(L"vistora32.exe", {}), L"Vistora32.exe");
    EXPECT_EQ(stream.str(), L"");
}
