#include "reader/log_document.h"

#include <algorithm>

#include "reader/utf8.h"

const char* const kDxDiagSectionTitle = "DxDiag";

namespace {

constexpr std::string_view kModuleListingPrefix = "All Modules ";
constexpr std::string_view kLogContents = "Log contents";

// The product log files, in the order the log lists them.
const char* const kProductLogPaths[] = {"log.txt", "bin\\vistorauilog.txt", "bin\\weblog.txt",
                                        "bin\\debug.log"};

// How the DxDiag part begins: the report's heading, the cancel heading, or a failure line.
const char* const kDxDiagStarts[] = {"DxDiag results:", "DxDiag was canceled!",
                                     "DxDiag no file path.", "DxDiag.exe not found at ",
                                     "DxDiag error, temporary file cannot be access."};

// Headings before the product log files, in their order; module listings repeat.
const std::vector<std::string> kHeadingOrder = {"Status",
                                                "Detected Applications",
                                                std::string(kModuleListingPrefix),
                                                "Running Processes",
                                                "Config info",
                                                "Windows settings",
                                                "Windows version info",
                                                "Steam info",
                                                "Dependency error analysis",
                                                "Firewall status",
                                                "Desktop window state",
                                                std::string(kLogContents)};

std::string_view TrimEnd(std::string_view line) {
    const std::size_t end = line.find_last_not_of(" \t\r");
    return end == std::string_view::npos ? std::string_view() : line.substr(0, end + 1);
}

bool IsLineOf(std::string_view line, char c) {
    // Exactly 60 when written; a little slack for a hand-edited copy.
    return line.size() >= 40 && line.find_first_not_of(c) == std::string_view::npos;
}

std::string Decode(std::string bytes) {
    if (StartsWith(bytes, "\xFF\xFE")) return Utf16LeToUtf8(std::string_view(bytes).substr(2));
    if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.erase(0, 3);
    return bytes;
}

std::vector<std::string_view> SplitLines(const std::string& text) {
    std::vector<std::string_view> lines;
    const std::string_view all(text);
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = all.find('\n', begin);
        lines.push_back(
            TrimEnd(all.substr(begin, end == std::string_view::npos ? end : end - begin)));
        if (end == std::string_view::npos) break;
        begin = end + 1;
    }
    return lines;
}

// Index in kHeadingOrder of a heading allowed at or after position `from`, or -1.
int HeadingPosition(std::string_view title, std::size_t from) {
    for (std::size_t p = from; p < kHeadingOrder.size(); ++p) {
        const std::string& heading = kHeadingOrder[p];
        const bool matches = heading == kModuleListingPrefix
                                 ? StartsWith(title, heading) && title.size() > heading.size()
                                 : title == heading;
        if (matches) return static_cast<int>(p);
    }
    return -1;
}

// "path:" or "path: missing".
bool IsHeadingOf(std::string_view line, std::string_view path) {
    if (!StartsWith(line, path)) return false;
    const std::string_view rest = line.substr(path.size());
    return rest == ":" || rest == ": missing";
}

bool IsDxDiagStart(std::string_view line) {
    return std::any_of(std::begin(kDxDiagStarts), std::end(kDxDiagStarts),
                       [&](const char* start) { return StartsWith(line, start); });
}

// The DxDiag part starts after the dash line that closes the last product log file. The
// files' own text may hold anything, so the start is looked for only after the last file
// heading, and only right after a dash line.
std::size_t FindDxDiagStart(const std::vector<std::string_view>& lines, std::size_t from) {
    std::size_t lastFile = std::string_view::npos;
    std::size_t next = 0;
    for (std::size_t i = from; i < lines.size() && next < std::size(kProductLogPaths); ++i) {
        for (std::size_t p = next; p < std::size(kProductLogPaths); ++p) {
            if (IsHeadingOf(lines[i], kProductLogPaths[p])) {
                lastFile = i;
                next = p + 1;
                break;
            }
        }
    }
    if (lastFile == std::string_view::npos) return lines.size();
    bool afterDashLine = false;
    for (std::size_t i = lastFile + 1; i < lines.size(); ++i) {
        if (afterDashLine && IsDxDiagStart(lines[i])) return i;
        afterDashLine = IsDashLine(lines[i]) || (afterDashLine && lines[i].empty());
    }
    return lines.size();
}

}  // namespace

bool IsProductLogHeading(std::string_view line) {
    return std::any_of(std::begin(kProductLogPaths), std::end(kProductLogPaths),
                       [&](const char* path) { return IsHeadingOf(line, path); });
}

bool IsEqualsLine(std::string_view line) { return IsLineOf(line, '='); }
bool IsDashLine(std::string_view line) { return IsLineOf(line, '-'); }

const std::vector<std::string>& RequiredSectionTitles() {
    static const std::vector<std::string> titles = {"Status",
                                                    "Detected Applications",
                                                    "Running Processes",
                                                    "Config info",
                                                    "Windows settings",
                                                    "Steam info",
                                                    "Dependency error analysis",
                                                    "Firewall status",
                                                    "Desktop window state",
                                                    std::string(kLogContents),
                                                    kDxDiagSectionTitle};
    return titles;
}

LogDocument ReadLogDocument(std::string bytes) {
    LogDocument log;
    log.text = std::make_shared<const std::string>(Decode(std::move(bytes)));
    log.lines = SplitLines(*log.text);
    const std::vector<std::string_view>& lines = log.lines;
    const std::size_t count = lines.size();
    log.endsWhole = count >= 3 && lines[count - 1].empty() && lines[count - 2].empty();

    std::size_t from = 0;
    std::size_t logContentsBody = count;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (lines[i].empty() || IsEqualsLine(lines[i]) || !IsEqualsLine(lines[i + 1])) continue;
        const int position = HeadingPosition(lines[i], from);
        if (position < 0) continue;
        if (!log.sections.empty()) log.sections.back().bodyEnd = i;
        log.sections.push_back({std::string(lines[i]), i + 1, i + 2, count});
        // A module listing may follow another; every other heading comes once.
        from = kHeadingOrder[position] == kModuleListingPrefix ? position : position + 1;
        if (kHeadingOrder[position] == kLogContents) {
            logContentsBody = i + 2;
            break;
        }
    }
    if (logContentsBody < count) {
        const std::size_t dxDiag = FindDxDiagStart(lines, logContentsBody);
        if (dxDiag < count) {
            log.sections.back().bodyEnd = dxDiag;
            // A heading's body starts below its equals line; a failure line is the body.
            const bool heading = dxDiag + 1 < count && IsEqualsLine(lines[dxDiag + 1]);
            log.sections.push_back(
                {kDxDiagSectionTitle, dxDiag + 1, heading ? dxDiag + 2 : dxDiag, count});
        }
    }
    return log;
}

const LogSection* FindSection(const LogDocument& log, std::string_view title) {
    for (const LogSection& section : log.sections) {
        if (section.title == title) return &section;
    }
    return nullptr;
}
