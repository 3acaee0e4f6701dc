// The firewall check and repair, walked through fake firewall objects.
#include "firewall/firewall_check.h"

#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "firewall/firewall_access.h"
#include "support/temp_folder.h"
#include "text/encoding.h"
#include "unit/firewall/fake_firewall.h"

bool operator==(const FirewallRuleRecord& a, const FirewallRuleRecord& b) {
    return a.kind == b.kind && a.ports == b.ports && a.name == b.name &&
           a.application == b.application && a.protocol == b.protocol &&
           a.direction == b.direction && a.profiles == b.profiles;
}

void PrintTo(const FirewallRuleRecord& record, std::ostream* out) {
    *out << "{" << record.kind << " | " << WideToUtf8(record.ports) << " | "
         << WideToUtf8(record.name) << " | " << WideToUtf8(record.application) << " | "
         << record.protocol << " | " << record.direction << " | " << record.profiles << "}";
}

namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::wstring kUiPath = L"C:\\Program Files\\Vistora\\bin\\vistoraui.exe";
constexpr long kTcp = NET_FW_IP_PROTOCOL_TCP;
constexpr long kUdp = NET_FW_IP_PROTOCOL_UDP;
constexpr long kIn = NET_FW_RULE_DIR_IN;
constexpr long kOut = NET_FW_RULE_DIR_OUT;
constexpr long kAllProfiles = NET_FW_PROFILE2_ALL;
constexpr HRESULT kDenied = E_ACCESSDENIED;

FakeRule UiRule(long protocol, long direction) {
    FakeRule rule;
    rule.name = L"Vistora UI";
    rule.application = kUiPath;
    rule.protocol = protocol;
    rule.direction = direction;
    rule.enabled = true;
    return rule;
}

template <typename Change>
FakeRule Changed(FakeRule rule, Change change) {
    change(rule);
    return rule;
}

// The rule with one call of its own made to fail.
FakeRule Failing(FakeRule rule, const char* call) {
    rule.failures[call] = kDenied;
    return rule;
}

std::vector<FakeRule> FourUiRules() {
    return {UiRule(kTcp, kIn), UiRule(kUdp, kIn), UiRule(kTcp, kOut), UiRule(kUdp, kOut)};
}

template <typename... More>
std::vector<FakeRule> FourUiRulesAnd(More... more) {
    std::vector<FakeRule> rules = FourUiRules();
    (rules.push_back(more), ...);
    return rules;
}

FakeRule PortRule(const std::wstring& name, long direction, const std::wstring& localPorts,
                  const std::wstring& remotePorts) {
    FakeRule rule;
    rule.name = name;
    rule.direction = direction;
    rule.localPorts = localPorts;
    rule.remotePorts = remotePorts;
    rule.protocol = kTcp;
    rule.enabled = true;
    return rule;
}

FirewallRuleRecord AppRecord(const char* protocol, const char* direction,
                             const std::wstring& application = kUiPath,
                             std::uint32_t profiles = kAllProfiles) {
    return {"application", L"(none)", L"Vistora UI", application, protocol, direction, profiles};
}

FirewallRuleRecord PortRecord(const std::wstring& name, const std::wstring& ports) {
    return {"port", ports, name, L"(none)", "", "", static_cast<std::uint32_t>(kAllProfiles)};
}

FirewallRuleRecords FourGranted() {
    return {AppRecord("TCP", "in"), AppRecord("UDP", "in"), AppRecord("TCP", "out"),
            AppRecord("UDP", "out")};
}

const std::vector<FakeAuthorizedApplication> kUiAuthorized = {
    {L"C:\\Other\\tool.exe", true}, {L"D:\\Vistora\\VistoraUI.exe", true}};

