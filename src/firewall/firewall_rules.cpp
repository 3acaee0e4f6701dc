// The rule-based policy: classify the rules that concern the UI program, and repair them.
#include "firewall/automation_library.h"
#include "firewall/firewall_steps.h"
#include "firewall/rule_classification.h"

namespace {

constexpr wchar_t kRuleName[] = L"Vistora UI";
constexpr wchar_t kRuleDescription[] = L"Allow network traffic for mobile phone pairing.";

// Windows Firewall keeps rules of one name side by side and Remove takes one of them, so
// the removal is repeated while the name is still there, at most ten more times.
HRESULT RemoveRulesNamed(INetFwRules& rules, BSTR name) {
    const HRESULT status = rules.Remove(name);
    for (int again = 0; again < 10; ++again) {
        ComPtr<INetFwRule> remaining;
        if (FAILED(rules.Item(name, remaining.Put()))) break;
        rules.Remove(name);
    }
    return status;
}

struct RuleWalk {
    INetFwRules& rules;
    long currentProfileTypes;
    bool repair;
    FirewallRuleRecords* interfering;
    FirewallRuleRecords* granted;
    std::string& errorText;
    unsigned presentRules = 0;
    bool removedApplicationRule = false;
};

long DirectionOf(INetFwRule& rule) {
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
    if (FAILED(rule.get_Direction(&direction))) return kDirectionIn;
    return direction;
}

// A rule for the UI program; the status ends the walk when it failed.
HRESULT VisitApplicationRule(RuleWalk& walk, INetFwRule& rule, BSTR name,
                             const std::wstring& application) {
    ApplicationRuleFacts facts;
    NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
    rule.get_Action(&action);
    facts.action = action;
    facts.direction = DirectionOf(rule);
    rule.get_Protocol(&facts.protocol);
    rule.get_Profiles(&facts.profiles);
    VARIANT_BOOL enabled = VARIANT_FALSE;
    rule.get_Enabled(&enabled);
    facts.enabled = enabled != VARIANT_FALSE;

    FirewallRuleRecord record = ApplicationRuleRecord(name, application, facts);
    switch (ClassifyApplicationRule(facts, walk.currentProfileTypes)) {
        case RuleBearing::Granted:
            walk.presentRules |= NeededRuleBit(facts.protocol, facts.direction);
            if (walk.granted) walk.granted->push_back(std::move(record));
            return S_OK;
        case RuleBearing::Neither:
            return S_OK;
        case RuleBearing::Interfering:
            break;
    }
    if (walk.interfering) walk.interfering->push_back(std::move(record));
    if (!walk.repair) return S_OK;
    const HRESULT status = RemoveRulesNamed(walk.rules, name);
    FailedWithLine(walk.errorText, "removing rule", status);
    walk.removedApplicationRule = true;
    return status;
}

// A rule without a program, which stands in the way when its ports reach the pairing ports.
HRESULT VisitPortRule(RuleWalk& walk, INetFwRule& rule, BSTR name,
                      const AutomationLibrary& automation) {
    long profiles = 0;
    rule.get_Profiles(&profiles);
    UniqueBstr ports(automation.sysFreeString);
    // An outbound rule's ports of interest are the remote ones.
    if (DirectionOf(rule) == kDirectionOut) {
        rule.get_RemotePorts(ports.Put());
    } else {
        rule.get_LocalPorts(ports.Put());
    }
    if (!PortsTouchPairing(ports.Text())) return S_OK;
    if (walk.interfering) walk.interfering->push_back(PortRuleRecord(name, ports.Text(), profiles));
    return walk.repair ? RemoveRulesNamed(walk.rules, name) : S_OK;
}

void WalkRules(RuleWalk& walk, IEnumVARIANT& items, const AutomationLibrary& automation) {
    for (;;) {
        UniqueVariant item(automation.variantInit, automation.variantClear);
        if (items.Next(1, item.Put(), nullptr) != S_OK) return;
        ComPtr<INetFwRule> rule;
        if (FAILED(QueryItem(item.Get(), __uuidof(INetFwRule), rule.PutVoid()))) return;
        UniqueBstr application(automation.sysFreeString);
        UniqueBstr name(automation.sysFreeString);
        rule->get_ApplicationName(application.Put());
        HRESULT status = rule->get_Name(name.Put());
        if (name.Text().empty()) {
            if (FAILED(status)) return;
            continue;
        }
        if (application.Text().empty()) {
            status = VisitPortRule(walk, *rule.Get(), name.Get(), automation);
        } else if (IsUiProgramPath(application.Text())) {
            status = VisitApplicationRule(walk, *rule.Get(), name.Get(), application.Text());
        }
        if (FAILED(status)) return;
    }
}

void AddMissingRules(const FirewallPlatform& platform, INetFwRules& rules,
                     const std::wstring& uiProgramPath, unsigned presentRules,
                     std::string& errorText) {
    // Our own strings: allocated and freed by the oleaut32 the program links with.
    const UniqueBstr name(&SysFreeString, SysAllocString(kRuleName));
    const UniqueBstr description(&SysFreeString, SysAllocString(kRuleDescription));
    const UniqueBstr application(&SysFreeString, SysAllocString(uiProgramPath.c_str()));
    for (const NeededRule& needed : kNeededRules) {
        if (presentRules & needed.bit) continue;
        ComPtr<INetFwRule> rule;
        const HRESULT status =
            platform.createInstance(__uuidof(NetFwRule), __uuidof(INetFwRule), rule.PutVoid());
        if (FailedWithLine(errorText, "CoCreateInstance for Firewall Rule", status)) continue;
        rule->put_Name(name.Get());
        rule->put_Description(description.Get());
        rule->put_ApplicationName(application.Get());
        rule->put_Direction(static_cast<NET_FW_RULE_DIRECTION>(needed.direction));
        rule->put_Profiles(NET_FW_PROFILE2_ALL);
        rule->put_Action(NET_FW_ACTION_ALLOW);
        rule->put_Protocol(needed.protocol);
        rule->put_Enabled(VARIANT_TRUE);
        // One line for both directions: the reader of the log only needs to see that adding failed.
        FailedWithLine(errorText, "Firewall IN Rule Add", rules.Add(rule.Get()));
    }
}

}  // namespace

