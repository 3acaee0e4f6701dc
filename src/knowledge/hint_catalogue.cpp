#include "knowledge/hint_catalogue.h"

// The catalogue as data. Rows are inserted in the order written; a repeated key would be
// dropped in favour of its first row. Readers always see the rows in key order.

namespace {

// Templates that many entries share.
constexpr wchar_t kHookedCrash[] =
    L"{installedAndHooked}{bulletCrash}\n{recommendExcludeOrDisable} {referFaq}";
constexpr wchar_t kHookedAudioCrash[] =
    L"{installedAndHooked}{bulletAudio}{bulletCrash}\n{recommendExcludeOrDisable} {referFaq}";
constexpr wchar_t kHookedUiAudioCrash[] =
    L"{installedAndHooked}{bulletUi}{bulletAudio}{bulletCrash}\n{recommendExcludeOrDisable} {referFaq}";
constexpr wchar_t kHookedCrashNotMaintained[] =
    L"{installedAndHooked}{bulletCrash}\n{notMaintained} {referFaq}";
constexpr wchar_t kHookedAudio[] =
    L"{installedAndHooked}{bulletAudio}\n{recommendExcludeOrDisable} {referFaq}";
constexpr wchar_t kAntivirusExclusion[] = L"{antivirus}{referFaq}";

// Templates of a single entry.
constexpr wchar_t kNvstreamText[] =
    L"It looks like Geforce Experience is currently streaming the wallpaper window. This could decrease the performance or cause a few other issues with Vistora.\n\n"
    L"Try disabling streaming in Geforce Experience or disable the entire Geforce overlay if you currently don't need it.";
constexpr wchar_t kSteelseriesText[] =
    L"SteelSeries Game Capture appears to be running and this may result in the wallpaper flickering on top of games or fullscreen apps, especially Valorant.";
constexpr wchar_t kSmboostText[] =
    L"It looks like you have smart game booster injected in Vistora which can wreak havoc to the program when it manipulates it.\n\n"
    L"Exclude Vistora from Smart Game Boost if you experience problems.";
constexpr wchar_t kCodecpackText[] =
    L"It looks like the codec pack K-Lite or Shark007 is acive.\n\n"
    L"They can crash the program because they supply old and broken LAV filter files. Please uninstall them and install the latest version of LAV directly if you experience crashes or video issues.";
constexpr wchar_t kSuperantishitText[] =
    L"It looks like you have SuperAntiSpyware installed and some users reported that it can crash Vistora randomly or constantly.";
constexpr wchar_t kNvshareText[] =
    L"You have the Geforce Experience overlay enabled in Vistora. This is almost never causing problems, but in rare cases it makes the mouse cursor lag or decreases general performance.\n\n"
    L"Disable it if you experience these issues.";
constexpr wchar_t kDuetText[] =
    L"{installedAndHooked} - Vistora and other games report that your system does not support 'DirectX' and will crash.\n\n"
    L"{referFaq}";
constexpr wchar_t kDesktopcalText[] =
    L"{installed} - The live wallpaper will not show up because DesktopCal itself is replacing the wallpaper and hiding Vistora.\n\n"
    L"{referFaq}";
constexpr wchar_t kFencesText[] =
    L"It looks like you have Stardock Fences installed, but everything will be fine as long as Fences is also enabled.\n\n"
    L"If Fences is installed and disabled, then it will block the wallpapers from Vistora, so you should either enable or uninstall Fences to fix this. {referFaq}";
constexpr wchar_t kDeskscapesText[] =
    L"It looks like you have Stardock Deskscapes installed.\n\n"
    L"Deskscapes and Vistora might not work at the same time since they both replace the wallpaper. You could choose one application and uninstall the other. {referFaq}";
constexpr wchar_t kGeneric3dHookText[] =
    L"It looks like a generic 3D overlay hook is installed and affects Vistora and might cause it to crash.\n\n"
    L"It could be part of Nahimic, Alienware Sound or Sonic Suite. {referMoreAndFaq}";
constexpr wchar_t kBullguardText[] =
    L"It looks like BullGuard is hacked into Vistora and may cause it to crash or vanish from the tray menu and task manager or may bug Steam's in-game status.\n\n"
    L"If you have issues, you need to exclude Vistora and Steam in BullGuard and restart your PC until this message disappears.";
constexpr wchar_t kBitdefenderactText[] =
    L"It looks like the 'Active Threat Defense' of BitDefender is currently manipulating Vistora and numerous users have reported that this can randomly crash Vistora.\n\n"
    L"If you experience crashes, try disabling this BitDefender feature or exclude Vistora so it can run smoothly.";
constexpr wchar_t kBitdefenderText[] =
    L"It looks like you are using BitDefender. If you have issues like the browse window crashing or that it stays white or doesn't fully load, make sure to exclude Vistora completely from BitDefender so BitDefender doesn't interfere with the program and break it.";
constexpr wchar_t kReliveText[] =
    L"It looks like AMD ReLive is recording the wallpaper window OR AMD anti-lag is manipulating Vistora. This can decrease performance, cause weird sounds to play or even crash Vistora.\n\n"
    L"If you experience any such issues and disabling these AMD hacks fixes them, you just have to configure ReLive/anti-lag to stop messing with Vistora and leave it alone.";
constexpr wchar_t kRtxvoiceText[] =
    L"It looks like Nvidia RTX Voice is active. It is known to cause random crashes, because it's still a beta software from Nvidia at the time of writing this.\n\n"
    L"If you experience crashes with Vistora try to update or remove RTX Voice to see if it's the reason for the system instability.";
constexpr wchar_t kKasperskyText[] =
    L"It looks like you are using Kaspersky. If you experience issues with audio recording, crashes or problems with the GUI of Vistora, make sure to exclude Vistora from Kaspersky.\n\n"
    L"It has been confirmed that Kaspersky has an audio blocking feature that disables audio effects in Vistora if it is active.";
constexpr wchar_t kLenovovantageText[] =
    L"It looks like you have Lenovo Vantage installed.\n\n"
    L"Disable 'Network Boost' in Lenovo Vantage if you experience internet connection or speed problems.";
constexpr wchar_t kDxwarpText[] =
    L"It looks like your computer is unable to use graphics hardware acceleration correctly which may result in poor CPU performance. Try reinstalling the graphics drivers ccompletely.";
constexpr wchar_t kColdturkeyText[] =
    L"It looks like you have the blocker app Cold Turkey installed. If misconfigured, this app will close Vistora constantly.\n\n"
    L"If you experience Vistora closing, configure Cold Turkey to not close Vistora anymore.";
constexpr wchar_t kAmbiboxText[] =
    L"It looks like you are using AmbiBox. This program is known to cause a flickering task bar and flickering windows because it breaks the transparency effect.\n\n"
    L"This is not a bug in Vistora. If you are having such issues, please check your ambibox settings.";
constexpr wchar_t kThrottlestopText[] =
    L"It looks like you are using ThrottleStop. This program is known to cause BlueScreens when it manipulates your system at the same time Vistora starts.\n\n"
    L"This is not a bug in Vistora. If you are having issues with your system's stability, try removing ThrottleStop or get in touch with its developers to improve stability.";
constexpr wchar_t kUnknownDevpropsText[] =
    L"It looks like a generic audio hook is installed and affects Vistora and may cause the following issues:\n\n"
    L"{bulletAudio}{bulletCrash}\n{referMoreAndFaq}";
constexpr wchar_t kUnknownOverlayText[] =
    L"It looks like a generic overlay hook is installed and affects Vistora and may cause the following issues:\n\n"
    L"{bulletCrash}\n{referMoreAndFaq}";
constexpr wchar_t kUnknownHookText[] =
    L"It looks like a generic hook is installed and affects Vistora and may cause the following issues:\n\n"
    L"{bulletCrash}\n{referMoreAndFaq}";
constexpr wchar_t kZonealarmText[] =
    L"It looks like you have ZoneAlarm Antitheft.exe running which can prevent Vistora from working, for example, the UI could stay blank.\n\n"
    L"If you have such an issue, you should configure ZoneAlarm to leave Vistora alone or disable parts of ZoneAlarm until you found the component in ZoneAlarm that is broken and causes this.\n\n"
    L"If you need help with ZoneAlarm, their support can be found here: https://www.zonealarm.com/support.";

}  // namespace

