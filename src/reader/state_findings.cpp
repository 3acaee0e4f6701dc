// Findings that single lines of the smaller sections give.
#include <cstdlib>
#include <map>
#include <optional>

#include "knowledge/steam_outdated.h"
#include "reader/section_findings.h"
#include "reader/utf8.h"

namespace {

// Windows 10 began with this build; Windows 11 with the later one, although its registry
// still names the product "Windows 10".
constexpr long kWindows10Build = 10240;
constexpr long kWindows11Build = 22000;

// What the configuration dump writes instead of the configuration.
const char* const kConfigPlaceholders[] = {"< Config file missing >", "< Config file empty >",
                                           "< Error parsing config: "};

// The body line that starts with the prefix, as an index, if any.
std::optional<std::size_t> FindLine(const LogDocument& log, const LogSection& section,
                                    std::string_view prefix) {
    for (std::size_t i = section.bodyBegin; i < section.bodyEnd; ++i) {
        if (StartsWith(log.lines[i], prefix)) return i;
    }
    return std::nullopt;
}

void AddStatus(const LogDocument& log, Findings& findings) {
    const LogSection* status = FindSection(log, "Status");
    if (!status) return;
    const auto line32 = FindLine(log, *status, "vistora32.exe ");
    const auto line64 = FindLine(log, *status, "vistora64.exe ");
    if (!line32 || !line64 || log.lines[*line32] != "vistora32.exe Not running" ||
        log.lines[*line64] != "vistora64.exe Not running") {
        return;
    }
    findings.push_back({"vistora-not-running",
                        Severity::Warning,
                        "Vistora was not running",
                        "Neither vistora32.exe nor vistora64.exe ran when the log was saved, so "
                        "nothing that hooks into Vistora could be seen. Ask the user to start "
                        "Vistora, then save the log again.",
                        {EvidenceAt(log, *status, *line32), EvidenceAt(log, *status, *line64)}});
}

void AddSteam(const LogDocument& log, Findings& findings) {
    const LogSection* steam = FindSection(log, "Steam info");
    if (!steam) return;
    constexpr std::string_view kAge = ".exe days old: ";
    const auto line = FindLine(log, *steam, kAge);
    if (!line) return;
    const std::string age(log.lines[*line].substr(kAge.size()));
    char* end = nullptr;
    const long long days = std::strtoll(age.c_str(), &end, 10);
    if (end == age.c_str() || *end != '\0' || !IsSteamOutdated(days)) return;
    findings.push_back({"steam-outdated",
                        Severity::Warning,
                        "The Steam client is " + std::to_string(days) + " days old",
                        WideToUtf8Text(SteamOutdatedText(days)),
                        {EvidenceAt(log, *steam, *line)}});
}

void AddFirewall(const LogDocument& log, Findings& findings) {
    const LogSection* firewall = FindSection(log, "Firewall status");
    if (!firewall) return;
    if (const auto line = FindLine(log, *firewall, "Has firewall access: 0")) {
        findings.push_back({"firewall-no-access",
                            Severity::Warning,
                            "Vistora's UI program may not use the network",
                            "Pairing a mobile device will fail. Ask the user to press 'Fix "
                            "Firewall' in the diagnostics tool, or to allow vistoraui.exe in "
                            "the Windows Firewall.",
                            {EvidenceAt(log, *firewall, *line)}});
    }
    const auto heading = FindLine(log, *firewall, "Interfering rules:");
    if (!heading) return;
    Finding finding{"firewall-interfering",
                    Severity::Warning,
                    "Firewall rules block Vistora's UI program",
                    "These rules keep vistoraui.exe from the network. 'Fix Firewall' in the "
                    "diagnostics tool removes them and adds the rules Vistora needs.",
                    {}};
    for (std::size_t i = *heading + 1; i < firewall->bodyEnd && !log.lines[i].empty(); ++i) {
        finding.evidence.push_back(EvidenceAt(log, *firewall, i));
    }
    if (finding.evidence.empty()) finding.evidence.push_back(EvidenceAt(log, *firewall, *heading));
    findings.push_back(std::move(finding));
}

void AddHighContrast(const LogDocument& log, Findings& findings) {
    const LogSection* settings = FindSection(log, "Windows settings");
    if (!settings) return;
    const auto line = FindLine(log, *settings, "high contrast enabled: 1");
    if (!line) return;
    findings.push_back({"high-contrast",
                        Severity::Warning,
                        "High contrast is switched on",
                        "With a high-contrast theme Windows draws no wallpaper of its own and "
                        "Vistora may show none either. Ask the user to try with high contrast "
                        "switched off.",
                        {EvidenceAt(log, *settings, *line)}});
}

void AddWindowsVersion(const LogDocument& log, Findings& findings) {
    const LogSection* version = FindSection(log, "Windows version info");
    if (!version) return;
    std::map<std::string_view, std::size_t> values;  // value name -> line index
    for (std::size_t i = version->bodyBegin; i < version->bodyEnd; ++i) {
        const std::size_t colon = log.lines[i].find(": ");
        if (colon != std::string_view::npos) values.emplace(log.lines[i].substr(0, colon), i);
    }
    const auto value = [&](std::string_view name) -> std::string_view {
        const auto found = values.find(name);
        return found == values.end() ? std::string_view()
                                     : log.lines[found->second].substr(name.size() + 2);
    };
    Finding finding{"windows-version", Severity::Info, "", "", {}};
    for (const char* name : {"ProductName", "DisplayVersion", "CurrentBuild", "CurrentVersion"}) {
        const auto found = values.find(name);
        if (found != values.end()) {
            finding.evidence.push_back(EvidenceAt(log, *version, found->second));
        }
    }
    if (finding.evidence.empty()) return;
    const std::string build(value("CurrentBuild"));
    const long buildNumber = std::strtol(build.c_str(), nullptr, 10);
    std::string product(value("ProductName").empty() ? "Windows" : value("ProductName"));
    if (buildNumber >= kWindows11Build && StartsWith(product, "Windows 10")) {
        product.replace(0, 10, "Windows 11");
    }
    finding.title = product;
    if (!value("DisplayVersion").empty()) {
        finding.title += " " + std::string(value("DisplayVersion"));
    }
    if (!build.empty()) finding.title += ", build " + build;
    // Without a build number the version number tells: 6.3 is Windows 8.1 or later.
    const std::string versionNumber(value("CurrentVersion"));
    const bool older = buildNumber > 0 ? buildNumber < kWindows10Build
                                       : !versionNumber.empty() &&
                                             std::strtod(versionNumber.c_str(), nullptr) < 6.3;
    if (older) {
        finding.severity = Severity::Warning;
        finding.advice =
            "This Windows is older than Windows 10. Vistora is made for Windows 10 "
            "and 11; problems on older systems may have no fix.";
    }
    findings.push_back(std::move(finding));
}

void AddConfig(const LogDocument& log, Findings& findings) {
    const LogSection* config = FindSection(log, "Config info");
    if (!config) return;
    for (std::size_t i = config->bodyBegin; i < config->bodyEnd; ++i) {
        for (const char* placeholder : kConfigPlaceholders) {
            if (!StartsWith(log.lines[i], placeholder)) continue;
            findings.push_back({"config-unreadable",
                                Severity::Warning,
                                "Vistora's configuration could not be read",
                                "config.json in the Vistora folder is missing, empty or "
                                "damaged, so Vistora starts with its defaults. Restarting "
                                "Vistora writes a new one; ask for the file if settings are lost.",
                                {EvidenceAt(log, *config, i)}});
            return;
        }
    }
}

}  // namespace

void AddStateFindings(const LogDocument& log, Findings& findings) {
    AddStatus(log, findings);
    AddSteam(log, findings);
    AddFirewall(log, findings);
    AddHighContrast(log, findings);
    AddConfig(log, findings);
    AddWindowsVersion(log, findings);
}
