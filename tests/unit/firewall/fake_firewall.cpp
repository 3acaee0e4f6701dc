#include "unit/firewall/fake_firewall.h"

#include <type_traits>
#include <utility>

#include "text/encoding.h"

// Methods the check never calls.
#define FAKE_UNUSED(method, ...) \
    HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override { return E_NOTIMPL; }

namespace {

template <typename Interface>
class FakeUnknown : public Interface, public FakeObject {
public:
    FakeUnknown(FakeFirewall& firewall, const char* kind) : FakeObject(kind), firewall_(firewall) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    // The fake firewall frees the object; a count below its own reference shows as a fault.
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        *object = nullptr;
        const bool dispatch = std::is_base_of_v<IDispatch, Interface> && id == IID_IDispatch;
        if (id != IID_IUnknown && id != __uuidof(Interface) && !dispatch) return E_NOINTERFACE;
        const HRESULT failure = firewall_.Failure(std::string(kind) + ".QueryInterface");
        if (id == __uuidof(Interface) && FAILED(failure)) return failure;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

protected:
    HRESULT Fails(const char* method) const {
        return firewall_.Failure(std::string(kind) + "." + method);
    }

    FakeFirewall& firewall_;
};

template <typename Interface>
class FakeDispatch : public FakeUnknown<Interface> {
public:
    using FakeUnknown<Interface>::FakeUnknown;
    FAKE_UNUSED(GetTypeInfoCount, UINT*)
    FAKE_UNUSED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    FAKE_UNUSED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    FAKE_UNUSED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
};

template <typename Object, typename... Arguments>
Object* Make(FakeFirewall& firewall, Arguments&&... arguments) {
    auto object = std::make_unique<Object>(firewall, std::forward<Arguments>(arguments)...);
    Object* made = object.get();
    firewall.Own(std::move(object));
    return made;
}

// Hands out one more reference, as a COM getter does.
template <typename Interface>
HRESULT HandOut(Interface* object, Interface** out) {
    object->AddRef();
    *out = object;
    return S_OK;
}

// Fills an out parameter, as a property getter does.
template <typename Out, typename Value>
HRESULT Give(Out* out, Value value) {
    *out = static_cast<Out>(value);
    return S_OK;
}

BSTR NewBstr(const std::wstring& text) {
    return text.empty() ? nullptr : SysAllocString(text.c_str());
}

std::wstring Text(BSTR text) { return text ? std::wstring(text) : std::wstring(); }

HRESULT RuleFailure(const FakeRule& rule, const char* call) {
    const auto failure = rule.failures.find(call);
    return failure == rule.failures.end() ? S_OK : failure->second;
}

class FakeEnumerator : public FakeUnknown<IEnumVARIANT> {
public:
    FakeEnumerator(FakeFirewall& firewall, const char* kind, std::vector<IDispatch*> items)
        : FakeUnknown(firewall, kind), items_(std::move(items)) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        ULONG given = 0;
        for (; given < count && next_ < items_.size(); ++given, ++next_) {
            items[given].vt = VT_DISPATCH;
            items[given].pdispVal = items_[next_];
            items_[next_]->AddRef();
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    FAKE_UNUSED(Skip, ULONG)
    FAKE_UNUSED(Reset)
    FAKE_UNUSED(Clone, IEnumVARIANT**)

private:
    std::vector<IDispatch*> items_;  // owned by the fake firewall
    size_t next_ = 0;
};

class FakeRuleObject : public FakeDispatch<INetFwRule> {
public:
    // Rules the enumerator or Item hand out are a "Rule"; those the check creates a "NewRule".
    FakeRuleObject(FakeFirewall& firewall, FakeRule rule, const char* kind = "Rule")
        : FakeDispatch(firewall, kind), rule(std::move(rule)) {}
    FakeRule rule;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (const HRESULT failure = RuleFailure(rule, "QueryInterface");
            id == __uuidof(INetFwRule) && FAILED(failure)) {
            *object = nullptr;
            return failure;
        }
        return FakeDispatch::QueryInterface(id, object);
    }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
        if (const HRESULT failure = Fails("get_Name"); FAILED(failure)) return failure;
        if (const HRESULT failure = RuleFailure(rule, "get_Name"); FAILED(failure)) return failure;
        *name = NewBstr(rule.name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ApplicationName(BSTR* application) override {
        return Give(application, NewBstr(rule.application));
    }
    HRESULT STDMETHODCALLTYPE get_LocalPorts(BSTR* ports) override {
        return Give(ports, NewBstr(rule.localPorts));
    }
    HRESULT STDMETHODCALLTYPE get_RemotePorts(BSTR* ports) override {
        return Give(ports, NewBstr(rule.remotePorts));
    }
    HRESULT STDMETHODCALLTYPE get_Protocol(LONG* protocol) override {
        return Give(protocol, rule.protocol);
    }
    HRESULT STDMETHODCALLTYPE get_Direction(NET_FW_RULE_DIRECTION* direction) override {
        if (const HRESULT failure = RuleFailure(rule, "get_Direction"); FAILED(failure))
            return failure;
        return Give(direction, static_cast<NET_FW_RULE_DIRECTION>(rule.direction));
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
        return Give(enabled, rule.enabled ? VARIANT_TRUE : VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE get_Profiles(LONG* profiles) override {
        return Give(profiles, rule.profiles);
    }
    HRESULT STDMETHODCALLTYPE get_Action(NET_FW_ACTION* action) override {
        return Give(action, static_cast<NET_FW_ACTION>(rule.action));
    }

    HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override {
        return Set("Name", rule.name, Text(name));
    }
    HRESULT STDMETHODCALLTYPE put_Description(BSTR text) override {
        return Set("Description", rule.description, Text(text));
    }
    HRESULT STDMETHODCALLTYPE put_ApplicationName(BSTR path) override {
        return Set("ApplicationName", rule.application, Text(path));
    }
    HRESULT STDMETHODCALLTYPE put_LocalPorts(BSTR ports) override {
        return Set("LocalPorts", rule.localPorts, Text(ports));
    }
    HRESULT STDMETHODCALLTYPE put_RemotePorts(BSTR ports) override {
        return Set("RemotePorts", rule.remotePorts, Text(ports));
    }
    HRESULT STDMETHODCALLTYPE put_Protocol(LONG protocol) override {
        return Set("Protocol", rule.protocol, protocol);
    }
    HRESULT STDMETHODCALLTYPE put_Direction(NET_FW_RULE_DIRECTION direction) override {
        return Set("Direction", rule.direction, static_cast<long>(direction));
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override {
        return Set("Enabled", rule.enabled, enabled != VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE put_Profiles(LONG profiles) override {
        return Set("Profiles", rule.profiles, profiles);
    }
    HRESULT STDMETHODCALLTYPE put_Action(NET_FW_ACTION action) override {
        return Set("Action", rule.action, static_cast<long>(action));
    }

    FAKE_UNUSED(get_Description, BSTR*)
    FAKE_UNUSED(get_ServiceName, BSTR*)
    FAKE_UNUSED(put_ServiceName, BSTR)
    FAKE_UNUSED(get_LocalAddresses, BSTR*)
    FAKE_UNUSED(put_LocalAddresses, BSTR)
    FAKE_UNUSED(get_RemoteAddresses, BSTR*)
    FAKE_UNUSED(put_RemoteAddresses, BSTR)
    FAKE_UNUSED(get_IcmpTypesAndCodes, BSTR*)
    FAKE_UNUSED(put_IcmpTypesAndCodes, BSTR)
    FAKE_UNUSED(get_Interfaces, VARIANT*)
    FAKE_UNUSED(put_Interfaces, VARIANT)
    FAKE_UNUSED(get_InterfaceTypes, BSTR*)
    FAKE_UNUSED(put_InterfaceTypes, BSTR)
    FAKE_UNUSED(get_Grouping, BSTR*)
    FAKE_UNUSED(put_Grouping, BSTR)
    FAKE_UNUSED(get_EdgeTraversal, VARIANT_BOOL*)
    FAKE_UNUSED(put_EdgeTraversal, VARIANT_BOOL)

private:
    template <typename Value>
    HRESULT Set(const char* property, Value& field, Value value) {
        rule.setProperties.push_back(property);
        field = std::move(value);
        return S_OK;
    }
};

class FakeRulesObject : public FakeDispatch<INetFwRules> {
public:
    explicit FakeRulesObject(FakeFirewall& firewall) : FakeDispatch(firewall, "Rules") {}

    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
        if (const HRESULT failure = Fails("get__NewEnum"); FAILED(failure)) return failure;
        // Like Windows, the enumerator walks the rules as they were when it was made.
        std::vector<IDispatch*> items;
        for (const FakeRule& rule : firewall_.rules)
            items.push_back(Make<FakeRuleObject>(firewall_, rule));
        return HandOut<IUnknown>(
            static_cast<IEnumVARIANT*>(Make<FakeEnumerator>(firewall_, "RulesEnumerator", items)),
            enumerator);
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR name) override {
        if (const HRESULT failure = Fails("Remove"); FAILED(failure)) return failure;
        for (auto rule = firewall_.rules.begin(); rule != firewall_.rules.end(); ++rule) {
            if (rule->name == Text(name)) {
                if (const HRESULT failure = RuleFailure(*rule, "Remove"); FAILED(failure))
                    return failure;
                firewall_.rules.erase(rule);
                firewall_.removedNames.push_back(Text(name));
                break;
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(BSTR name, INetFwRule** found) override {
        *found = nullptr;
        for (const FakeRule& rule : firewall_.rules) {
            if (rule.name == Text(name))
                return HandOut<INetFwRule>(Make<FakeRuleObject>(firewall_, rule), found);
        }
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE Add(INetFwRule* rule) override {
        if (const HRESULT failure = Fails("Add"); FAILED(failure)) return failure;
        const auto* fake = dynamic_cast<FakeRuleObject*>(rule);
        if (!fake) return E_INVALIDARG;
        firewall_.rules.push_back(fake->rule);
        firewall_.addedRules.push_back(fake->rule);
        return S_OK;
    }
    FAKE_UNUSED(get_Count, LONG*)
};

class FakePolicy2Object : public FakeDispatch<INetFwPolicy2> {
public:
    explicit FakePolicy2Object(FakeFirewall& firewall) : FakeDispatch(firewall, "Policy2") {}

    HRESULT STDMETHODCALLTYPE get_CurrentProfileTypes(LONG* types) override {
        if (const HRESULT failure = Fails("get_CurrentProfileTypes"); FAILED(failure))
            return failure;
        *types = firewall_.currentProfileTypes;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Rules(INetFwRules** rules) override {
        if (const HRESULT failure = Fails("get_Rules"); FAILED(failure)) return failure;
        return HandOut<INetFwRules>(Make<FakeRulesObject>(firewall_), rules);
    }
    FAKE_UNUSED(get_FirewallEnabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    FAKE_UNUSED(put_FirewallEnabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    FAKE_UNUSED(get_ExcludedInterfaces, NET_FW_PROFILE_TYPE2, VARIANT*)
    FAKE_UNUSED(put_ExcludedInterfaces, NET_FW_PROFILE_TYPE2, VARIANT)
    FAKE_UNUSED(get_BlockAllInboundTraffic, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    FAKE_UNUSED(put_BlockAllInboundTraffic, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    FAKE_UNUSED(get_NotificationsDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    FAKE_UNUSED(put_NotificationsDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    FAKE_UNUSED(get_UnicastResponsesToMulticastBroadcastDisabled, NET_FW_PROFILE_TYPE2,
                VARIANT_BOOL*)
    FAKE_UNUSED(put_UnicastResponsesToMulticastBroadcastDisabled, NET_FW_PROFILE_TYPE2,
                VARIANT_BOOL)
    FAKE_UNUSED(get_ServiceRestriction, INetFwServiceRestriction**)
    FAKE_UNUSED(EnableRuleGroup, LONG, BSTR, VARIANT_BOOL)
    FAKE_UNUSED(IsRuleGroupEnabled, LONG, BSTR, VARIANT_BOOL*)
    FAKE_UNUSED(RestoreLocalFirewallDefaults)
    FAKE_UNUSED(get_DefaultInboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION*)
    FAKE_UNUSED(put_DefaultInboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION)
    FAKE_UNUSED(get_DefaultOutboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION*)
    FAKE_UNUSED(put_DefaultOutboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION)
    FAKE_UNUSED(get_IsRuleGroupCurrentlyEnabled, BSTR, VARIANT_BOOL*)
    FAKE_UNUSED(get_LocalPolicyModifyState, NET_FW_MODIFY_STATE*)
};

class FakeAuthorizedApplicationObject : public FakeDispatch<INetFwAuthorizedApplication> {
public:
    FakeAuthorizedApplicationObject(FakeFirewall& firewall, FakeAuthorizedApplication application)
        : FakeDispatch(firewall, "AuthorizedApplication"), application_(std::move(application)) {}

    HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR* path) override {
        if (const HRESULT failure = Fails("get_ProcessImageFileName"); FAILED(failure))
            return failure;
        *path = NewBstr(application_.imageFileName);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
        return Give(enabled, application_.enabled ? VARIANT_TRUE : VARIANT_FALSE);
    }
    FAKE_UNUSED(get_Name, BSTR*)
    FAKE_UNUSED(put_Name, BSTR)
    FAKE_UNUSED(put_ProcessImageFileName, BSTR)
    FAKE_UNUSED(get_IpVersion, NET_FW_IP_VERSION*)
    FAKE_UNUSED(put_IpVersion, NET_FW_IP_VERSION)
    FAKE_UNUSED(get_Scope, NET_FW_SCOPE*)
    FAKE_UNUSED(put_Scope, NET_FW_SCOPE)
    FAKE_UNUSED(get_RemoteAddresses, BSTR*)
    FAKE_UNUSED(put_RemoteAddresses, BSTR)
    FAKE_UNUSED(put_Enabled, VARIANT_BOOL)

private:
    FakeAuthorizedApplication application_;
};

class FakeAuthorizedApplicationsObject : public FakeDispatch<INetFwAuthorizedApplications> {
public:
    explicit FakeAuthorizedApplicationsObject(FakeFirewall& firewall)
        : FakeDispatch(firewall, "AuthorizedApplications") {}

    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
        if (const HRESULT failure = Fails("get__NewEnum"); FAILED(failure)) return failure;
        std::vector<IDispatch*> items;
        for (const FakeAuthorizedApplication& application : firewall_.authorizedApplications) {
            items.push_back(Make<FakeAuthorizedApplicationObject>(firewall_, application));
        }
        return HandOut<IUnknown>(static_cast<IEnumVARIANT*>(Make<FakeEnumerator>(
                                     firewall_, "AuthorizedApplicationsEnumerator", items)),
                                 enumerator);
    }
    FAKE_UNUSED(get_Count, LONG*)
    FAKE_UNUSED(Add, INetFwAuthorizedApplication*)
    FAKE_UNUSED(Remove, BSTR)
    FAKE_UNUSED(Item, BSTR, INetFwAuthorizedApplication**)
};

class FakeProfileObject : public FakeDispatch<INetFwProfile> {
public:
    explicit FakeProfileObject(FakeFirewall& firewall) : FakeDispatch(firewall, "Profile") {}

    HRESULT STDMETHODCALLTYPE
    get_AuthorizedApplications(INetFwAuthorizedApplications** applications) override {
        if (const HRESULT failure = Fails("get_AuthorizedApplications"); FAILED(failure))
            return failure;
        return HandOut<INetFwAuthorizedApplications>(
            Make<FakeAuthorizedApplicationsObject>(firewall_), applications);
    }
    FAKE_UNUSED(get_Type, NET_FW_PROFILE_TYPE*)
    FAKE_UNUSED(get_FirewallEnabled, VARIANT_BOOL*)
    FAKE_UNUSED(put_FirewallEnabled, VARIANT_BOOL)
    FAKE_UNUSED(get_ExceptionsNotAllowed, VARIANT_BOOL*)
    FAKE_UNUSED(put_ExceptionsNotAllowed, VARIANT_BOOL)
    FAKE_UNUSED(get_NotificationsDisabled, VARIANT_BOOL*)
    FAKE_UNUSED(put_NotificationsDisabled, VARIANT_BOOL)
    FAKE_UNUSED(get_UnicastResponsesToMulticastBroadcastDisabled, VARIANT_BOOL*)
    FAKE_UNUSED(put_UnicastResponsesToMulticastBroadcastDisabled, VARIANT_BOOL)
    FAKE_UNUSED(get_RemoteAdminSettings, INetFwRemoteAdminSettings**)
    FAKE_UNUSED(get_IcmpSettings, INetFwIcmpSettings**)
    FAKE_UNUSED(get_GloballyOpenPorts, INetFwOpenPorts**)
    FAKE_UNUSED(get_Services, INetFwServices**)
};

class FakePolicyObject : public FakeDispatch<INetFwPolicy> {
public:
    explicit FakePolicyObject(FakeFirewall& firewall) : FakeDispatch(firewall, "Policy") {}

    HRESULT STDMETHODCALLTYPE get_CurrentProfile(INetFwProfile** profile) override {
        if (const HRESULT failure = Fails("get_CurrentProfile"); FAILED(failure)) return failure;
        return HandOut<INetFwProfile>(Make<FakeProfileObject>(firewall_), profile);
    }
    FAKE_UNUSED(GetProfileByType, NET_FW_PROFILE_TYPE, INetFwProfile**)
};

class FakeManagerObject : public FakeDispatch<INetFwMgr> {
public:
    explicit FakeManagerObject(FakeFirewall& firewall) : FakeDispatch(firewall, "Manager") {}

    HRESULT STDMETHODCALLTYPE get_LocalPolicy(INetFwPolicy** policy) override {
        if (const HRESULT failure = Fails("get_LocalPolicy"); FAILED(failure)) return failure;
        return HandOut<INetFwPolicy>(Make<FakePolicyObject>(firewall_), policy);
    }
    FAKE_UNUSED(get_CurrentProfileType, NET_FW_PROFILE_TYPE*)
    FAKE_UNUSED(RestoreDefaults)
    FAKE_UNUSED(IsPortAllowed, BSTR, NET_FW_IP_VERSION, LONG, BSTR, NET_FW_IP_PROTOCOL, VARIANT*,
                VARIANT*)
    FAKE_UNUSED(IsIcmpTypeAllowed, NET_FW_IP_VERSION, BSTR, BYTE, VARIANT*, VARIANT*)
};

// A new object, queried for the interface asked for, as CoCreateInstance does.
HRESULT Create(FakeFirewall& firewall, const char* className, IUnknown* object, REFIID id,
               void** out) {
    *out = nullptr;
    if (const HRESULT failure = firewall.Failure(std::string("create ") + className);
        FAILED(failure)) {
        return failure;
    }
    return object->QueryInterface(id, out);
}

}  // namespace

bool operator==(const FakeRule& a, const FakeRule& b) {
    return a.name == b.name && a.description == b.description && a.application == b.application &&
           a.localPorts == b.localPorts && a.remotePorts == b.remotePorts &&
           a.protocol == b.protocol && a.direction == b.direction && a.profiles == b.profiles &&
           a.action == b.action && a.enabled == b.enabled && a.setProperties == b.setProperties;
}

std::ostream& operator<<(std::ostream& out, const FakeRule& rule) {
    out << "{" << WideToUtf8(rule.name) << " | " << WideToUtf8(rule.description) << " | "
        << WideToUtf8(rule.application) << " | ports " << WideToUtf8(rule.localPorts) << " / "
        << WideToUtf8(rule.remotePorts) << " | protocol " << rule.protocol << " direction "
        << rule.direction << " profiles " << rule.profiles << " action " << rule.action
        << " enabled " << rule.enabled << " | set";
    for (const std::string& property : rule.setProperties) out << " " << property;
    return out << "}";
}

FirewallPlatform FakeFirewall::Platform(const std::filesystem::path& automationLibrary) {
    FirewallPlatform platform = SystemFirewallPlatform();
    if (!automationLibrary.empty()) platform.automationLibrary = automationLibrary;
    platform.createInstance = [this](REFCLSID type, REFIID id, void** object) -> HRESULT {
        if (type == __uuidof(NetFwMgr)) {
            return Create(*this, "NetFwMgr",
                          static_cast<INetFwMgr*>(Make<FakeManagerObject>(*this)), id, object);
        }
        if (type == __uuidof(NetFwPolicy2)) {
            return Create(*this, "NetFwPolicy2",
                          static_cast<INetFwPolicy2*>(Make<FakePolicy2Object>(*this)), id, object);
        }
        if (type == __uuidof(NetFwRule)) {
            return Create(
                *this, "NetFwRule",
                static_cast<INetFwRule*>(Make<FakeRuleObject>(*this, FakeRule{}, "NewRule")), id,
                object);
        }
        *object = nullptr;
        return REGDB_E_CLASSNOTREG;
    };
    return platform;
}

std::vector<std::string> FakeFirewall::UnreleasedObjects() const {
    std::vector<std::string> unreleased;
    for (const auto& object : objects_) {
        if (object->references != 1) {
            unreleased.push_back(std::string(object->kind) + " holds " +
                                 std::to_string(static_cast<long>(object->references) - 1) +
                                 " references");
        }
    }
    return unreleased;
}

HRESULT FakeFirewall::Failure(const std::string& call) const {
    const auto failure = failures.find(call);
    return failure == failures.end() ? S_OK : failure->second;
}
