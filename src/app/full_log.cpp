#include "app/full_log.h"

#include <iomanip>
#include <sstream>

#include "app/summary_report.h"
#include "collectors/module_listing.h"
#include "collectors/section_heading.h"
#include "firewall/firewall_report.h"
#include "knowledge/hint_expansion.h"
#include "text/control_characters.h"
#include "text/encoding.h"

namespace {

// The processes whose state and modules support asks about first, in the log's order.
const wchar_t* const kWatchedProcesses[] = {L"vistora32.exe", L"vistora64.exe", L"vistoraui.exe",
                                            L"webvistora64.exe", L"explorer.exe"};

const std::wstring kDashLine = std::wstring(60, L'-') + L"\n";

void WriteStatus(std::wostream& log, const ApplicationState& state) {
    log << std::wstring(60, L'=') << L"\n" << SectionHeading(L"Status");
    for (const wchar_t* name : kWatchedProcesses) {
        log << name << L" " << (state.runningProcesses.count(name) ? L"Found\n" : L"Not running\n");
    }
    if (state.modules64Unscanned) log << kModules64UnscannedNotice;
}

void WriteDetectedApplications(std::wostream& log, const DetectedApps& detected) {
    log << L"\n\n" << SectionHeading(L"Detected Applications");
    for (const auto& [key, foundPaths] : detected) {
        const HintEntry* hint = FindHint(key);
        if (!hint) {
            log << L"Missing info for key " << key << L"\n\n";
            continue;
        }
        log << L"Detected " << hint->name << L"\n" << L"Modules:\n";
        for (const std::wstring& path : foundPaths) log << EscapeControlCharacters(path) << L"\n";
        log << L"\n";
    }
    log << L"\n";
}

void WriteRunningProcesses(std::wostream& log, const RunningProcesses& processes) {
    log << SectionHeading(L"Running Processes") << L"Filename" << std::wstring(41, L' ')
        << L"Path\n"
        << kDashLine;
    for (const auto& [lowerName, process] : processes) {
        // The width applies to the name alone; a longer name is written whole.
        log << std::left << std::setw(48) << EscapeControlCharacters(process.fileName)
            << std::resetiosflags(std::ios_base::adjustfield) << L" "
            << EscapeControlCharacters(process.imagePath) << L"\n";
    }
}

void WriteLogFiles(std::wostream& log, const std::vector<ProductLogFile>& files) {
    log << SectionHeading(L"Log contents");
    for (const ProductLogFile& file : files) {
        if (file.tail) {
            log << file.relativePath << L":\n" << Utf8ToWide(*file.tail) << L"\n";
        } else {
            log << file.relativePath << L": missing\n";
        }
        log << kDashLine;
    }
}

}  // namespace

std::wstring ComposeFullLog(const ApplicationState& state, const FullLogSections& sections) {
    std::wostringstream log;
    WriteStatus(log, state);
    WriteDetectedApplications(log, state.detectedApps);
    for (const wchar_t* name : kWatchedProcesses) {
        WriteModuleListing(log, state.runningProcesses, name);
    }
    WriteRunningProcesses(log, state.runningProcesses);
    log << L"\n\n"
        << SectionHeading(L"Config info") << Utf8ToWide(sections.productConfig) << L"\n\n";
    log << sections.windowsSettings << sections.windowsVersion << sections.steam;
    log << SectionHeading(L"Dependency error analysis") << sections.dependencies << L"\n\n";
    // The report is UTF-8 whose only narrow part, the error text, is plain ASCII.
    log << SectionHeading(L"Firewall status") << Utf8ToWide(FormatFirewallReport(state.firewall))
        << L"\n\n";
    log << SectionHeading(L"Desktop window state") << sections.desktopWindows << L"\n\n";
    WriteLogFiles(log, sections.logFiles);
    log << L"\n\n" << sections.dxDiag << L"\n\n";
    return log.str();
}
