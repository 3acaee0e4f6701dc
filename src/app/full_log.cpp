#include "app/full_log.h"

#include <iomanip>
#include <sstream>

#include "app/summary_report.h"
#include "collectors/module_listing.h"
#include "firewall/firewall_report.h"
#include "knowledge/hint_expansion.h"
#include "text/control_characters.h"
#include "text/encoding.h"

namespace {

// The processes whose state and modules support asks about first, in the log's order.
const wchar_t* const kWatchedProcesses[] = {L"vistora32.exe", L"vistora64.exe", L"vistoraui.exe",
                                            L"webvistora64.exe", L"explorer.exe"};

const std::wstring kDashLine = std::wstring(60, L'-') + L"\n";

std::wstring StatusBody(const ApplicationState& state) {
    std::wstring body;
    for (const wchar_t* name : kWatchedProcesses) {
        body += name;
        body += state.runningProcesses.count(name) ? L" Found\n" : L" Not running\n";
    }
    if (state.modules64Unscanned) body += kModules64UnscannedNotice;
    return body;
}

// Each entry ends in a blank line of its own.
std::wstring DetectedApplicationsBody(const DetectedApps& detected) {
    std::wstring body;
    for (const auto& [key, foundPaths] : detected) {
        const HintEntry* hint = FindHint(key);
        if (!hint) {
            body += L"Missing info for key " + key + L"\n\n";
            continue;
        }
        body += L"Detected " + hint->name + L"\nModules:\n";
        for (const std::wstring& path : foundPaths) body += EscapeControlCharacters(path) + L"\n";
        body += L"\n";
    }
    return body;
}

std::wstring RunningProcessesBody(const RunningProcesses& processes) {
    std::wostringstream body;
    body << L"Filename" << std::wstring(41, L' ') << L"Path\n" << kDashLine;
    for (const auto& [lowerName, process] : processes) {
        // The width applies to the name alone; a longer name is written whole.
        body << std::left << std::setw(48) << EscapeControlCharacters(process.fileName)
             << std::resetiosflags(std::ios_base::adjustfield) << L" "
             << EscapeControlCharacters(process.imagePath) << L"\n";
    }
    return body.str();
}

std::wstring LogFilesBody(const std::vector<ProductLogFile>& files) {
    std::wstring body;
    for (const ProductLogFile& file : files) {
        if (file.tail) {
            body += file.relativePath + L":\n" + Utf8ToWide(*file.tail) + L"\n";
        } else {
            body += file.relativePath + L": missing\n";
        }
        body += kDashLine;
    }
    return body;
}

}  // namespace

std::wstring ComposeFullLog(const ApplicationState& state, const FullLogSections& sections) {
    std::wostringstream log;
    log << std::wstring(60, L'=') << L"\n";
    WriteLogSection(log, L"Status", StatusBody(state));
    // Closed by one line feed after the entries' own blank lines, or right after the
    // heading when nothing was detected.
    log << LogSectionHeading(L"Detected Applications")
        << DetectedApplicationsBody(state.detectedApps) << L"\n";
    for (const wchar_t* name : kWatchedProcesses) {
        if (const auto listing = ModuleListingSection(state.runningProcesses, name)) {
            WriteLogSection(log, *listing);
        }
    }
    WriteLogSection(log, L"Running Processes", RunningProcessesBody(state.runningProcesses));
    WriteLogSection(log, L"Config info", sections.productConfig);
    for (const LogSection& section : sections.system) WriteLogSection(log, section);
    WriteLogSection(log, L"Dependency error analysis", sections.dependencies);
    // The report is UTF-8 whose only narrow part, the error text, is plain ASCII.
    WriteLogSection(log, L"Firewall status", Utf8ToWide(FormatFirewallReport(state.firewall)));
    WriteLogSection(log, L"Desktop window state", sections.desktopWindows);
    WriteLogSection(log, L"Log contents", LogFilesBody(sections.logFiles));
    log << sections.dxDiag << L"\n\n";
    return log.str();
}
