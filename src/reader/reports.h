#pragma once
// The diagnosis as support reads it: plain text, JSON for scripts, one HTML page. All
// three are UTF-8, whatever bytes the log held.
#include <string>

#include "reader/diagnosis.h"

// logName: how the page and the text name the log (its file name).
std::string FormatTextReport(const Diagnosis& diagnosis, const std::string& logName);
std::string FormatJsonReport(const Diagnosis& diagnosis);
std::string FormatHtmlReport(const Diagnosis& diagnosis, const std::string& logName);

// "No problems or warnings", said plainly.
extern const char* const kNothingToAttend;
