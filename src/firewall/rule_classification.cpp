#include "firewall/rule_classification.h"

#include <cwchar>
#include <sstream>
#include <vector>

#include "text/case_folding.h"

namespace {

constexpr long kPairingPorts[] = {7884, 7889};

// A leading decimal number; text that starts with none reads as 0.
long LeadingNumber(const std::wstring& text) { return std::wcstol(text.c_str(), nullptr, 10); }

bool PieceTouchesPairing(const std::vector<long>& bounds) {
    for (const long port : kPairingPorts) {
        if (bounds.size() == 1 && bounds[0] == port) return true;
        if (bounds.size() == 2 && bounds[0] <= port && port <= bounds[1]) return true;
    }
    return false;
}

}  // namespace

bool IsUiProgramPath(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    const std::wstring fileName =
        separator == std::wstring::npos ? path : path.substr(separator + 1);
    return ToLowerAscii(fileName) == kUiProgramName;
}

bool PortsTouchPairing(const std::wstring& ports) {
    // Read as a stream's line reader reads: an empty piece between two separators counts,
    // a separator at the very end adds none.
    std::wistringstream list(ports);
    for (std::wstring piece; std::getline(list, piece, L',');) {
        std::wistringstream range(piece);
        std::vector<long> bounds;
        for (std::wstring part; std::getline(range, part, L'-');)
            bounds.push_back(LeadingNumber(part));
        if (PieceTouchesPairing(bounds)) return true;
    }
    return false;
}

RuleBearing ClassifyApplicationRule(const ApplicationRuleFacts& facts, long currentProfileTypes) {
    const bool grants = facts.action != kActionBlock &&
                        (facts.profiles & currentProfileTypes) != 0 && facts.enabled &&
                        (facts.protocol == kProtocolTcp || facts.protocol == kProtocolUdp);
    if (!grants) return RuleBearing::Interfering;
    return facts.action == kActionAllow ? RuleBearing::Granted : RuleBearing::Neither;
}

unsigned NeededRuleBit(long protocol, long direction) {
    const long neededDirection = direction == kDirectionIn ? kDirectionIn : kDirectionOut;
    for (const NeededRule& rule : kNeededRules) {
        if (rule.protocol == protocol && rule.direction == neededDirection) return rule.bit;
    }
    return 0;
}

FirewallRuleRecord ApplicationRuleRecord(const std::wstring& name, const std::wstring& application,
                                         const ApplicationRuleFacts& facts) {
    const char* protocol = facts.protocol == kProtocolTcp   ? "TCP"
                           : facts.protocol == kProtocolUdp ? "UDP"
                                                            : "?";
    return {"application",
            L"(none)",
            name,
            application,
            protocol,
            facts.direction == kDirectionIn ? "in" : "out",
            static_cast<std::uint32_t>(facts.profiles)};
}

FirewallRuleRecord PortRuleRecord(const std::wstring& name, const std::wstring& ports,
                                  long profiles) {
    return {"port", ports, name, L"(none)", "", "", static_cast<std::uint32_t>(profiles)};
}