TEST(ReadFirewallAccess, ClassifiesRulesWithoutChangingThem) {
    struct Case {
        const char* what;
        std::vector<FakeRule> rules;
        std::vector<FakeAuthorizedApplication> authorized;
        bool hasAccess;
        FirewallRuleRecords granted;
        FirewallRuleRecords interfering;
    };
    const Case cases[] = {
        {"four enabled rules and an authorized program",
         FourUiRules(),
         kUiAuthorized,
         true,
         FourGranted(),
         {}},
        {"four rules but the program is not authorized",
         FourUiRules(),
         {{L"C:\\Other\\tool.exe", true}},
         false,
         FourGranted(),
         {}},
        {"four rules but the authorized program is disabled",
         FourUiRules(),
         {{kUiPath, false}},
         false,
         FourGranted(),
         {}},
        {"an authorized program of another name",
         FourUiRules(),
         {{L"C:\\x\\vistoraui.exe.bak", true}},
         false,
         FourGranted(),
         {}},
        {"three granted rules are not enough",
         {UiRule(kTcp, kIn), UiRule(kUdp, kIn), UiRule(kTcp, kOut)},
         kUiAuthorized,
         false,
         {AppRecord("TCP", "in"), AppRecord("UDP", "in"), AppRecord("TCP", "out")},
         {}},
        {"four granted records from the same rule kind still count",
         {UiRule(kTcp, kIn), UiRule(kTcp, kIn), UiRule(kTcp, kIn), UiRule(kTcp, kIn)},
         kUiAuthorized,
         true,
         {AppRecord("TCP", "in"), AppRecord("TCP", "in"), AppRecord("TCP", "in"),
          AppRecord("TCP", "in")},
         {}},
        {"a disabled rule interferes",
         FourUiRulesAnd(Changed(UiRule(kUdp, kOut), [](FakeRule& r) { r.enabled = false; })),
         kUiAuthorized,
         false,
         FourGranted(),
         {AppRecord("UDP", "out")}},
        {"protocol any interferes",
         FourUiRulesAnd(Changed(UiRule(kTcp, kIn), [](FakeRule& r) { r.protocol = 256; })),
         kUiAuthorized,
         false,
         FourGranted(),
         {AppRecord("?", "in")}},
        {"a block rule interferes",
         FourUiRulesAnd(
             Changed(UiRule(kTcp, kIn), [](FakeRule& r) { r.action = NET_FW_ACTION_BLOCK; })),
         kUiAuthorized,
         false,
         FourGranted(),
         {AppRecord("TCP", "in")}},
        {"a rule outside the current profiles interferes",
         FourUiRulesAnd(
             Changed(UiRule(kUdp, kIn), [](FakeRule& r) { r.profiles = NET_FW_PROFILE2_PUBLIC; })),
         kUiAuthorized,
         false,
         FourGranted(),
         {AppRecord("UDP", "in", kUiPath, NET_FW_PROFILE2_PUBLIC)}},
        {"an action that is neither allow nor block counts for nothing",
         FourUiRulesAnd(
             Changed(UiRule(kTcp, kIn), [](FakeRule& r) { r.action = NET_FW_ACTION_MAX; })),
         kUiAuthorized,
         true,
         FourGranted(),
         {}},
        {"rules of other programs and rules without a name are skipped",
         FourUiRulesAnd(Changed(UiRule(kTcp, kIn),
                                [](FakeRule& r) {
                                    r.application = L"C:\\Games\\vistoraui.exe.old";
                                    r.enabled = false;
                                }),
                        Changed(UiRule(kTcp, kIn),
                                [](FakeRule& r) {
                                    r.name.clear();
                                    r.enabled = false;
                                })),
         kUiAuthorized,
         true,
         FourGranted(),
         {}},
        {"the program in another folder and letter case, forward slashes",
         {Changed(UiRule(kTcp, kIn),
                  [](FakeRule& r) { r.application = L"E:/Steam/VistoraUI.EXE"; }),
          UiRule(kUdp, kIn), UiRule(kTcp, kOut), UiRule(kUdp, kOut)},
         kUiAuthorized,
         true,
         {AppRecord("TCP", "in", L"E:/Steam/VistoraUI.EXE"), AppRecord("UDP", "in"),
          AppRecord("TCP", "out"), AppRecord("UDP", "out")},
         {}},
        {"an unknown direction counts as outbound",
         {UiRule(kTcp, kIn), UiRule(kUdp, kIn), UiRule(kTcp, 3), UiRule(kUdp, kOut)},
         kUiAuthorized,
         true,
         {AppRecord("TCP", "in"), AppRecord("UDP", "in"), AppRecord("TCP", "out"),
          AppRecord("UDP", "out")},
         {}},
        {"a direction that cannot be read counts as inbound, its local ports judged",
         {UiRule(kTcp, kIn), Failing(UiRule(kUdp, kOut), "get_Direction"), UiRule(kTcp, kOut),
          UiRule(kUdp, kOut),
          Failing(PortRule(L"Read as inbound", kOut, L"7884", L"80"), "get_Direction")},
         kUiAuthorized,
         false,
         {AppRecord("TCP", "in"), AppRecord("UDP", "in"), AppRecord("TCP", "out"),
          AppRecord("UDP", "out")},
         {PortRecord(L"Read as inbound", L"7884")}},
        {"inbound port rules on a range, a port, a list and a bare separator",
         FourUiRulesAnd(
             PortRule(L"Range", kIn, L"7000-8000", L""),
             PortRule(L"Between", kIn, L"7885-7888", L""), PortRule(L"Exact", kIn, L"7884", L""),
             PortRule(L"List", kIn, L"x,7889", L""), PortRule(L"Comma", kIn, L",", L""),
             PortRule(L"Trailing", kIn, L"7889,", L""), PortRule(L"Open end", kIn, L"7000-", L"")),
         kUiAuthorized,
         false,
         FourGranted(),
         {PortRecord(L"Range", L"7000-8000"), PortRecord(L"Exact", L"7884"),
          PortRecord(L"List", L"x,7889"), PortRecord(L"Trailing", L"7889,")}},
        {"a blocking disabled port rule interferes as well",
         FourUiRulesAnd(Changed(PortRule(L"Block", kIn, L"7884", L""),
                                [](FakeRule& r) {
                                    r.action = NET_FW_ACTION_BLOCK;
                                    r.enabled = false;
                                })),
         kUiAuthorized,
         false,
         FourGranted(),
         {PortRecord(L"Block", L"7884")}},
        {"outbound port rules are judged by their remote ports",
         FourUiRulesAnd(PortRule(L"Out remote", kOut, L"80", L"7889"),
                        PortRule(L"Out local", kOut, L"7884", L"80"),
                        PortRule(L"In remote", kIn, L"80", L"7884")),
         kUiAuthorized,
         false,
         FourGranted(),
         {PortRecord(L"Out remote", L"7889")}},
    };
    for (const Case& c : cases) {
        FakeFirewall firewall;
        firewall.rules = c.rules;
        firewall.authorizedApplications = c.authorized;
        FirewallStatus status;
        ReadFirewallAccess(status, firewall.Platform());
        EXPECT_EQ(status.hasAccess, c.hasAccess) << c.what;
        EXPECT_EQ(status.readResult, S_FALSE) << c.what;
        EXPECT_EQ(status.errorText, "") << c.what;
        EXPECT_THAT(status.grantedRules, ElementsAreArray(c.granted)) << c.what;
        EXPECT_THAT(status.interferingRules, ElementsAreArray(c.interfering)) << c.what;
        EXPECT_THAT(firewall.rules, ElementsAreArray(c.rules)) << c.what;
        EXPECT_THAT(firewall.removedNames, IsEmpty()) << c.what;
        EXPECT_THAT(firewall.addedRules, IsEmpty()) << c.what;
        EXPECT_THAT(firewall.UnreleasedObjects(), IsEmpty()) << c.what;
    }
}

