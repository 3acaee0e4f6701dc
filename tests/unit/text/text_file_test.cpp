#include "text/text_file.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/temp_folder.h"
#include "support/wine_path.h"
#include "support/written_files.h"
#include "text/win_handles.h"

TEST(WriteTextFile, WritesCrLfAndStopsAtNul) {
    struct Case { std::string text, bytes; };
    const Case cases[] = {
        {"a\nb", "a\r\nb"},
        {"x\n\ny\n", "x\r\n\r\ny\r\n"},
        {std::string("ab\0cd", 5), "ab"},
        {"", ""},
    };
    TempFolder folder;
    const auto path = folder / L"out.txt";
    WriteBytes(path, "previous content that is longer");
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteTextFile(path, c.text));
        EXPECT_EQ(ReadBytes(path), c.bytes);
    }
}

TEST(WriteTextFile, ReportsFailedWrites) {
    TempFolder folder;
    EXPECT_FALSE(WriteTextFile(folder / L"missing\\out.txt", "text"));
    // The host's /dev/full opens, but takes no byte: a short text fails only when the file
    // is closed.
    EXPECT_FALSE(WriteTextFile(L"Z:\\dev\\full", "small text\n"));
}

TEST(ReadTextFile, DeliversLineFeedsWithoutPadding) {
    struct Case { std::string bytes, text; };
    const Case cases[] = {
        {"x\r\ny\r\n", "x\ny\n"},
        {"a\nb", "a\nb"},
        {"", ""},
        {"\xC3\x84\r\n", "\xC3\x84\n"},
    };
    TempFolder folder;
    const auto path = folder / L"in \u00C4.txt";  // blank and non-ASCII in the name
    for (const auto& c : cases) {
        WriteBytes(path, c.bytes);
        const std::string text = ReadTextFile(path);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(text.size(), c.text.size());
    }
    EXPECT_EQ(ReadTextFile(folder / L"missing.txt"), "");
}

TEST(ReadTextFile, GivesNothingForAFileTooLargeToHold) {
    if (sizeof(size_t) > 4) GTEST_SKIP() << "a 64-bit string holds any file size";
    // Sparse files: only the size is set, so they take no disk space. 4 GiB + 20 would pass
    // for 20 bytes once cut to 32 bits; 3 GiB is more than a 32-bit string holds.
    const std::uint64_t sizes[] = {(4ull << 30) + 20, 3ull << 30};
    TempFolder folder;
    const auto path = folder / L"large.txt";
    for (const std::uint64_t size : sizes) {
        {
            const UniqueHandle file{CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
            ASSERT_TRUE(file);
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(file.get(), "first line\r\n", 12, &written, nullptr));
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(size);
            ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
            ASSERT_TRUE(SetEndOfFile(file.get()));
        }
        EXPECT_EQ(ReadTextFile(path), "") << size;
    }
}

TEST(TextFile, RoundTripIsByteExact) {
    TempFolder folder;
    const auto path = folder / L"round.txt";
    const std::string text = "line one\nline \xC3\xBC\n\nlast";
    ASSERT_TRUE(WriteTextFile(path, text));
    EXPECT_EQ(ReadBytes(path), "line one\r\nline \xC3\xBC\r\n\r\nlast");
    EXPECT_EQ(ReadTextFile(path), text);
}

namespace {

// The names in a folder, to see that a failed replacement leaves nothing behind.
std::vector<std::wstring> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(ReplaceTextFile, WritesTheWholeTextInPlaceOfTheFile) {
    struct Case { std::string text, bytes; };
    const Case cases[] = {
        {"a\nb", "a\r\nb"},
        {std::string("ab\0cd\n", 6), std::string("ab\0cd\r\n", 7)},
        // Longer than one piece of the writer, with a line feed at the seam.
        {std::string(65535, 'x') + "\n" + std::string(10, 'y'),
         std::string(65535, 'x') + "\r\n" + std::string(10, 'y')},
        {"", ""},
    };
    TempFolder folder;
    const auto path = folder / L"out.txt";
    WriteBytes(path, "previous content that is longer");
    for (const auto& c : cases) {
        ASSERT_TRUE(ReplaceTextFile(path, c.text));
        EXPECT_EQ(ReadBytes(path), c.bytes);
        EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"out.txt"});
    }
}

TEST(ReplaceTextFile, LeavesTheEarlierFileWhenTheNewOneCannotBeWrittenOrPutInPlace) {
    TempFolder folder;
    const auto path = folder / L"out.txt";
    WriteBytes(path, "earlier\r\n");
    {
        // Held open without sharing: the file cannot be replaced.
        const UniqueHandle holder{
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
        ASSERT_TRUE(holder);
        EXPECT_FALSE(ReplaceTextFile(path, "new text\n"));
    }
    EXPECT_FALSE(ReplaceTextFile(folder / L"missing\\out.txt", "text"));
    EXPECT_EQ(ReadBytes(path), "earlier\r\n");
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"out.txt"});
}

// A small volume of its own that the test run mounts (see CMakeLists.txt), which fills up
// half-way through the text.
TEST(ReplaceTextFile, LeavesTheEarlierFileOnAFullDisk) {
    const std::filesystem::path volume = WindowsPath(SMALL_VOLUME_DIR);
    ULARGE_INTEGER total = {};
    if (!GetDiskFreeSpaceExW(volume.c_str(), nullptr, &total, nullptr) ||
        total.QuadPart > 1024 * 1024) {
        GTEST_SKIP() << "no small volume mounted at " << SMALL_VOLUME_DIR;
    }
    const auto path = volume / L"full.txt";
    WriteBytes(path, "earlier\r\n");
    EXPECT_FALSE(ReplaceTextFile(path, std::string(2 * total.QuadPart, 'x')));
    EXPECT_EQ(ReadBytes(path), "earlier\r\n");
    EXPECT_EQ(FolderNames(volume), std::vector<std::wstring>{L"full.txt"});
    std::filesystem::remove(path);
}
