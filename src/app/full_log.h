#pragma once
// The full log that "Save Full Log" writes: every section in its fixed order, composed
// from the start-up findings and the texts the collectors gathered for this save.
#include <optional>
#include <string>
#include <vector>

#include "app/application_state.h"

// One of Vistora's own log files, by the relative path the log prints.
struct ProductLogFile {
    std::wstring relativePath;        // "bin\\weblog.txt"
    // UTF-8, up to the first NUL, at most the last 20000 bytes; nothing when missing.
    std::optional<std::string> tail;
};

struct FullLogSections {
    std::string productConfig;     // UTF-8 dump of "config.json"
    std::wstring windowsSettings;  // whole sections, heading and closing blank lines included
    std::wstring windowsVersion;   // "" when the section is left out
    std::wstring steam;
    std::wstring dependencies;  // body of "Dependency error analysis"
    std::wstring desktopWindows;
    std::vector<ProductLogFile> logFiles;
    std::wstring dxDiag;
};

std::wstring ComposeFullLog(const ApplicationState& state, const FullLogSections& sections);