// A "Vistora UI" rule exactly as the repair adds it, every property it sets in order.
FakeRule NewUiRule(const std::wstring& application, long protocol, long direction) {
    FakeRule rule;
    rule.name = L"Vistora UI";
    rule.description = L"Allow network traffic for mobile phone pairing.";
    rule.application = application;
    rule.direction = direction;
    rule.profiles = 0x7FFFFFFF;
    rule.action = NET_FW_ACTION_ALLOW;
    rule.protocol = protocol;
    rule.enabled = true;
    rule.setProperties = {"Name",     "Description", "ApplicationName", "Direction",
                          "Profiles", "Action",      "Protocol",        "Enabled"};
    return rule;
}

TEST(RepairFirewallAccess, RemovesInterferingRulesAndAddsTheMissingOnes) {
    TempFolder folder;
    folder.EnterSubfolder(L"bin");
    const std::wstring uiProgram = (folder / L"bin\\vistoraui.exe").wstring();
    const FakeRule tcpIn = NewUiRule(uiProgram, kTcp, kIn), udpIn = NewUiRule(uiProgram, kUdp, kIn),
                   tcpOut = NewUiRule(uiProgram, kTcp, kOut),
                   udpOut = NewUiRule(uiProgram, kUdp, kOut);
    const FakeRule other = Changed(UiRule(kTcp, kIn), [](FakeRule& r) {
        r.name = L"Other";
        r.application = L"C:\\Other\\other.exe";
    });
    const FakeRule blocking =
        Changed(UiRule(kTcp, kIn), [](FakeRule& r) { r.action = NET_FW_ACTION_BLOCK; });
    const std::wstring missingLibrary = (folder / L"absent\\oleaut32.dll").wstring();
    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    const std::wstring libraryWithoutHelpers = std::wstring(systemFolder) + L"\\kernel32.dll";

    struct Case {
        const char* what;
        std::vector<FakeRule> rules;
        std::wstring automationLibrary;  // empty: the system's
        std::vector<std::wstring> removed;
        std::vector<FakeRule> added;
        std::vector<FakeRule> remaining;
        bool hasAccess;
        size_t grantedAfter;
    };
    const std::vector<std::wstring> fourRemovals(4, L"Vistora UI");
    const Case cases[] = {
        {"a disabled rule: every rule of its name goes, all four come back",
         {UiRule(kTcp, kIn), Changed(UiRule(kUdp, kIn), [](FakeRule& r) { r.enabled = false; }),
          other, UiRule(kTcp, kOut), UiRule(kUdp, kOut)},
         L"",
         fourRemovals,
         {tcpIn, udpIn, tcpOut, udpOut},
         {other, tcpIn, udpIn, tcpOut, udpOut},
         true,
         4},
        {"thirteen rules of one name: eleven removals",
         [&] {
             std::vector<FakeRule> rules(12, UiRule(kTcp, kIn));
             rules.insert(rules.begin(), blocking);
             return rules;
         }(),
         L"",
         std::vector<std::wstring>(11, L"Vistora UI"),
         {tcpIn, udpIn, tcpOut, udpOut},
         {UiRule(kTcp, kIn), UiRule(kTcp, kIn), tcpIn, udpIn, tcpOut, udpOut},
         true,
         6},
        {"three granted rules: only the fourth is added",
         {UiRule(kTcp, kIn), UiRule(kUdp, kIn), UiRule(kTcp, kOut)},
         L"",
         {},
         {udpOut},
         {UiRule(kTcp, kIn), UiRule(kUdp, kIn), UiRule(kTcp, kOut), udpOut},
         true,
         4},
        {"port rules go by name without forcing the four rules back",
         FourUiRulesAnd(PortRule(L"Pairing", kIn, L"7884", L""),
                        PortRule(L"Pairing", kOut, L"", L"7889"),
                        PortRule(L"Web", kIn, L"80", L"")),
         L"",
         {L"Pairing", L"Pairing"},
         {},
         FourUiRulesAnd(PortRule(L"Web", kIn, L"80", L"")),
         true,
         4},
        {"nothing to repair", FourUiRules(), L"", {}, {}, FourUiRules(), true, 4},
        {"without oleaut32 nothing is walked and all four are added",
         FourUiRulesAnd(blocking),
         missingLibrary,
         {},
         {tcpIn, udpIn, tcpOut, udpOut},
         FourUiRulesAnd(blocking, tcpIn, udpIn, tcpOut, udpOut),
         false,
         0},
        {"without the helpers of oleaut32 likewise",
         {},
         libraryWithoutHelpers,
         {},
         {tcpIn, udpIn, tcpOut, udpOut},
         {tcpIn, udpIn, tcpOut, udpOut},
         false,
         0},
    };
    for (const Case& c : cases) {
        FakeFirewall firewall;
        firewall.rules = c.rules;
        firewall.authorizedApplications = kUiAuthorized;
        FirewallStatus status;
        status.grantedRules = {AppRecord("TCP", "in")};
        RepairFirewallAccess(status, firewall.Platform(c.automationLibrary));
        EXPECT_THAT(firewall.removedNames, ElementsAreArray(c.removed)) << c.what;
        EXPECT_THAT(firewall.addedRules, ElementsAreArray(c.added)) << c.what;
        EXPECT_THAT(firewall.rules, ElementsAreArray(c.remaining)) << c.what;
        // The second check sees the repaired rules from empty lists, and its answer stands.
        EXPECT_EQ(status.hasAccess, c.hasAccess) << c.what;
        EXPECT_EQ(status.grantedRules.size(), c.grantedAfter) << c.what;
        EXPECT_THAT(status.interferingRules, IsEmpty()) << c.what;
        EXPECT_EQ(status.errorText, "") << c.what;
        EXPECT_THAT(firewall.UnreleasedObjects(), IsEmpty()) << c.what;
    }
}

