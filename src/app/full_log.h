#pragma once
// The full log that "Save Full Log" writes: every section in its fixed order, composed
// from the start-up findings and the texts the collectors gathered for this save.
#include <optional>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "collectors/log_section.h"

// One of Vistora's own log files, by the relative path the log prints.
struct ProductLogFile {
    std::wstring relativePath;        // "bin\\weblog.txt"
    // UTF-8, up to the first NUL, at most the last 20000 bytes; nothing when missing.
    std::optional<std::string> tail;
};

// What the collectors gathered for one save; the composer adds every heading.
struct FullLogSections {
    std::wstring productConfig;  // body of "Config info"
    // "Windows settings", "Windows version info" when there is something to show, and
    // "Steam info", in this order.
    std::vector<LogSection> system;
    std::wstring dependencies;  // body of "Dependency error analysis"
    std::wstring desktopWindows;  // body of "Desktop window state"
    std::vector<ProductLogFile> logFiles;
    // What the DxDiag capture wrote, its own headings included: they tell whether it was
    // cancelled and whether a report came.
    std::wstring dxDiag;
};

std::wstring ComposeFullLog(const ApplicationState& state, const FullLogSections& sections);
