// Errors, exceptions and crashes reported in the tails of Vistora's own log files.
#include "reader/section_findings.h"
#include "reader/utf8.h"

namespace {

constexpr std::size_t kShownLines = 5;

const char* const kTroubleWords[] = {"error", "exception", "crash"};

bool ReportsTrouble(std::string_view line) {
    for (const char* word : kTroubleWords) {
        if (ContainsFolded(line, word)) return true;
    }
    return false;
}

}  // namespace

void AddProductLogFindings(const LogDocument& log, Findings& findings) {
    const LogSection* contents = FindSection(log, "Log contents");
    if (!contents) return;
    std::size_t count = 0;
    std::vector<Evidence> shown;
    for (std::size_t i = contents->bodyBegin; i < contents->bodyEnd; ++i) {
        const std::string_view line = log.lines[i];
        if (IsProductLogHeading(line) || IsDashLine(line) || !ReportsTrouble(line)) continue;
        ++count;
        if (shown.size() < kShownLines) shown.push_back(EvidenceAt(log, *contents, i));
    }
    if (count == 0) return;
    findings.push_back({"product-log-errors", Severity::Warning,
                        std::to_string(count) + (count == 1 ? " line" : " lines") +
                            " of Vistora's own logs report an error, an exception or a crash",
                        "Read them for what Vistora was doing when it failed; the first " +
                            std::to_string(shown.size()) + " are shown.",
                        std::move(shown)});
}
