#pragma once
// Where the firewall check meets the platform: COM object creation and the OLE automation
// library. The product uses CoCreateInstance and the system folder's oleaut32.dll; tests
// hand in fake firewall objects, or a library that is missing.
#include <filesystem>
#include <functional>

#include <windows.h>

struct FirewallPlatform {
    // Creates an in-process object of the class and hands out the interface, as
    // CoCreateInstance does.
    std::function<HRESULT(REFCLSID, REFIID, void**)> createInstance;
    std::filesystem::path automationLibrary;
};

FirewallPlatform SystemFirewallPlatform();
