#pragma once
// Fake Windows Firewall objects behind the real interfaces (INetFwMgr, INetFwPolicy,
// INetFwProfile, INetFwAuthorizedApplications, INetFwAuthorizedApplication, INetFwPolicy2,
// INetFwRules, INetFwRule, IEnumVARIANT), so the check's own walk - its BSTRs, VARIANTs,
// references, removals and additions - runs against a rule set the test writes. Wine's
// firewall objects cannot stand in: they enumerate nothing.
//
// The fake firewall owns every object it hands out and frees them itself; after a check
// each must hold only the firewall's own reference again.
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <windows.h>
#include <netfw.h>

#include "firewall/firewall_platform.h"

struct FakeRule {
    std::wstring name;
    std::wstring description;
    std::wstring application;
    std::wstring localPorts;
    std::wstring remotePorts;
    long protocol = 256;  // any protocol: MinGW's header lacks NET_FW_IP_PROTOCOL_ANY
    long direction = NET_FW_RULE_DIR_IN;
    long profiles = NET_FW_PROFILE2_ALL;
    long action = NET_FW_ACTION_ALLOW;
    bool enabled = false;
    std::vector<std::string> setProperties;  // each put_ call on the object, in order
    // Calls made to fail on this rule alone, with their status: "QueryInterface" (for
    // INetFwRule), "get_Name", "get_Direction", or "Remove" (of its name, while it is the
    // first rule of that name). Not compared.
    std::map<std::string, HRESULT> failures;

    friend bool operator==(const FakeRule& a, const FakeRule& b);
    friend std::ostream& operator<<(std::ostream& out, const FakeRule& rule);
};

struct FakeAuthorizedApplication {
    std::wstring imageFileName;
    bool enabled = true;
};

class FakeObject {
public:
    explicit FakeObject(const char* kind) : kind(kind) {}
    virtual ~FakeObject() = default;
    const char* kind;
    ULONG references = 1;  // the fake firewall's own
};

class FakeFirewall {
public:
    FakeFirewall() = default;
    FakeFirewall(const FakeFirewall&) = delete;
    FakeFirewall& operator=(const FakeFirewall&) = delete;

    std::vector<FakeRule> rules;
    std::vector<FakeAuthorizedApplication> authorizedApplications;
    long currentProfileTypes = NET_FW_PROFILE2_PRIVATE;
    // Calls made to fail, with their status: "create NetFwMgr", "create NetFwPolicy2",
    // "create NetFwRule", or "<object>.<method>" such as "Rules.Remove", "Rule.QueryInterface"
    // (the query for INetFwRule) or "RulesEnumerator.QueryInterface" (for IEnumVARIANT).
    std::map<std::string, HRESULT> failures;

    std::vector<std::wstring> removedNames;  // one entry per rule removed
    std::vector<FakeRule> addedRules;

    // The platform that creates these objects; the automation library is the system's
    // unless one is given.
    FirewallPlatform Platform(const std::filesystem::path& automationLibrary = {});

    // Each object not back at the single reference of the fake firewall, with its count.
    std::vector<std::string> UnreleasedObjects() const;

    HRESULT Failure(const std::string& call) const;
    void Own(std::unique_ptr<FakeObject> object) { objects_.push_back(std::move(object)); }

private:
    std::vector<std::unique_ptr<FakeObject>> objects_;
};
