// Generated and mutated input (fixed seeds): the reader never crashes or hangs, every
// evidence line it names exists, and what it writes is UTF-8. A 50 MB log gives a figure.
#include <chrono>
#include <iostream>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"
#include "reader/reports.h"
#include "reader/utf8.h"
#include "reader_logs.h"

namespace {

std::size_t LineCount(const std::string& text) {
    std::size_t count = 1;
    for (char c : text) count += c == '\n';
    return count;
}

void ExpectSound(const std::string& input) {
    const std::optional<Diagnosis> diagnosis = DiagnoseLog(input);
    if (!diagnosis) return;
    // A UTF-16 input has as many lines as its UTF-8 form; both count line feeds.
    const std::size_t lines = StartsWith(input, "\xFF\xFE")
                                  ? LineCount(Utf16LeToUtf8(input.substr(2)))
                                  : LineCount(input);
    for (const Finding& finding : diagnosis->findings) {
        for (const Evidence& evidence : finding.evidence) {
            ASSERT_TRUE(evidence.line >= 1 && evidence.line <= lines) << finding.id;
        }
    }
    for (const std::string& out : {FormatTextReport(*diagnosis, "x"), FormatJsonReport(*diagnosis),
                                   FormatHtmlReport(*diagnosis, "x")}) {
        ASSERT_EQ(RepairUtf8(out), out);
    }
}

// Lines the reader reacts to, for random logs that reach deep into its rules.
// The section headings come from the reader's own list.
const std::string kLogLines[] = {
    "All Modules vistora64.exe",
    "Windows version info",
    "DxDiag results:",
    "DxDiag was canceled!",
    "log.txt:",
    "bin\\debug.log: missing",
    "Detected RivaTuner",
    "Modules:",
    "Missing info for key ",
    "0x0000000000400000 4096 C:\\x.dll",
    "0x1 ",
    "vistora32.exe Not running",
    "vistora64.exe Not running",
    ".exe days old: 99999999999999999999",
    ".exe days old: -5",
    "Has firewall access: 0",
    "Interfering rules:",
    "Error module: libcef.dll, loaded: 0",
    "Error module: ",
    "Could not start x, error 5",
    "high contrast enabled: 1",
    "CurrentBuild: 99999999999",
    "ProductName: Windows 10",
    "< Config file empty >",
    "---------------",
    "Display Devices",
    "Card name: X",
    "Driver Date/Size: 99/99/99999",
    "Driver Date/Size: 2/2/2020",
    "Time of this report: 1/1/1",
    "-- 0x1 parent (0x0), name: , class: WorkerW, style: 0x0",
    ", class: , style: 0x",
    "error",
    std::string(60, '='),
    std::string(60, '-'),
    "",
    " ",
    "\xEF\xBB\xBF",
    "\r",
};

}  // namespace

TEST(ReaderFuzz, MutatedSavedLogs) {
    const std::string saved = SavedLog();
    RandomInput random(19);
    for (int i = 0; i < 400; ++i) ExpectSound(random.Mutate(saved));
}

TEST(ReaderFuzz, RandomLogsOfKnownLines) {
    RandomInput random(1903);
    std::vector<std::string> lines(std::begin(kLogLines), std::end(kLogLines));
    lines.insert(lines.end(), RequiredSectionTitles().begin(), RequiredSectionTitles().end());
    for (int i = 0; i < 400; ++i) {
        std::string log;
        const std::size_t count = random.Below(0, 300);
        for (std::size_t l = 0; l < count; ++l) {
            log += lines[random.Below(0, lines.size() - 1)];
            log += random.OneIn(3) ? "\n" : "\r\n";
        }
        ExpectSound(log);
        ExpectSound("\xFF\xFE" + log);
    }
}

TEST(ReaderFuzz, RandomBytes) {
    RandomInput random(7);
    for (int i = 0; i < 200; ++i) ExpectSound(random.Text(random.Below(0, 4000)));
}

TEST(ReaderFigure, FiftyMegabyteLog) {
    // The saved log with 50 MB more: module rows of Windows and of elsewhere, and product
    // log lines, the parts that grow on a busy machine.
    std::string big = SavedLog();
    std::string rows;
    for (std::size_t i = 0; rows.size() < 25u << 20; ++i) {
        rows += "0x00007FF8" + std::to_string(10000000 + i) + "       4096 " +
                (i % 4 ? "C:\\windows\\system32\\lib" : "D:\\Tools\\Overlay\\hook") +
                std::to_string(i) + ".dll\r\n";
    }
    std::string logLines;
    for (std::size_t i = 0; logLines.size() < 25u << 20; ++i) {
        logLines += "[12:00:" + std::to_string(i % 60) + "] render frame " + std::to_string(i) +
                    (i % 1000 ? " ok\r\n" : " error: device lost\r\n");
    }
    big.insert(big.find("\r\n\r\n\r\nAll Modules explorer.exe"),
               "\r\n" + rows.substr(0, rows.size() - 2));
    big.insert(big.find("vistora started\r\n"), logLines);
    const auto start = std::chrono::steady_clock::now();
    const std::optional<Diagnosis> diagnosis = DiagnoseLog(big);
    const std::string json = diagnosis ? FormatJsonReport(*diagnosis) : "";
    const auto elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    ASSERT_TRUE(diagnosis);
    EXPECT_EQ(Ids(*diagnosis).count("product-log-errors"), 1u);
    std::cout << "figure: a " << (big.size() >> 20) << " MiB log read and written as JSON in "
              << static_cast<long>(elapsed.count()) << " ms (" << diagnosis->findings.size()
              << " findings)\n";
}
