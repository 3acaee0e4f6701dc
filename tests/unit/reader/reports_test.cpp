// The three forms of a diagnosis, and the command that writes them.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "reader/reports.h"
#include "reader/reader_command.h"
#include "reader_logs.h"

namespace {

namespace fs = std::filesystem;

Diagnosis SmallDiagnosis() {
    Diagnosis diagnosis;
    diagnosis.findings = {
        {"conflict:rivatuner",
         Severity::Problem,
         "RivaTuner \"hooks\"",
         "Line one\nline\ttwo",
         {{"Detected Applications", 12, "C:\\<b>\x01\xFF.dll"}}},
        {"gpu", Severity::Info, "Graphics: A & B", "", {}},
    };
    diagnosis.sections = {"Status", "DxDiag"};
    diagnosis.missingSections = {"Steam info"};
    return diagnosis;
}

struct Folder {
    Folder()
        : path(fs::temp_directory_path() /
               ("sysprobe-read-test-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Reports, JsonHasTheShapeScriptsRelyOn) {
    EXPECT_EQ(FormatJsonReport(SmallDiagnosis()),
              "{\n"
              "  \"findings\": [\n"
              "    {\"id\": \"conflict:rivatuner\", \"severity\": \"problem\", \"title\": "
              "\"RivaTuner \\\"hooks\\\"\", \"advice\": \"Line one\\nline\\ttwo\", \"evidence\": "
              "[{\"section\": \"Detected Applications\", \"line\": 12, \"text\": "
              "\"C:\\\\<b>\\u0001\xEF\xBF\xBD.dll\"}]},\n"
              "    {\"id\": \"gpu\", \"severity\": \"info\", \"title\": \"Graphics: A & B\", "
              "\"advice\": \"\", \"evidence\": []}\n"
              "  ],\n"
              "  \"sections\": [\"Status\", \"DxDiag\"],\n"
              "  \"complete\": false\n"
              "}\n");
    EXPECT_EQ(FormatJsonReport(Diagnosis{}),
              "{\n  \"findings\": [],\n  \"sections\": [],\n  \"complete\": false\n}\n");
}

TEST(Reports, TextAndPageSayWhatNeedsAttention) {
    const Diagnosis small = SmallDiagnosis();
    const std::string text = FormatTextReport(small, "info.txt");
    EXPECT_LT(text.find("[problem] RivaTuner \"hooks\" (conflict:rivatuner)"),
              text.find("[info] Graphics"));
    EXPECT_NE(text.find("    > Detected Applications, line 12: C:\\<b>\x01\xEF\xBF\xBD.dll\n"),
              std::string::npos);
    EXPECT_NE(text.find("Not in this log, so not read: \"Steam info\""), std::string::npos);
    EXPECT_EQ(text.find(kNothingToAttend), std::string::npos);

    Diagnosis calm = small;
    calm.findings.erase(calm.findings.begin());
    EXPECT_NE(FormatTextReport(calm, "info.txt").find(kNothingToAttend), std::string::npos);
    EXPECT_NE(FormatHtmlReport(calm, "info.txt").find(kNothingToAttend), std::string::npos);

    // The page escapes what the log says, runs nothing and fetches nothing.
    const std::string page = FormatHtmlReport(small, "<i>nfo.txt");
    EXPECT_NE(page.find("C:\\&lt;b&gt;\x01\xEF\xBF\xBD.dll"), std::string::npos);
    EXPECT_NE(page.find("RivaTuner &quot;hooks&quot;"), std::string::npos);
    EXPECT_NE(page.find("&lt;i&gt;nfo.txt"), std::string::npos);
    for (const char* absent : {"<script", "http:", "https:", "src=", "url(", "@import"}) {
        EXPECT_EQ(page.find(absent), std::string::npos) << absent;
    }
}

TEST(ReaderCommand, ReadsWritesAndRefuses) {
    Folder folder;
    const fs::path log = folder.path / "info.txt";
    std::ofstream(log, std::ios::binary) << SavedLog();
    const fs::path notes = folder.path / "notes.txt";
    std::ofstream(notes, std::ios::binary) << "Dear support,\r\nit crashes.\r\n";

    struct Case {
        std::vector<fs::path> arguments;
        int exitCode;
        const char* out;  // a part of the standard output
        const char* err;  // the one error line's start
    };
    const Case cases[] = {
        {{log}, kExitRead, "[problem] RivaTuner interferes with Vistora (conflict:rivatuner)", ""},
        {{"--json", log}, kExitRead, "\"id\": \"conflict:rivatuner\"", ""},
        {{log, "--html", folder.path / "page.html"}, kExitRead, "Findings in info.txt", ""},
        {{notes}, kExitNoLog, "", "sysprobe-read: "},
        {{folder.path / "absent.txt"}, kExitNoLog, "", "sysprobe-read: cannot read "},
        {{log, "--html", folder.path / "no folder" / "page.html"},
         kExitNoLog,
         "",
         "sysprobe-read: cannot write "},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<ReaderCommand> command = ParseReaderCommand(c.arguments, error);
        ASSERT_TRUE(command) << error;
        std::ostringstream out, err;
        EXPECT_EQ(RunReaderCommand(*command, out, err), c.exitCode);
        EXPECT_NE(out.str().find(c.out), std::string::npos) << out.str();
        EXPECT_EQ(err.str().rfind(c.err, 0), 0u) << err.str();
        // An error is one line.
        if (c.exitCode != kExitRead) {
            EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << err.str();
        }
    }
    EXPECT_NE(ReadFile(folder.path / "page.html").find("RivaTuner interferes with Vistora"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(folder.path / "page.html.partial"));
    EXPECT_EQ(PageBesideLog(log), folder.path / "info.html");

    const std::vector<std::vector<fs::path>> bad = {{}, {"--html"}, {log, log}, {"--json"}};
    for (const auto& arguments : bad) {
        std::string error;
        EXPECT_FALSE(ParseReaderCommand(arguments, error));
        EXPECT_FALSE(error.empty());
    }
}
