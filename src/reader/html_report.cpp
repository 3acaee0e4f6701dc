// One page that opens anywhere: styles inline, no scripts, nothing fetched.
#include "reader/reports.h"
#include "reader/utf8.h"

namespace {

std::string Html(const std::string& text) {
    std::string out;
    for (char c : RepairUtf8(text)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\0': out += "&#xFFFD;"; break;
            default: out += c;
        }
    }
    return out;
}

const char kStyle[] = R"(
body { font-family: "Segoe UI", system-ui, sans-serif; margin: 2em auto; max-width: 60em;
       padding: 0 1em; color: #1d1d1f; background: #fafafa; }
h1 { font-size: 1.5em; margin-bottom: 0.2em; }
.file { color: #555; margin-top: 0; }
.summary { padding: 0.7em 1em; border-radius: 6px; background: #e8f4ea; }
.summary.attention { background: #fdf0e6; }
.finding { background: #fff; border: 1px solid #ddd; border-left: 6px solid #888;
           border-radius: 6px; margin: 1em 0; padding: 0.8em 1em; }
.finding.problem { border-left-color: #c62828; }
.finding.warning { border-left-color: #ef8f00; }
.finding.info { border-left-color: #1e6fd9; }
.finding h2 { font-size: 1.1em; margin: 0 0 0.4em; }
.badge { display: inline-block; font-size: 0.75em; text-transform: uppercase; color: #fff;
         border-radius: 3px; padding: 0.1em 0.5em; margin-right: 0.5em; vertical-align: 0.1em; }
.problem .badge { background: #c62828; } .warning .badge { background: #b86e00; }
.info .badge { background: #1e6fd9; }
.id { color: #777; font-size: 0.8em; font-weight: normal; font-family: monospace; }
.advice { white-space: pre-wrap; margin: 0.4em 0 0.6em; }
table { border-collapse: collapse; width: 100%; font-size: 0.9em; table-layout: fixed; }
col.section { width: 16em; } col.line { width: 4em; }
th { text-align: left; color: #555; font-weight: 600; padding: 0.2em 0.5em; }
td { border-top: 1px solid #eee; padding: 0.2em 0.5em; vertical-align: top; }
td.line { text-align: right; white-space: nowrap; color: #555; }
td.text { font-family: Consolas, monospace; white-space: pre-wrap; overflow-wrap: anywhere; }
.sections { color: #555; font-size: 0.9em; }
)";

}  // namespace

std::string FormatHtmlReport(const Diagnosis& diagnosis, const std::string& logName) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<title>Vistora log: " + Html(logName) + "</title>\n<style>" + kStyle + "</style>\n";
    out += "</head>\n<body>\n<h1>Vistora System Diagnostics log</h1>\n";
    out += "<p class=\"file\">" + Html(logName) + "</p>\n";
    std::size_t counts[3] = {};
    for (const Finding& finding : diagnosis.findings) ++counts[static_cast<int>(finding.severity)];
    if (NeedsAttention(diagnosis)) {
        out += "<p class=\"summary attention\">" + std::to_string(counts[0]) + " problems, " +
               std::to_string(counts[1]) + " warnings, " + std::to_string(counts[2]) +
               " notes. The most important come first.</p>\n";
    } else {
        out += "<p class=\"summary\">" + std::string(kNothingToAttend) + "</p>\n";
    }
    for (const Finding& finding : diagnosis.findings) {
        const std::string severity = SeverityName(finding.severity);
        out += "<section class=\"finding " + severity + "\">\n<h2><span class=\"badge\">" +
               severity + "</span>" + Html(finding.title) + " <span class=\"id\">" +
               Html(finding.id) + "</span></h2>\n";
        if (!finding.advice.empty()) {
            out += "<p class=\"advice\">" + Html(finding.advice) + "</p>\n";
        }
        if (!finding.evidence.empty()) {
            out +=
                "<table>\n<col class=\"section\"><col class=\"line\"><col>\n"
                "<tr><th>Section of the log</th><th>Line</th><th>What it says</th></tr>\n";
            for (const Evidence& evidence : finding.evidence) {
                out += "<tr><td>" + Html(evidence.section) + "</td><td class=\"line\">" +
                       std::to_string(evidence.line) + "</td><td class=\"text\">" +
                       Html(evidence.text) + "</td></tr>\n";
            }
            out += "</table>\n";
        }
        out += "</section>\n";
    }
    out += "<p class=\"sections\">Sections read: ";
    const char* separator = "";
    for (const std::string& title : diagnosis.sections) {
        out += separator + Html(title);
        separator = ", ";
    }
    const std::vector<std::string>& missing = diagnosis.missingSections;
    if (!missing.empty()) {
        out += ". Not in this log, so not read: ";
        separator = "";
        for (const std::string& title : missing) {
            out += separator + Html(title);
            separator = ", ";
        }
    }
    out += ".</p>\n</body>\n</html>\n";
    return out;
}