TEST(RepairFirewallAccess, TheSecondAnswerStandsWithFewerThanFourGrantedRules) {
    // Rules that cannot be added leave two granted ones; the authorized program still grants
    // access, which the start-up check alone would not take.
    FakeFirewall firewall;
    firewall.rules = {UiRule(kTcp, kIn), UiRule(kUdp, kIn)};
    firewall.authorizedApplications = kUiAuthorized;
    firewall.failures["Rules.Add"] = kDenied;
    FirewallStatus status;
    ReadFirewallAccess(status, firewall.Platform());
    EXPECT_FALSE(status.hasAccess);

    RepairFirewallAccess(status, firewall.Platform());
    EXPECT_TRUE(status.hasAccess);
    EXPECT_THAT(status.grantedRules,
                ElementsAreArray({AppRecord("TCP", "in"), AppRecord("UDP", "in")}));
    EXPECT_EQ(status.errorText, "Firewall IN Rule Add failed: 0x80070005\n"
                                "Firewall IN Rule Add failed: 0x80070005\n");
    EXPECT_THAT(firewall.UnreleasedObjects(), IsEmpty());
}

TEST(CheckFirewall, EachFailingCallLeavesItsLine) {
    const FakeRule disabled = Changed(UiRule(kTcp, kIn), [](FakeRule& r) { r.enabled = false; });
    const FakeRule pairingPort = PortRule(L"Pairing", kIn, L"7884", L"");
    struct Case {
        const char* call;
        std::vector<FakeRule> rules;
        bool repair;
        std::string lines;  // after the text of earlier runs, which stays
        long readResult;
        bool answer;
        size_t added;
        size_t removed;
    };
    const Case cases[] = {
        {"create NetFwMgr",
         {disabled},
         true,
         "CoCreateInstance failed: 0x80070005\nWindowsFirewallInitialize failed: 0x80070005\n",
         kDenied,
         false,
         0,
         0},
        {"Manager.get_LocalPolicy",
         {disabled},
         true,
         "get_LocalPolicy failed: 0x80070005\nWindowsFirewallInitialize failed: 0x80070005\n",
         kDenied,
         false,
         0,
         0},
        {"Policy.get_CurrentProfile",
         {disabled},
         true,
         "get_CurrentProfile failed: 0x80070005\nWindowsFirewallInitialize failed: 0x80070005\n",
         kDenied,
         false,
         0,
         0},
        // Before the walk: nothing is listed, removed or added, and the legacy answer stands.
        {"create NetFwPolicy2",
         {disabled},
         true,
         "CoCreateInstance for INetFwPolicy2 failed: 0x80070005\n",
         S_FALSE,
         true,
         0,
         0},
        {"Policy2.get_Rules",
         {disabled},
         true,
         "get_Rules failed: 0x80070005\n",
         S_FALSE,
         true,
         0,
         0},
        {"Policy2.get_CurrentProfileTypes",
         {disabled},
         true,
         "get_CurrentProfileTypes failed: 0x80070005\n",
         S_FALSE,
         true,
         0,
         0},
        {"Rules.get__NewEnum",
         {disabled},
         true,
         "get__NewEnum failed: 0x80070005\n",
         S_FALSE,
         true,
         0,
         0},
        {"RulesEnumerator.QueryInterface",
         {disabled},
         true,
         "IEnumVARIANT failed: 0x80070005\n",
         S_FALSE,
         true,
         0,
         0},
        // A failure in the walk ends it; the missing rules are still added.
        {"Rule.QueryInterface", FourUiRules(), true, "", S_FALSE, true, 4, 0},
        {"Rule.get_Name", FourUiRules(), true, "", S_FALSE, true, 4, 0},
        {"Rules.Remove", FourUiRulesAnd(disabled), true, "removing rule failed: 0x80070005\n",
         S_FALSE, false, 4, 0},
        {"Rules.Remove", FourUiRulesAnd(pairingPort), true, "", S_FALSE, false, 0, 0},
        {"create NetFwRule",
         {UiRule(kTcp, kIn), UiRule(kUdp, kIn)},
         true,
         "CoCreateInstance for Firewall Rule failed: 0x80070005\n"
         "CoCreateInstance for Firewall Rule failed: 0x80070005\n",
         S_FALSE,
         true,
         0,
         0},
        {"Rules.Add",
         {UiRule(kTcp, kIn), UiRule(kUdp, kIn), UiRule(kTcp, kOut)},
         true,
         "Firewall IN Rule Add failed: 0x80070005\n",
         S_FALSE,
         true,
         0,
         0},
        // The legacy list: its failures are the answer's.
        {"Profile.get_AuthorizedApplications", FourUiRules(), false,
         "get_AuthorizedApplications failed: 0x80070005\nWindowsFirewallAppIsEnabled failed: "
         "0x80070005\n",
         kDenied, false, 0, 0},
        {"AuthorizedApplications.get__NewEnum", FourUiRules(), false,
         "get__NewEnum failed: 0x80070005\nWindowsFirewallAppIsEnabled failed: 0x80070005\n",
         kDenied, false, 0, 0},
        {"AuthorizedApplicationsEnumerator.QueryInterface", FourUiRules(), false,
         "IEnumVARIANT failed: 0x80070005\nWindowsFirewallAppIsEnabled failed: 0x80070005\n",
         kDenied, false, 0, 0},
        {"AuthorizedApplication.QueryInterface", FourUiRules(), false,
         "WindowsFirewallAppIsEnabled failed: 0x80070005\n", kDenied, false, 0, 0},
        {"AuthorizedApplication.get_ProcessImageFileName", FourUiRules(), false,
         "WindowsFirewallAppIsEnabled failed: 0x80070005\n", kDenied, false, 0, 0},
    };
    for (const Case& c : cases) {
        FakeFirewall firewall;
        firewall.rules = c.rules;
        firewall.authorizedApplications = kUiAuthorized;
        firewall.failures[c.call] = kDenied;
        long readResult = 12345;
        std::string errorText = "earlier\n";
        FirewallRuleRecords interfering, granted;
        const bool answer = CheckFirewall(readResult, errorText, c.repair, &interfering, &granted,
                                          firewall.Platform());
        EXPECT_EQ(errorText, "earlier\n" + c.lines) << c.call;
        EXPECT_EQ(readResult, c.readResult) << c.call;
        EXPECT_EQ(answer, c.answer) << c.call;
        EXPECT_EQ(firewall.addedRules.size(), c.added) << c.call;
        EXPECT_EQ(firewall.removedNames.size(), c.removed) << c.call;
        EXPECT_THAT(firewall.UnreleasedObjects(), IsEmpty()) << c.call;
    }
}

