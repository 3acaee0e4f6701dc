#include "firewall/automation_library.h"

namespace {

template <typename Function>
Function ProcAddress(HMODULE library, const char* name) {
    // Through a generic function pointer: a direct cast between function types warns.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

AutomationLibrary LoadAutomationLibrary(const std::filesystem::path& path) {
    AutomationLibrary automation;
    automation.library.reset(LoadLibraryW(path.c_str()));
    if (!automation.library) return automation;
    HMODULE library = automation.library.get();
    automation.sysFreeString = ProcAddress<UniqueBstr::Freer>(library, "SysFreeString");
    automation.variantInit = ProcAddress<UniqueVariant::Initializer>(library, "VariantInit");
    automation.variantClear = ProcAddress<UniqueVariant::Clearer>(library, "VariantClear");
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
