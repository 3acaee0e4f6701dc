#include "collectors/desktop_windows.h"

#include <iomanip>
#include <set>
#include <sstream>

#include "text/case_folding.h"
#include "text/control_characters.h"

namespace {

struct Collection {
    std::set<HWND> examinedTopLevel;
    std::vector<WindowInfo> windows;
};

// Lower-case hexadecimal, zero-filled to 8 digits.
std::wstring Hex(std::uintptr_t value) {
    std::wostringstream text;
    text << std::hex << std::setfill(L'0') << std::setw(8) << value;
    return text.str();
}

std::wstring Hex(HWND window) {
    return Hex(reinterpret_cast<std::uintptr_t>(window));
}

HWND ParentOf(HWND window) {
    const HWND parent = GetAncestor(window, GA_PARENT);
    return parent == GetDesktopWindow() ? nullptr : parent;
}

HWND TopLevelOf(HWND window) {
    for (HWND parent = ParentOf(window); parent && IsWindow(parent); parent = ParentOf(window)) {
        window = parent;
    }
    return window;
}

// Classes qualify by their first seven letters, so longer names that begin so count too.
bool IsDesktopClass(const std::wstring& className) {
    const std::wstring prefix = ToLowerAscii(className.substr(0, 7));
    return prefix == L"workerw" || prefix == L"progman";
}

BOOL CALLBACK CollectInnerWindow(HWND window, LPARAM context) {
    reinterpret_cast<Collection*>(context)->windows.push_back(ReadWindowInfo(window));
    return TRUE;
}

BOOL CALLBACK CollectDesktopWindow(HWND window, LPARAM context) {
    auto& collection = *reinterpret_cast<Collection*>(context);
    const HWND topLevel = TopLevelOf(window);
    if (!collection.examinedTopLevel.insert(topLevel).second) return TRUE;
    WindowInfo info = ReadWindowInfo(topLevel);
    if (!IsDesktopClass(info.className)) return TRUE;
    collection.windows.push_back(std::move(info));
    EnumChildWindows(topLevel, CollectInnerWindow, context);
    return TRUE;
}

}  // namespace

WindowInfo ReadWindowInfo(HWND window) {
    WindowInfo info;
    wchar_t text[256] = {};
    GetClassNameW(window, text, 256);
    info.className = text;
    text[0] = L'\0';
    GetWindowTextW(window, text, 256);
    info.title = text;
    RECT rect = {};
    GetWindowRect(window, &rect);
    info.left = rect.left;
    info.top = rect.top;
    info.right = rect.right;
    info.bottom = rect.bottom;
    info.style = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_STYLE));
    info.exStyle = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
    info.handle = window;
    info.parent = ParentOf(window);
    return info;
}

std::wstring FormatWindowInfos(const std::vector<WindowInfo>& windows) {
    std::wstring text;
    for (const WindowInfo& window : windows) {
        if (window.parent) text += L"-- ";
        text += L"0x" + Hex(window.handle) + L" parent (0x" + Hex(window.parent) + L"), ";
        text += L"name: " + EscapeControlCharacters(window.title) +
                L", class: " + EscapeControlCharacters(window.className) + L", ";
        text += L"style: 0x" + Hex(window.style) + L", exStyle: 0x" + Hex(window.exStyle) + L", ";
        text += L"rect: left " + std::to_wstring(window.left) + L", top " +
                std::to_wstring(window.top) + L", right " + std::to_wstring(window.right) +
                L", bottom " + std::to_wstring(window.bottom) + L"\n";
    }
    return text;
}

std::wstring DescribeDesktopWindows() {
    Collection collection;
    EnumChildWindows(GetDesktopWindow(), CollectDesktopWindow,
                     reinterpret_cast<LPARAM>(&collection));
    return FormatWindowInfos(collection.windows);
}
