#include "text/text_file.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
}

}  // namespace

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

TEST(WriteTextFile, FailsWhenTheFolderIsMissing) {
    TempFolder folder;
    EXPECT_FALSE(WriteTextFile(folder / L"missing\\out.txt", "text"));
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

TEST(TextFile, RoundTripIsByteExact) {
    TempFolder folder;
    const auto path = folder / L"round.txt";
    const std::string text = "line one\nline \xC3\xBC\n\nlast";
    ASSERT_TRUE(WriteTextFile(path, text));
    EXPECT_EQ(ReadBytes(path), "line one\r\nline \xC3\xBC\r\n\r\nlast");
    EXPECT_EQ(ReadTextFile(path), text);
}
