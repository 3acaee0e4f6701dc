#include "collectors/windows_settings.h"

#include <windows.h>

#include "text/control_characters.h"
#include "text/win_handles.h"

namespace {

// A value of the open key as text up to its first NUL, read into a zeroed 2048-byte
// buffer whatever its type; "" when it cannot be read.
std::wstring QueryValueText(HKEY key, const wchar_t* name) {
    wchar_t buffer[1024 + 1] = {};  // one more than the size given, so the text always ends
    DWORD size = 1024 * sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return buffer;
}

}  // namespace

WindowsSettings ReadWindowsSettings() {
    WindowsSettings settings;

    BOOL animation = FALSE;
    settings.clientAnimationStatus =
        SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animation, 0) != 0;
    settings.clientAnimation = animation;

    // The size is the build's own (12 bytes in 32-bit builds, 16 in 64-bit ones): a
    // mismatched size makes the call fail.
    HIGHCONTRASTW highContrast = {};
    highContrast.cbSize = sizeof(highContrast);
    const BOOL highContrastResult =
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast, 0);
    settings.highContrastStatus = highContrastResult == 1;
    settings.highContrastEnabled =
        highContrastResult == 1 && (highContrast.dwFlags & HCF_HIGHCONTRASTON);
    if (settings.highContrastEnabled && highContrast.lpszDefaultScheme) {
        settings.highContrastScheme = highContrast.lpszDefaultScheme;
    }

    LARGE_INTEGER frequency = {};
    settings.performanceFrequencyStatus = QueryPerformanceFrequency(&frequency) == 1;
    settings.performanceFrequency = static_cast<std::uint64_t>(frequency.QuadPart);

    if (const UniqueRegistryKey desktop =
            OpenRegistryKey(HKEY_CURRENT_USER, L"Control Panel\\Desktop", KEY_QUERY_VALUE)) {
        settings.screenSaverExecutable = QueryValueText(desktop.get(), L"SCRNSAVE.EXE");
        settings.screenSaverTimeout = QueryValueText(desktop.get(), L"ScreenSaveTimeOut");
    }

    wchar_t user[256] = {};
    DWORD userLength = 256;
    settings.userName = GetUserNameW(user, &userLength) ? user : L"< ERROR >";
    return settings;
}

LogSection FormatWindowsSettingsSection(const WindowsSettings& settings) {
    std::wstring text = L"client animation enabled: " +
                        std::to_wstring(settings.clientAnimation) + L" (check status: " +
                        std::to_wstring(settings.clientAnimationStatus) + L")\n";
    text += L"high contrast enabled: " + std::to_wstring(settings.highContrastEnabled ? 1 : 0) +
            L", theme: " +
            (settings.highContrastScheme.empty() ? L"unknown"
                                                 : EscapeControlCharacters(settings.highContrastScheme)) +
            L" (check status: " + std::to_wstring(settings.highContrastStatus) + L")\n";
    text += L"QPC frequency: " + std::to_wstring(settings.performanceFrequency) +
            L" (check status: " + std::to_wstring(settings.performanceFrequencyStatus) + L")\n";
    text += L"scrnsave.exe registry: " + EscapeControlCharacters(settings.screenSaverExecutable) + L"\n";
    text += L"ScreenSaveTimeOut registry: " + EscapeControlCharacters(settings.screenSaverTimeout) +
            L"\n";
    text += L"Active user: " + EscapeControlCharacters(settings.userName) + L"\n";
    return {L"Windows settings", text};
}

LogSection WindowsSettingsSection() { return FormatWindowsSettingsSection(ReadWindowsSettings()); }
