#include "text/text_tail.h"

#include <fstream>

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include "support/temp_folder.h"
#include "support/written_files.h"
#include "text/win_handles.h"

namespace {

// Lines of numbered text, so a wrong cut shows up as a wrong number.
std::string NumberedText(size_t bytes) {
    std::string text;
    for (size_t line = 0; text.size() < bytes; ++line) {
        text += "line " + std::to_string(line) + "\n";
    }
    text.resize(bytes);
    return text;
}

std::string WithCrLf(const std::string& text) {
    std::string crLf;
    for (const char c : text) crLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crLf;
}

size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

}  // namespace

TEST(ReadTextFileTail, KeepsTheEndUpToTheFirstNul) {
    const std::string big = NumberedText(300000);
    struct Case { std::string bytes, tail; };
    const Case cases[] = {
        {"", ""},
        {"short\n", "short\n"},
        {"a\r\nb\r\n", "a\nb\n"},
        {std::string("before\0after", 12), "before"},
        {NumberedText(30000), NumberedText(30000).substr(10000)},
        // The NUL lies pieces of reading away from both ends.
        {big + std::string(1, '\0') + "after", big.substr(big.size() - 20000)},
    };
    TempFolder folder;
    const auto path = folder / L"log.txt";
    for (const auto& c : cases) {
        WriteBytes(path, c.bytes);
        EXPECT_EQ(ReadTextFileTail(path, 20000), c.tail) << c.bytes.substr(0, 40);
    }
    EXPECT_EQ(ReadTextFileTail(folder / L"missing.txt", 20000), "");
}

TEST(ReadTextFileTail, GigabytesOfLogCostLittleMemory) {
    TempFolder folder;
    const auto path = folder / L"huge.log";
    {
        // Text, then a hole of 3 GiB that reads as NUL bytes and takes no disk space.
        UniqueHandle file{CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
        ASSERT_TRUE(file);
        const std::string text = NumberedText(100000);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                              nullptr));
        LARGE_INTEGER end;
        end.QuadPart = 3LL << 30;
        ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.get()));
    }
    const size_t peakBefore = PeakWorkingSet();
    ASSERT_GT(peakBefore, 0u);
    EXPECT_EQ(ReadTextFileTail(path, 20000), NumberedText(100000).substr(80000));
    EXPECT_LT(PeakWorkingSet(), peakBefore + (16u << 20));
}

TEST(ReadTextFileTail, HundredsOfMegabytesOfTextCostLittleMemory) {
    TempFolder folder;
    const auto path = folder / L"long.log";
    // 320 MiB of CR LF lines without a NUL, written a piece at a time so that the test holds
    // little memory itself, then an end whose text-mode tail is known.
    const std::string piece = WithCrLf(NumberedText(1 << 20)).substr(0, 1 << 20);
    const std::string end = WithCrLf(NumberedText(30000));
    {
        std::ofstream file(path, std::ios::binary);
        for (int i = 0; i < 320; ++i) file << piece;
        file << end;
        ASSERT_TRUE(file.flush());
    }
    const size_t peakBefore = PeakWorkingSet();
    ASSERT_GT(peakBefore, 0u);
    EXPECT_EQ(ReadTextFileTail(path, 20000), NumberedText(30000).substr(10000));
    EXPECT_LT(PeakWorkingSet(), peakBefore + (8u << 20));
}
