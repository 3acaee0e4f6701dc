#include "reader/reports.h"
#include "reader/utf8.h"

namespace {

void AppendJsonString(std::string& out, const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
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
    out += '"';
}

}  // namespace

std::string FormatJsonReport(const Diagnosis& diagnosis) {
    std::string out = "{\n  \"findings\": [";
    const char* separator = "\n";
    for (const Finding& finding : diagnosis.findings) {
        out += separator;
        separator = ",\n";
        out += "    {\"id\": ";
        AppendJsonString(out, finding.id);
        out += ", \"severity\": ";
        AppendJsonString(out, SeverityName(finding.severity));
        out += ", \"title\": ";
        AppendJsonString(out, finding.title);
        out += ", \"advice\": ";
        AppendJsonString(out, finding.advice);
        out += ", \"evidence\": [";
        const char* evidenceSeparator = "";
        for (const Evidence& evidence : finding.evidence) {
            out += evidenceSeparator;
            evidenceSeparator = ", ";
            out += "{\"section\": ";
            AppendJsonString(out, evidence.section);
            out += ", \"line\": " + std::to_string(evidence.line) + ", \"text\": ";
            AppendJsonString(out, evidence.text);
            out += '}';
        }
        out += "]}";
    }
    out += diagnosis.findings.empty() ? "],\n" : "\n  ],\n";
    out += "  \"sections\": [";
    separator = "";
    for (const std::string& title : diagnosis.sections) {
        out += separator;
        AppendJsonString(out, title);
        separator = ", ";
    }
    out += "],\n  \"complete\": ";
    out += diagnosis.complete ? "true" : "false";
    return out + "\n}\n";
}
