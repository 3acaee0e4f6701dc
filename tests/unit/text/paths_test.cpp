#include "text/paths.h"

#include <fstream>
#include <system_error>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

TEST(AppendPath, JoinsWideAndUtf8Components) {
    fs::path path(L"C:\\Program Files\\Vistora");
    AppendPath(path, std::wstring(L"bin"));
    AppendPath(path, std::string("gr\xC3\xBC\xC3\x9F" "e.txt"));
    EXPECT_EQ(path.wstring(), L"C:\\Program Files\\Vistora\\bin\\gr\u00FC\u00DFe.txt");

    fs::path withSeparator(L"C:\\data\\");
    AppendPath(withSeparator, std::string("x"));
    EXPECT_EQ(withSeparator.wstring(), L"C:\\data\\x");
}

TEST(ParentDirectory, KeepsPathsWithoutParent) {
    struct Case { std::wstring in, out; };
    const Case cases[] = {
        {L"C:\\a\\b", L"C:\\a"},
        {L"C:\\a", L"C:\\"},
        {L"C:\\", L"C:\\"},
        {L"file.txt", L"file.txt"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        fs::path path(c.in);
        ParentDirectory(path);
        EXPECT_EQ(path.wstring(), c.out) << c.in;
    }
}

TEST(LowerExtension, TakesFromTheLastDot) {
    struct Case { std::wstring in, out; };
    const Case cases[] = {
        {L"C:\\x\\Setup.EXE", L".exe"},
        {L"archive.tar.GZ", L".gz"},
        {L"notes", L""},
        {L"..", L""},
        {L".", L""},
        {L"C:\\dir.d\\file", L""},
        {L".TXT", L".txt"},
        {L"name.", L"."},
        {L"caf\u00C9.\u00C4B", L".\u00C4b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LowerExtension(c.in), c.out) << c.in;
    }
}

TEST(FileQueries, TellFilesFoldersAndMissingPaths) {
    TempFolder folder;
    std::ofstream(folder / L"file.txt") << "x";
    fs::create_directory(folder / L"sub");
    EXPECT_TRUE(FileExists(folder / L"file.txt"));
    EXPECT_TRUE(IsRegularFile(folder / L"file.txt"));
    EXPECT_TRUE(FileExists(folder / L"sub"));
    EXPECT_FALSE(IsRegularFile(folder / L"sub"));
    EXPECT_FALSE(FileExists(folder / L"missing"));
    EXPECT_FALSE(IsRegularFile(folder / L"missing"));
    EXPECT_FALSE(FileExists(folder / L"missing\\deeper"));
}

TEST(CurrentDirectory, FollowsSetCurrentDirectory) {
    TempFolder folder;
    const fs::path deep = fs::path(std::wstring(120, L'a')) / std::wstring(120, L'b');
    folder.EnterSubfolder(deep);
    EXPECT_EQ(CurrentDirectory(), folder.Path() / deep);
}

TEST(ProductDirectory, SkipsADistributionFolderInAnyLetterCase) {
    struct Case { std::wstring toolFolder, product; };
    const Case cases[] = {
        {L"Vistora\\tools", L"Vistora"},
        {L"Vistora\\distribution\\tools", L"Vistora"},
        {L"Vistora\\DisTribution\\tools", L"Vistora"},
        {L"Vistora\\distributions\\tools", L"Vistora\\distributions"},
        {L"Vistora\\distribution", L"Vistora"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        folder.EnterSubfolder(c.toolFolder);
        EXPECT_EQ(ProductDirectory(), folder.Path() / c.product) << c.toolFolder;
    }
}

TEST(ProductDirectory, StopsAtTheRoot) {
    // A tool folder directly below a root "Distribution" folder, and the root itself.
    const fs::path distribution = L"C:\\Distribution";
    const fs::path tool = distribution / (L"sysprobe-" + std::to_wstring(GetCurrentProcessId()));
    // Puts the current directory back and removes what the test made, also when an
    // assertion ends it early.
    struct Restore {
        fs::path previous, tool, distribution;
        bool madeDistribution;
        ~Restore() {
            SetCurrentDirectoryW(previous.c_str());
            std::error_code ignored;
            fs::remove(tool, ignored);
            if (madeDistribution) fs::remove(distribution, ignored);
        }
    } restore{fs::current_path(), tool, distribution, fs::create_directory(distribution)};
    fs::create_directory(tool);

    ASSERT_TRUE(SetCurrentDirectoryW(tool.c_str()));
    EXPECT_EQ(ProductDirectory().wstring(), L"C:\\");
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    EXPECT_EQ(ProductDirectory().wstring(), L"C:\\");
}
