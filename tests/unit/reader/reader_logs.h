#pragma once
// The log the tool saved under Wine, the hand-made section files beside it, and ways to
// put one into the other.
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "reader/diagnosis.h"

inline std::string ReadLogFile(const std::string& name) {
    std::ifstream file(std::string(READER_LOGS_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The saved log: CR LF line ends, and the machine's planted conditions (a RivaTuner hook
// in vistora64.exe, a module from elsewhere, Steam 75 days old, no config.json, one
// failing line in log.txt).
inline std::string SavedLog() { return ReadLogFile("saved_under_wine.txt"); }

// The log with the body of the section under `heading` (a heading line and its equals
// line, CR LF) replaced up to the next empty line pair, or to the end for the last part.
inline std::string WithSectionBody(std::string log, const std::string& heading,
                                   const std::string& body) {
    const std::string start = "\r\n" + heading + "\r\n" + std::string(60, '=') + "\r\n";
    const std::size_t at = log.find(start);
    EXPECT_NE(at, std::string::npos) << heading;
    if (at == std::string::npos) return log;
    const std::size_t bodyAt = at + start.size();
    std::size_t end = log.find("\r\n\r\n\r\n", bodyAt);
    end = end == std::string::npos ? log.size() : end;
    return log.replace(bodyAt, end - bodyAt, body);
}

inline Diagnosis Diagnose(const std::string& log) {
    std::optional<Diagnosis> diagnosis = DiagnoseLog(log);
    EXPECT_TRUE(diagnosis);
    return diagnosis ? *diagnosis : Diagnosis{};
}

inline std::set<std::string> Ids(const Diagnosis& diagnosis) {
    std::set<std::string> ids;
    for (const Finding& finding : diagnosis.findings) ids.insert(finding.id);
    return ids;
}

// The finding of that id; a recorded failure and an empty finding when there is none.
inline Finding FindingOf(const Diagnosis& diagnosis, const std::string& id) {
    for (const Finding& finding : diagnosis.findings) {
        if (finding.id == id) return finding;
    }
    ADD_FAILURE() << "no finding " << id;
    return {};
}
