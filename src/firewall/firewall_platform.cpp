#include "firewall/firewall_platform.h"

#include <vector>

#include <objbase.h>

#include "text/paths.h"

namespace {

std::filesystem::path SystemFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const UINT length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

}  // namespace

FirewallPlatform SystemFirewallPlatform() {
    // By full path: an administrator process must not pick up an oleaut32.dll planted in
    // its own or the current folder.
    std::filesystem::path automationLibrary = SystemFolder();
    AppendPath(automationLibrary, std::wstring(L"oleaut32.dll"));
    return {[](REFCLSID type, REFIID interfaceId, void** object) {
                return CoCreateInstance(type, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object);
            },
            std::move(automationLibrary)};
}
