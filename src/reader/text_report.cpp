#include "reader/reports.h"
#include "reader/utf8.h"

const char* const kNothingToAttend = "No problems or warnings found in this log.";

namespace {

// Each line of the text indented, so a finding's parts stand out.
std::string Indented(const std::string& text, const std::string& indent) {
    std::string out = indent;
    for (char c : text) {
        out += c;
        if (c == '\n') out += indent;
    }
    return out + "\n";
}

}  // namespace

std::string FormatTextReport(const Diagnosis& diagnosis, const std::string& logName) {
    std::string out = "Findings in " + RepairUtf8(logName) + "\n\n";
    if (!NeedsAttention(diagnosis)) out += std::string(kNothingToAttend) + "\n\n";
    for (const Finding& finding : diagnosis.findings) {
        out += "[" + std::string(SeverityName(finding.severity)) + "] " + finding.title + " (" +
               finding.id + ")\n";
        if (!finding.advice.empty()) out += Indented(finding.advice, "    ");
        for (const Evidence& evidence : finding.evidence) {
            out += "    > " + evidence.section + ", line " + std::to_string(evidence.line) + ": " +
                   RepairUtf8(evidence.text) + "\n";
        }
        out += "\n";
    }
    const std::vector<std::string>& missing = diagnosis.missingSections;
    if (!missing.empty()) {
        out += "Not in this log, so not read:";
        for (const std::string& title : missing) out += " \"" + title + "\"";
        out += "\n";
    }
    return out;
}
