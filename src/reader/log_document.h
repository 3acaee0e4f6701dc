#pragma once
// A saved full log as lines and sections, read the way users send it back: CR LF or LF,
// with or without a byte-order mark, with trailing blanks trimmed, cut short, or with
// sections missing.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The part of the log after the last product log file: the DirectX report or the line
// that says why there is none.
extern const char* const kDxDiagSectionTitle;

struct LogSection {
    std::string title;        // the heading as written, or kDxDiagSectionTitle
    std::size_t headingLine;  // line number of the heading (or first line), from 1
    std::size_t bodyBegin;    // index into LogDocument::lines of the first body line
    std::size_t bodyEnd;      // one past the last body line
};

struct LogDocument {
    std::shared_ptr<const std::string> text;  // what the lines point into
    std::vector<std::string_view> lines;      // line number = index + 1; blanks trimmed
    std::vector<LogSection> sections;         // in the order of the log
    bool endsWhole = false;                   // the closing empty lines are there
};

LogDocument ReadLogDocument(std::string bytes);

// The first section of that title, or null.
const LogSection* FindSection(const LogDocument& log, std::string_view title);

// The titles every full log has (the Windows version and the module listings are left
// out when there is nothing to show), in their order.
const std::vector<std::string>& RequiredSectionTitles();

// "log.txt:" or "log.txt: missing" and the like: where a product log file's tail begins.
bool IsProductLogHeading(std::string_view line);

bool IsEqualsLine(std::string_view line);
bool IsDashLine(std::string_view line);
