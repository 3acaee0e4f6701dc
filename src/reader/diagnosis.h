#pragma once
// A saved full log in, the findings most important first out.
#include <optional>
#include <string>
#include <vector>

#include "reader/finding.h"

struct Diagnosis {
    Findings findings;                         // problems, then warnings, then information
    std::vector<std::string> sections;         // the titles found, in the log's order
    std::vector<std::string> missingSections;  // what every full log has and this one lacks
    bool complete = false;                     // every section there and the file ends whole
};

// Empty when the bytes are no full log at all.
std::optional<Diagnosis> DiagnoseLog(std::string bytes);

// True when a finding is a problem or a warning.
bool NeedsAttention(const Diagnosis& diagnosis);