// Fragment name -> text; templates pull a fragment in as {name}.
const std::map<std::wstring, std::wstring> HintFragment = {
    {L"installed",                 L"It looks like you have {app} installed which could cause the following issues:\n\n"},
    {L"installedAndHooked",        L"It looks like you have {app} installed which could inject into Vistora and cause the following issues:\n\n"},
    {L"recommendExcludeOrDisable", L"We recommend that you set {app} to ignore Vistora or try to close or uninstall it."},
    {L"notMaintained",             L"{app} is old and not being updated anymore, so your best bet is replacing it with an alternative program."},
    {L"referFaq",                  L"Click on 'Open FAQ' below if you need any additional help."},
    {L"referMoreAndFaq",           L"Click on 'View more' to see the path of this hook on your computer and click on 'Open FAQ' below if you need any additional help."},
    {L"antivirus",                 L"If you are having crashes or problems with Vistora, try configuring {app} to ignore the vistora installation directory as it is known to cause various issues.\n\n"},
    {L"bulletCrash",               L" - Vistora may crash.\n"},
    {L"bulletAudio",               L" - Audio visualizers may not work.\n"},
    {L"bulletUi",                  L" - The UI does not work/stays blank.\n"},
};

// Catalogue key -> {template, display name, author}.
const std::map<std::wstring, HintEntry> HintCatalogue = {
    {L"rivatuner",                           {kHookedCrash,               L"RivaTuner",                     L""}},
    {L"sonicstudio",                         {kHookedAudioCrash,          L"Sonic Suite",                   L"ASUS"}},
    {L"nahimic",                             {kHookedAudioCrash,          L"Nahimic",                       L""}},
    {L"alienware",                           {kHookedUiAudioCrash,        L"Alienware Sound Center",        L""}},
    {L"morvane",                             {kHookedCrash,               L"Morvane's Mod",                 L"Morvane's forums"}},
    {L"action",                              {kHookedCrash,               L"Mirillis Action",               L"Mirillis"}},
    {L"fraps",                               {kHookedCrashNotMaintained,  L"Fraps",                         L""}},
    {L"raptr",                               {kHookedCrash,               L"Raptr",                         L""}},
    {L"precisionx",                          {kHookedCrash,               L"PrecisionX",                    L"EVGA"}},
    {L"xtremetuner",                         {kHookedCrash,               L"XtremeTuner",                   L""}},
    {L"razerfps",                            {kHookedCrash,               L"Razer Cortex FPS",              L"Razer"}},
    {L"rzfps",                               {kHookedCrash,               L"Razer Switchblade FPS",         L"Razer"}},
    {L"razeraudio",                          {kHookedAudio,               L"Razer headset software",        L"Razer"}},
    {L"nvstream",                            {kNvstreamText,              L"Nvidia Share",                  L""}},
    {L"msi gaming",                          {kHookedCrash,               L"MSI Gaming App",                L"MSI"}},
    {L"asus strix",                          {kHookedAudioCrash,          L"ASUS Strix",                    L"ASUS"}},
    {L"asus phoebus",                        {kHookedAudioCrash,          L"ASUS Phoebus",                  L"ASUS"}},
    {L"asus gpu tweak",                      {kHookedCrash,               L"ASUS GPU Tweak",                L"ASUS"}},
    {L"d3dgear",                             {kHookedCrash,               L"d3dGear",                       L""}},
    {L"fpsmon",                              {kHookedCrash,               L"FPS Monitor",                   L""}},
    {L"playclaw",                            {kHookedCrash,               L"PlayClaw",                      L""}},
    {L"overwolf",                            {kHookedCrash,               L"Overwolf",                      L""}},
    {L"rocketdock",                          {kHookedCrash,               L"RocketDock",                    L""}},
    {L"objdock",                             {kHookedCrash,               L"Object Dock",                   L""}},
    {L"steelseries",                         {kSteelseriesText,           L"SteelSeries Game Capture",      L""}},
    {L"smboost",                             {kSmboostText,               L"Smart Game Booster",            L""}},
    {L"codecpack",                           {kCodecpackText,             L"K-Lite or Shark007",            L""}},
    {L"superantishit",                       {kSuperantishitText,         L"SuperAntiSpyware",              L""}},
    {L"nvshare",                             {kNvshareText,               L"Geforce Experience Overlay",    L""}},
    {L"duet",                                {kDuetText,                  L"Duet Display",                  L""}},
    {L"desktopcal",                          {kDesktopcalText,            L"DesktopCal",                    L""}},
    {L"fences",                              {kFencesText,                L"Fences",                        L""}},
    {L"deskscapes",                          {kDeskscapesText,            L"Deskscapes",                    L""}},
    {L"nahimicORsonicsuiteORalienwaresound", {kGeneric3dHookText,         L"Generic 3D hook",               L""}},
    {L"rtsultra",                            {kHookedCrash,               L"Ultramon",                      L"RealtimeSoft"}},
    {L"bullguard",                           {kBullguardText,             L"BullGuard",                     L""}},
    {L"bitdefenderact",                      {kBitdefenderactText,        L"BitDefender",                   L""}},
    {L"bitdefender",                         {kBitdefenderText,           L"BitDefender",                   L""}},
    {L"relive",                              {kReliveText,                L"AMD ReLive/anti-lag",           L""}},
    {L"rtxvoice",                            {kRtxvoiceText,              L"Nvidia RTX Voice",              L""}},
    {L"kaspersky",                           {kKasperskyText,             L"Kaspersky",                     L""}},
    {L"trusteer",                            {kAntivirusExclusion,        L"IBM Trusteer Rapport",          L""}},
    {L"avast",                               {kAntivirusExclusion,        L"Avast",                         L""}},
    {L"norton",                              {kAntivirusExclusion,        L"Norton",                        L""}},
    {L"360sec",                              {kAntivirusExclusion,        L"360 Total Security",            L""}},
    {L"trendmicro",                          {kAntivirusExclusion,        L"Trend Micro",                   L""}},
    {L"malware",                             {kAntivirusExclusion,        L"MalwareBytes",                  L""}},
    {L"panda",                               {kAntivirusExclusion,        L"Panda Security",                L""}},
    {L"lenovovantage",                       {kLenovovantageText,         L"Lenovo Vantage",                L""}},
    {L"dxwarp",                              {kDxwarpText,                L"Software Rendering",            L""}},
    {L"coldturkey",                          {kColdturkeyText,            L"Cold Turkey",                   L""}},
    {L"ambibox",                             {kAmbiboxText,               L"Ambibox",                       L""}},
    {L"throttlestop",                        {kThrottlestopText,          L"ThrottleStop",                  L""}},
    {L"unknown devprops",                    {kUnknownDevpropsText,       L"Unknown audio hook",            L""}},
    {L"unknown overlay",                     {kUnknownOverlayText,        L"Unknown overlay hook",          L""}},
    {L"unknown hook",                        {kUnknownHookText,           L"Unknown hook",                  L""}},
    {L"zonealarm",                           {kZonealarmText,             L"ZoneAlarm Antitheft",           L""}},
};
