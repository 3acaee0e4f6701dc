#include "reader/diagnosis.h"

#include <algorithm>

#include "reader/section_findings.h"

namespace {

// The sections that are not there, and where the file ends early.
std::optional<Finding> IncompleteFinding(const LogDocument& log,
                                         const std::vector<std::string>& missing) {
    Finding finding{"log-incomplete", Severity::Warning, "", "", {}};
    for (const std::string& title : missing) {
        finding.title += (finding.title.empty() ? "" : ", ") + title;
    }
    if (!missing.empty()) finding.title = "Sections missing from the log: " + finding.title;
    if (!log.endsWhole) {
        // The last line with text is where the file was cut.
        std::size_t last = log.lines.size();
        while (last > 0 && log.lines[last - 1].empty()) --last;
        if (last > 0) {
            const LogSection* within = nullptr;
            for (const LogSection& section : log.sections) {
                if (section.headingLine <= last) within = &section;
            }
            finding.evidence.push_back(
                {within ? within->title : std::string(), last, std::string(log.lines[last - 1])});
        }
        finding.title += std::string(finding.title.empty() ? "The" : "; the") + " log ends early";
    }
    if (missing.empty() && log.endsWhole) return std::nullopt;
    // A missing section is shown by the heading that follows the place it belongs.
    for (const std::string& title : missing) {
        const auto& required = RequiredSectionTitles();
        const auto position = std::find(required.begin(), required.end(), title);
        for (auto next = position + 1; next != required.end(); ++next) {
            if (const LogSection* section = FindSection(log, *next)) {
                finding.evidence.push_back({section->title, section->headingLine,
                                            std::string(log.lines[section->headingLine - 1])});
                break;
            }
        }
    }
    finding.advice =
        "The findings cover only what the log holds. Ask the user for the log "
        "again: save it with 'Save Full Log' and attach the file as it is, not "
        "pasted into a message.";
    return finding;
}

}  // namespace

std::optional<Diagnosis> DiagnoseLog(std::string bytes) {
    const LogDocument log = ReadLogDocument(std::move(bytes));
    if (log.sections.empty()) return std::nullopt;
    Diagnosis diagnosis;
    for (const LogSection& section : log.sections) diagnosis.sections.push_back(section.title);
    for (const std::string& title : RequiredSectionTitles()) {
        if (!FindSection(log, title)) diagnosis.missingSections.push_back(title);
    }
    Findings& findings = diagnosis.findings;
    if (std::optional<Finding> incomplete = IncompleteFinding(log, diagnosis.missingSections)) {
        findings.push_back(std::move(*incomplete));
    }
    diagnosis.complete = findings.empty();
    AddConflictFindings(log, findings);
    AddStateFindings(log, findings);
    AddDependencyFindings(log, findings);
    AddDesktopFindings(log, findings);
    AddDxDiagFindings(log, findings);
    AddProductLogFindings(log, findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.severity < b.severity; });
    return diagnosis;
}

bool NeedsAttention(const Diagnosis& diagnosis) {
    return std::any_of(diagnosis.findings.begin(), diagnosis.findings.end(),
                       [](const Finding& f) { return f.severity != Severity::Info; });
}
