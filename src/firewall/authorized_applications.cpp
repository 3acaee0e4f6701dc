// The legacy manager's question: is the UI program an enabled authorized application?
#include "firewall/automation_library.h"
#include "firewall/firewall_steps.h"
#include "firewall/rule_classification.h"

HRESULT WindowsFirewallAppIsEnabled(const FirewallPlatform& platform, INetFwProfile& profile,
                                    bool& enabled, std::string& errorText) {
    enabled = false;
    ComPtr<INetFwAuthorizedApplications> applications;
    HRESULT status = profile.get_AuthorizedApplications(applications.Put());
    if (FailedWithLine(errorText, "get_AuthorizedApplications", status)) return status;
    ComPtr<IEnumVARIANT> items;
    status = EnumerateCollection(*applications.Get(), items, errorText);
    if (FAILED(status)) return status;

    const AutomationLibrary automation = LoadAutomationLibrary(platform.automationLibrary);
    if (!automation.Complete()) return status;

    unsigned enabledCount = 0;
    for (;;) {
        UniqueVariant item(automation.variantInit, automation.variantClear);
        status = items->Next(1, item.Put(), nullptr);
        if (status != S_OK) break;
        ComPtr<INetFwAuthorizedApplication> application;
        status =
            QueryItem(item.Get(), __uuidof(INetFwAuthorizedApplication), application.PutVoid());
        if (FAILED(status)) break;
        UniqueBstr imageFileName(automation.sysFreeString);
        status = application->get_ProcessImageFileName(imageFileName.Put());
        if (SUCCEEDED(status) && IsUiProgramPath(imageFileName.Text())) {
            VARIANT_BOOL applicationEnabled = VARIANT_FALSE;
            if (SUCCEEDED(application->get_Enabled(&applicationEnabled)) &&
                applicationEnabled != VARIANT_FALSE) {
                ++enabledCount;
            }
        }
        if (FAILED(status)) break;
    }
    enabled = enabledCount > 0;
    return status;
}