TEST(CheckFirewall, AFailureOnOneRuleEndsTheWalkThere) {
    const FakeRule disabled = Changed(UiRule(kTcp, kIn), [](FakeRule& r) { r.enabled = false; });
    const FakeRule pairingPort = PortRule(L"Pairing", kIn, L"7884", L"");
    const FakeRule secondPort = PortRule(L"Second", kIn, L"7889", L"");
    struct Case {
        const char* what;
        std::vector<FakeRule> rules;
        std::string lines;
        FirewallRuleRecords interfering;
        FirewallRuleRecords granted;
        size_t added;
    };
    // Each time a rule that a walk going on would list comes after the failing one; the
    // missing rules are still added.
    const Case cases[] = {
        {"an application rule that cannot be removed",
         {Failing(disabled, "Remove"), pairingPort},
         "removing rule failed: 0x80070005\n",
         {AppRecord("TCP", "in")},
         {},
         4},
        {"a port rule that cannot be removed, silently",
         {Failing(pairingPort, "Remove"), secondPort},
         "",
         {PortRecord(L"Pairing", L"7884")},
         {},
         4},
        {"a rule whose name cannot be read",
         {UiRule(kTcp, kIn), Failing(UiRule(kUdp, kIn), "get_Name"), disabled, pairingPort},
         "",
         {},
         {AppRecord("TCP", "in")},
         3},
        {"an item that is no rule",
         {UiRule(kTcp, kIn), Failing(UiRule(kUdp, kIn), "QueryInterface"), disabled, pairingPort},
         "",
         {},
         {AppRecord("TCP", "in")},
         3},
    };
    for (const Case& c : cases) {
        FakeFirewall firewall;
        firewall.rules = c.rules;
        firewall.authorizedApplications = kUiAuthorized;
        long readResult = 0;
        std::string errorText;
        FirewallRuleRecords interfering, granted;
        CheckFirewall(readResult, errorText, true, &interfering, &granted, firewall.Platform());
        EXPECT_EQ(errorText, c.lines) << c.what;
        EXPECT_THAT(interfering, ElementsAreArray(c.interfering)) << c.what;
        EXPECT_THAT(granted, ElementsAreArray(c.granted)) << c.what;
        EXPECT_THAT(firewall.removedNames, IsEmpty()) << c.what;
        EXPECT_EQ(firewall.addedRules.size(), c.added) << c.what;
        EXPECT_THAT(firewall.UnreleasedObjects(), IsEmpty()) << c.what;
    }
}

