#pragma once
// How a firewall rule bears on the UI program, decided from the facts the rule reports.
#include <cstdint>
#include <string>

#include "firewall/firewall_status.h"

inline constexpr wchar_t kUiProgramName[] = L"vistoraui.exe";

// The numbers Windows Firewall uses for these facts.
inline constexpr long kActionBlock = 0;
inline constexpr long kActionAllow = 1;
inline constexpr long kDirectionIn = 1;
inline constexpr long kDirectionOut = 2;
inline constexpr long kProtocolTcp = 6;
inline constexpr long kProtocolUdp = 17;

// The four "Vistora UI" rules, in the order they are added, each with its bit in the
// mask of rules found present.
struct NeededRule {
    unsigned bit;
    long protocol;
    long direction;
};
inline constexpr NeededRule kNeededRules[] = {
    {1, kProtocolTcp, kDirectionIn},
    {2, kProtocolUdp, kDirectionIn},
    {4, kProtocolTcp, kDirectionOut},
    {8, kProtocolUdp, kDirectionOut},
};
inline constexpr unsigned kAllNeededRules = 0xF;

// True when the file-name part (after the last '\' or '/') is "vistoraui.exe" in any
// ASCII letter case.
bool IsUiProgramPath(const std::wstring& path);

// True when a port list such as "80,7000-8000" names 7884 or 7889, alone or in a range.
bool PortsTouchPairing(const std::wstring& ports);

struct ApplicationRuleFacts {
    long action = kActionBlock;
    long direction = kDirectionIn;
    long protocol = 0;
    long profiles = 0;
    bool enabled = false;
};

enum class RuleBearing { Granted, Interfering, Neither };

// A rule of the UI program grants access when it allows traffic of TCP or UDP in a current
// profile and is enabled; one that does anything else stands in the way, except that an
// action other than allow or block counts as neither.
RuleBearing ClassifyApplicationRule(const ApplicationRuleFacts& facts, long currentProfileTypes);

// The bit of the needed rule that a granting rule stands for; any direction but inbound
// counts as outbound.
unsigned NeededRuleBit(long protocol, long direction);

FirewallRuleRecord ApplicationRuleRecord(const std::wstring& name, const std::wstring& application,
                                         const ApplicationRuleFacts& facts);
FirewallRuleRecord PortRuleRecord(const std::wstring& name, const std::wstring& ports,
                                  long profiles);
