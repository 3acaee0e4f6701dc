#include "reader/reports.h"
#include "reader/utf8.h"

namespace {

std::string JsonString(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : RepairUtf8(text)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

}  // namespace

std::string FormatJsonReport(const Diagnosis& diagnosis) {
    std::string out = "{\n  \"findings\": [";
    const char* separator = "\n";
    for (const Finding& finding : diagnosis.findings) {
        out += separator;
        separator = ",\n";
        out += "    {\"id\": " + JsonString(finding.id) +
               ", \"severity\": " + JsonString(SeverityName(finding.severity)) +
               ", \"title\": " + JsonString(finding.title) +
               ", \"advice\": " + JsonString(finding.advice) + ", \"evidence\": [";
        const char* evidenceSeparator = "";
        for (const Evidence& evidence : finding.evidence) {
            out += evidenceSeparator;
            evidenceSeparator = ", ";
            out += "{\"section\": " + JsonString(evidence.section) +
                   ", \"line\": " + std::to_string(evidence.line) +
                   ", \"text\": " + JsonString(evidence.text) + "}";
        }
        out += "]}";
    }
    out += diagnosis.findings.empty() ? "],\n" : "\n  ],\n";
    out += "  \"sections\": [";
    separator = "";
    for (const std::string& title : diagnosis.sections) {
        out += separator + JsonString(title);
        separator = ", ";
    }
    out += "],\n  \"complete\": ";
    out += diagnosis.complete ? "true" : "false";
    return out + "\n}\n";
}
