#pragma once
// The "Desktop window state" section of the full log: the shell windows a live wallpaper
// draws into ("Progman" and "WorkerW") with every window inside them.
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

struct WindowInfo {
    std::wstring className;  // at most 255 characters
    std::wstring title;      // at most 255 characters
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // screen coordinates
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    HWND handle = nullptr;
    HWND parent = nullptr;  // null for a top-level window
};

WindowInfo ReadWindowInfo(HWND window);

// One line per window; windows inside a top-level window are marked "-- ".
std::wstring FormatWindowInfos(const std::vector<WindowInfo>& windows);

std::wstring DescribeDesktopWindows();
