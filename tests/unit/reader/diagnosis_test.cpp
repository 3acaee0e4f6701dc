// A log the tool saved, as it was written and as users send it back mangled.
#include <algorithm>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "reader/diagnosis.h"
#include "reader/utf8.h"
#include "reader_logs.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Every evidence line is the line of the log it names.
void ExpectEvidenceIsTheLog(const Diagnosis& diagnosis, const std::string& log) {
    const std::vector<std::string> lines = Lines(log);
    for (const Finding& finding : diagnosis.findings) {
        for (const Evidence& evidence : finding.evidence) {
            ASSERT_TRUE(evidence.line >= 1 && evidence.line <= lines.size()) << finding.id;
            std::string line = lines[evidence.line - 1];
            line.erase(line.find_last_not_of(" \t") + 1);
            EXPECT_EQ(line, evidence.text) << finding.id;
        }
    }
}

const std::set<std::string> kPlanted = {"conflict:rivatuner", "unknown-module", "steam-outdated",
                                        "config-unreadable", "product-log-errors"};

std::string LfOnly(std::string log) {
    log.erase(std::remove(log.begin(), log.end(), '\r'), log.end());
    return log;
}

std::string TrailingBlanksTrimmed(const std::string& log) {
    std::string out;
    for (const std::string& line : Lines(log)) {
        out += line.substr(0, line.find_last_not_of(" \t") + 1) + "\n";
    }
    return out;
}

std::string Utf16WithMark(const std::string& log) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : Utf8ToWideText(log)) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
    }
    return out;
}

// Cut in the middle of the firewall report, as a message size limit cuts.
std::string CutInFirewallSection(const std::string& log) {
    return log.substr(0, log.find("Firewall read result:") + 10);
}

std::string WithoutSteamSection(const std::string& log) {
    const std::size_t start = log.find("Steam info\r\n");
    const std::size_t end = log.find("Dependency error analysis\r\n");
    return log.substr(0, start) + log.substr(end);
}

}  // namespace

TEST(SavedLog, GivesEachPlantedConditionWithItsLine) {
    const std::string log = SavedLog();
    const Diagnosis diagnosis = Diagnose(log);
    EXPECT_TRUE(diagnosis.complete);
    EXPECT_TRUE(diagnosis.missingSections.empty());
    const std::set<std::string> ids = Ids(diagnosis);
    for (const std::string& id : kPlanted) EXPECT_EQ(ids.count(id), 1u) << id;
    EXPECT_EQ(ids.count("log-incomplete"), 0u);
    EXPECT_EQ(ids.count("vistora-not-running"), 0u);
    ExpectEvidenceIsTheLog(diagnosis, log);

    const Finding rivatuner = FindingOf(diagnosis, "conflict:rivatuner");
    EXPECT_EQ(rivatuner.title, "RivaTuner interferes with Vistora");
    EXPECT_NE(rivatuner.advice.find("RivaTuner installed which could inject into Vistora"),
              std::string::npos);
    ASSERT_EQ(rivatuner.evidence.size(), 2u);
    EXPECT_EQ(rivatuner.evidence[0].text, "Detected RivaTuner");
    EXPECT_NE(rivatuner.evidence[1].text.find("\\hooks\\RTSSHooks64.dll"), std::string::npos);
    // The unknown module is the one from elsewhere: not the hook, not the host, not Windows'.
    const Finding unknown = FindingOf(diagnosis, "unknown-module");
    ASSERT_EQ(unknown.evidence.size(), 1u);
    EXPECT_NE(unknown.evidence[0].text.find("acmeoverlay64.dll"), std::string::npos);
    EXPECT_EQ(unknown.evidence[0].section, "All Modules vistora64.exe");
    EXPECT_EQ(FindingOf(diagnosis, "steam-outdated").advice.find("over 2 months old"),
              std::string("It looks like your Steam client is ").size());
    // Problems first, then warnings, then information.
    EXPECT_TRUE(
        std::is_sorted(diagnosis.findings.begin(), diagnosis.findings.end(),
                       [](const Finding& a, const Finding& b) { return a.severity < b.severity; }));
}

TEST(SavedLog, MangledCopiesKeepWhatTheirTextSupports) {
    struct Case {
        const char* name;
        std::string log;
        std::set<std::string> kept;  // of the planted findings
        const char* missing;         // a section reported missing, or null
        bool complete;
    };
    const std::string saved = SavedLog();
    const std::set<std::string> beforeFirewall = {"conflict:rivatuner", "unknown-module",
                                                  "steam-outdated", "config-unreadable"};
    std::set<std::string> withoutSteam = kPlanted;
    withoutSteam.erase("steam-outdated");
    const Case cases[] = {
        {"LF only", LfOnly(saved), kPlanted, nullptr, true},
        {"byte-order mark", "\xEF\xBB\xBF" + saved, kPlanted, nullptr, true},
        {"trailing blanks trimmed", TrailingBlanksTrimmed(saved), kPlanted, nullptr, true},
        {"UTF-16 with its mark", Utf16WithMark(saved), kPlanted, nullptr, true},
        {"cut in a section", CutInFirewallSection(saved), beforeFirewall, "Log contents", false},
        {"Steam section deleted", WithoutSteamSection(saved), withoutSteam, "Steam info", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Diagnosis diagnosis = Diagnose(c.log);
        const std::set<std::string> ids = Ids(diagnosis);
        for (const std::string& id : kPlanted) EXPECT_EQ(ids.count(id), c.kept.count(id)) << id;
        EXPECT_EQ(diagnosis.complete, c.complete);
        EXPECT_EQ(ids.count("log-incomplete"), c.complete ? 0u : 1u);
        if (c.missing) {
            EXPECT_NE(std::find(diagnosis.missingSections.begin(), diagnosis.missingSections.end(),
                                c.missing),
                      diagnosis.missingSections.end());
            EXPECT_NE(FindingOf(diagnosis, "log-incomplete").title.find(c.missing),
                      std::string::npos);
        }
        if (!StartsWith(c.log, "\xFF\xFE")) ExpectEvidenceIsTheLog(diagnosis, c.log);
    }
}

TEST(SavedLog, CutShortAtAnyLineStillReads) {
    // Every cut after the Status heading still counts as a log, reported incomplete.
    const std::string saved = SavedLog();
    const std::size_t firstHeadingEnd = saved.find("Status\r\n") + 8 + 62;
    for (std::size_t cut = firstHeadingEnd; cut < saved.size() - 6; cut += 97) {
        const std::optional<Diagnosis> diagnosis = DiagnoseLog(saved.substr(0, cut));
        ASSERT_TRUE(diagnosis) << cut;
        EXPECT_FALSE(diagnosis->complete) << cut;
    }
}

TEST(NotALog, IsRefused) {
    const std::string cases[] = {
        "",
        "hello\r\n",
        "{\"general\": {\"user\": {}}}",
        std::string("\0\x01\x02\xFF", 4),
        // A heading without its equals line, and an equals line under an unknown title.
        "Status\r\nvistora64.exe Found\r\n",
        "Summary\r\n" + std::string(60, '=') + "\r\n",
    };
    for (const std::string& text : cases) EXPECT_FALSE(DiagnoseLog(text)) << text;
}
