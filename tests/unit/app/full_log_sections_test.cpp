#include "app/full_log_sections.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "support/written_files.h"

TEST(ReadProductLogFiles, TakesTheTailOfEachLogAndNotesMissingOnes) {
    std::string longLog;
    for (int i = 0; longLog.size() < 30000; ++i) longLog += "entry " + std::to_string(i) + "\r\n";
    longLog.resize(30000);
    std::string longLogText;  // as read in text mode
    for (char c : longLog) {
        if (c != '\r') longLogText += c;
    }

    TempFolder product;
    WriteBytes(product / L"log.txt", longLog);
    WriteBytes(product / L"bin" / L"vistorauilog.txt", std::string("started\n\0garbage", 16));
    WriteBytes(product / L"bin" / L"debug.log", "");
    // "bin\weblog.txt" is missing; a folder of that name is no log either.
    std::filesystem::create_directories(product / L"bin" / L"weblog.txt");

    struct Expected { std::wstring relativePath; std::optional<std::string> tail; };
    const Expected expected[] = {
        {L"log.txt", longLogText.substr(longLogText.size() - 20000)},
        {L"bin\\vistorauilog.txt", "started\n"},
        {L"bin\\weblog.txt", std::nullopt},
        {L"bin\\debug.log", ""},
    };
    const std::vector<ProductLogFile> files = ReadProductLogFiles(product.Path());
    ASSERT_EQ(files.size(), std::size(expected));
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].relativePath, expected[i].relativePath);
        EXPECT_EQ(files[i].tail, expected[i].tail) << files[i].relativePath;
    }
}

TEST(ReadProductLogFiles, NotesEveryLogMissingWithoutAProductFolder) {
    std::vector<std::wstring> missing;
    for (const ProductLogFile& file : ReadProductLogFiles(std::nullopt)) {
        if (!file.tail) missing.push_back(file.relativePath);
    }
    const std::vector<std::wstring> expected = {L"log.txt", L"bin\\vistorauilog.txt",
                                                L"bin\\weblog.txt", L"bin\\debug.log"};
    EXPECT_EQ(missing, expected);
}
