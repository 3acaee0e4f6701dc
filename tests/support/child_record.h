#pragma once
// What the fixture child wrote about itself: its command line, working directory and id.
#include <filesystem>
#include <optional>
#include <string>

#include <windows.h>

#include "support/fixture_process.h"
#include "text/encoding.h"

struct ChildRecord {
    std::wstring commandLine;
    std::filesystem::path directory;
    DWORD processId = 0;
};

// Waits (a bounded time) for the record of the fixture child at this path.
inline std::optional<ChildRecord> WaitForChildRecord(const std::filesystem::path& child) {
    const std::optional<std::string> text = WaitForRecordText(child);
    if (!text) return std::nullopt;
    ChildRecord record;
    size_t start = 0;
    for (size_t end; (end = text->find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text->substr(start, end - start);
        const size_t blank = line.find(' ');
        const std::string kind = line.substr(0, blank);
        const std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (kind == "command") record.commandLine = Utf8ToWide(value);
        if (kind == "directory") record.directory = Utf8ToWide(value);
        if (kind == "process") record.processId = std::stoul(value);
    }
    return record;
}