HRESULT WindowsFirewallFixRules(const FirewallPlatform& platform, const std::wstring& uiProgramPath,
                                bool repair, FirewallRuleRecords* interfering,
                                FirewallRuleRecords* granted, std::string& errorText) {
    // A failure here ends the step before anything is walked or changed.
    ComPtr<INetFwPolicy2> policy;
    HRESULT status =
        platform.createInstance(__uuidof(NetFwPolicy2), __uuidof(INetFwPolicy2), policy.PutVoid());
    if (FailedWithLine(errorText, "CoCreateInstance for INetFwPolicy2", status)) return S_OK;
    ComPtr<INetFwRules> rules;
    if (FailedWithLine(errorText, "get_Rules", policy->get_Rules(rules.Put()))) return S_OK;
    long currentProfileTypes = 0;
    status = policy->get_CurrentProfileTypes(&currentProfileTypes);
    if (FailedWithLine(errorText, "get_CurrentProfileTypes", status)) return S_OK;
    ComPtr<IEnumVARIANT> items;
    if (FAILED(EnumerateCollection(*rules.Get(), items, errorText))) return S_OK;

    RuleWalk walk{*rules.Get(), currentProfileTypes, repair, interfering, granted, errorText};
    {
        const AutomationLibrary automation = LoadAutomationLibrary(platform.automationLibrary);
        if (automation.Complete()) WalkRules(walk, *items.Get(), automation);
    }
    // Give the firewall service a moment to settle the removals before rules are added.
    Sleep(100);

    // A removed rule of the UI program may have been one of the four; add them all again.
    if (walk.removedApplicationRule) walk.presentRules = 0;
    if (walk.presentRules == kAllNeededRules || !repair) return S_OK;
    AddMissingRules(platform, *rules.Get(), uiProgramPath, walk.presentRules, errorText);
    return S_OK;
}
