#include "firewall/automation_library.h"

#include "text/system_library.h"

AutomationLibrary LoadAutomationLibrary(const std::filesystem::path& path) {
    AutomationLibrary automation;
    automation.library.reset(LoadLibraryW(path.c_str()));
    if (!automation.library) return automation;
    HMODULE library = automation.library.get();
    automation.sysFreeString = FindExport<UniqueBstr::Freer>(library, "SysFreeString");
    automation.variantInit = FindExport<UniqueVariant::Initializer>(library, "VariantInit");
    automation.variantClear = FindExport<UniqueVariant::Clearer>(library, "VariantClear");
    return automation;
}

HRESULT QueryItem(const VARIANT& item, REFIID interfaceId, void** object) {
    *object = nullptr;
    IUnknown* unknown = nullptr;
    if (item.vt == VT_DISPATCH) unknown = item.pdispVal;
    if (item.vt == VT_UNKNOWN) unknown = item.punkVal;
    if (!unknown) return E_NOINTERFACE;
    return unknown->QueryInterface(interfaceId, object);
}