TEST(CheckFirewall, InterferingRulesDenyOnlyWhenTheirListIsKept) {
    FakeFirewall firewall;
    firewall.rules =
        FourUiRulesAnd(Changed(UiRule(kTcp, kIn), [](FakeRule& r) { r.enabled = false; }));
    firewall.authorizedApplications = kUiAuthorized;
    long readResult = 0;
    std::string errorText;
    EXPECT_TRUE(CheckFirewall(readResult, errorText, false, nullptr, nullptr, firewall.Platform()));
    FirewallRuleRecords interfering;
    EXPECT_FALSE(
        CheckFirewall(readResult, errorText, false, &interfering, nullptr, firewall.Platform()));
    EXPECT_EQ(interfering.size(), 1u);
    EXPECT_THAT(firewall.UnreleasedObjects(), IsEmpty());
}

TEST(CheckFirewall, UsesAThreadAlreadyInTheMultithreadedApartment) {
    FakeFirewall firewall;
    firewall.rules = FourUiRules();
    firewall.authorizedApplications = kUiAuthorized;
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        long readResult = 0;
        std::string errorText;
        EXPECT_TRUE(
            CheckFirewall(readResult, errorText, false, nullptr, nullptr, firewall.Platform()));
        EXPECT_EQ(readResult, S_FALSE);
        EXPECT_EQ(errorText, "");
        // Still initialised once: the check did not uninitialise what it did not initialise.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    }).join();
    EXPECT_THAT(firewall.UnreleasedObjects(), IsEmpty());
}

}  // namespace
