#pragma once
// What the reader concludes from a log: findings, each with the lines that show it.
#include <cstddef>
#include <string>
#include <vector>

#include "reader/log_document.h"

enum class Severity { Problem, Warning, Info };

struct Evidence {
    std::string section;  // the section's title
    std::size_t line;     // line number in the log, from 1
    std::string text;     // the line as it stands in the log
};

struct Finding {
    std::string id;  // stable: support's notes and scripts refer to it
    Severity severity;
    std::string title;
    std::string advice;
    std::vector<Evidence> evidence;
};

using Findings = std::vector<Finding>;

// The body line at this index of the log, as evidence of its section.
Evidence EvidenceAt(const LogDocument& log, const LogSection& section, std::size_t index);

const char* SeverityName(Severity severity);
