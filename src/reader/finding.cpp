#include "reader/finding.h"

Evidence EvidenceAt(const LogDocument& log, const LogSection& section, std::size_t index) {
    return {section.title, index + 1, std::string(log.lines[index])};
}

const char* SeverityName(Severity severity) {
    switch (severity) {
        case Severity::Problem: return "problem";
        case Severity::Warning: return "warning";
        case Severity::Info: return "info";
    }
    return "info";
}
