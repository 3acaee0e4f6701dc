#include "firewall/firewall_report.h"

#include "text/encoding.h"

namespace {

// Domain, private and public; newer profile bits mean nothing to the reader.
constexpr std::uint32_t kReportedProfiles = 0x7;

void AppendRecords(std::string& text, const char* heading, const FirewallRuleRecords& records) {
    if (records.empty()) return;
    text += heading;
    text += "\n";
    for (const FirewallRuleRecord& record : records) {
        text += WideToUtf8(record.name) + " (" + record.kind +
                "): " + WideToUtf8(record.application) + " - " + record.direction + " - " +
                record.protocol + " / " + WideToUtf8(record.ports) +
                " mask: " + std::to_string(record.profiles & kReportedProfiles) + "\n";
    }
}

}  // namespace

std::string FormatFirewallReport(const FirewallStatus& status) {
    std::string text = "Has firewall access: " + std::to_string(status.hasAccess ? 1 : 0) + "\n";
    text += "Firewall read result: " + std::to_string(status.readResult) + ", " + status.errorText +
            "\n";
    AppendRecords(text, "Granted access rules:", status.grantedRules);
    AppendRecords(text, "Interfering rules:", status.interferingRules);
    return text;
}
