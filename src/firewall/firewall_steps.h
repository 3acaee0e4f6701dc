#pragma once
// The three steps of the firewall check. Each returns its status and appends its own
// failure lines to errorText.
#include <string>

#include <windows.h>
#include <netfw.h>

#include "firewall/firewall_platform.h"
#include "firewall/firewall_status.h"
#include "text/win_handles.h"

// FAILED(status); a failure first appends "<call> failed: 0x%08lx\n", the form of every
// firewall failure line.
bool FailedWithLine(std::string& errorText, const char* call, HRESULT status);

// The IEnumVARIANT over a firewall collection, or the status of the call that failed.
template <typename Collection>
HRESULT EnumerateCollection(Collection& collection, ComPtr<IEnumVARIANT>& items,
                            std::string& errorText) {
    ComPtr<IUnknown> enumerator;
    HRESULT status = collection.get__NewEnum(enumerator.Put());
    if (FailedWithLine(errorText, "get__NewEnum", status)) return status;
    status = enumerator->QueryInterface(IID_IEnumVARIANT, items.PutVoid());
    FailedWithLine(errorText, "IEnumVARIANT", status);
    return status;
}

// The current profile of the legacy firewall manager.
HRESULT WindowsFirewallInitialize(const FirewallPlatform& platform, ComPtr<INetFwProfile>& profile,
                                  std::string& errorText);

// Classifies the rules of the UI program and the rules on its pairing ports; with repair,
// removes the interfering ones and adds the missing "Vistora UI" rules. Reports S_OK
// whatever failed: its failures only show as lines.
HRESULT WindowsFirewallFixRules(const FirewallPlatform& platform, const std::wstring& uiProgramPath,
                                bool repair, FirewallRuleRecords* interfering,
                                FirewallRuleRecords* granted, std::string& errorText);

// Whether an enabled authorized application of the profile has the UI program's file
// name (the folder plays no part). S_FALSE after a complete walk.
HRESULT WindowsFirewallAppIsEnabled(const FirewallPlatform& platform, INetFwProfile& profile,
                                    bool& enabled, std::string& errorText);
