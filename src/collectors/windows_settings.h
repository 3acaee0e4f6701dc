#pragma once
// The "Windows settings" section of the full log: desktop effects, the performance
// counter, the screen saver and the signed-in user.
#include <cstdint>
#include <string>

#include "collectors/log_section.h"

// Each check status is 1 when Windows answered the question, else 0.
struct WindowsSettings {
    int clientAnimation = 0;
    int clientAnimationStatus = 0;
    bool highContrastEnabled = false;
    std::wstring highContrastScheme;  // "" when high contrast is off or names no scheme
    int highContrastStatus = 0;
    std::uint64_t performanceFrequency = 0;
    int performanceFrequencyStatus = 0;
    std::wstring screenSaverExecutable;  // registry texts, "" when unreadable
    std::wstring screenSaverTimeout;
    std::wstring userName;  // "< ERROR >" when it cannot be read
};

WindowsSettings ReadWindowsSettings();

LogSection FormatWindowsSettingsSection(const WindowsSettings& settings);

// The section of the running system.
LogSection WindowsSettingsSection();
