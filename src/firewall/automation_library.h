#pragma once
// The OLE automation helpers that the firewall walks free strings and items with, reached
// at run time through an oleaut32.dll given by path.
#include <filesystem>

#include <windows.h>
#include <oleauto.h>

#include "text/win_handles.h"

struct AutomationLibrary {
    UniqueLibrary library;
    UniqueBstr::Freer sysFreeString = nullptr;
    UniqueVariant::Initializer variantInit = nullptr;
    UniqueVariant::Clearer variantClear = nullptr;

    // The library loaded with all three helpers.
    bool Complete() const { return library && sysFreeString && variantInit && variantClear; }
};

AutomationLibrary LoadAutomationLibrary(const std::filesystem::path& path);

// The object an enumerator handed out in a VARIANT, queried for the interface;
// E_NOINTERFACE when the item holds no object.
HRESULT QueryItem(const VARIANT& item, REFIID interfaceId, void** object);
