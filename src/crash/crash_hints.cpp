#include "crash/crash_hints.h"

const std::array<CrashHintRule, 10> CrashHintRules = {{
    {{L"rzchromasdk", nullptr},
     L"Razer Synapse has crashed Vistora.\n\nThe Razer Chroma plugin will be disabled to fix "
     L"this crash. You can re-enable it in the Vistora plugin settings.",
     CrashHintAction::DisablePlugins},
    {{L"precisionx", nullptr},
     L"PRECISION X hacked and crashed Vistora. Update PRECISION X or disable its overlay hack.",
     CrashHintAction::None},
    // The Nvidia user-mode shim sits in front of the Intel driver on hybrid laptops.
    {{L"nvumdshim", L"igc32"}, L"LIKELY SOLUTION: Update Intel Graphics drivers.",
     CrashHintAction::None},
    {{L"nvwgf2um", L"nvd3dum"},
     L"Your Nvidia graphics drivers have crashed Vistora. Try reinstalling the NEWEST Nvidia "
     L"drivers or install OLDER, STABLE drivers. This type of crash can also be the result of "
     L"a broken graphics hook or overlay program.",
     CrashHintAction::None},
    {{L"rtsshooks", nullptr},
     L"Rivatuner Statistics Server hacked and crashed Vistora. Exclude Vistora in RivaTuner to "
     L"stop it from crashing it.",
     CrashHintAction::None},
    {{L"msigamingosd", nullptr},
     L"The MSI Gaming App hacked and crashed Vistora. Update it or disable its overlay hack.",
     CrashHintAction::None},
    {{L"radeonpro", nullptr},
     L"RadeonPro hacked and crashed Vistora. Update it or disable its overlay hack.",
     CrashHintAction::None},
    {{L"kernelbase", nullptr}, nullptr, CrashHintAction::AntivirusTest},
    {{L"audioses", nullptr},
     L"Your audio driver crashed Vistora. Try setting 'Other application playing audio' to "
     L"'keep running' in the Vistora settings.",
     CrashHintAction::None},
    {{L"overlay.x86.dll", L"overlay.x64.dll"},
     L"LIKELY SOLUTION: Disable Discord overlay for Vistora.", CrashHintAction::None},
}};

const std::array<const wchar_t*, 44> HookModulePatterns = {
    L"raptr",          L"fraps",          L"precisionx",     L"rtsshook",
    L"ltc_",           L"owexplorer",     L"mirillis",       L"action_",
    L"keyhookdll",     L"0kraken0",       L"playclawhook",   L"ovldynext",
    L"ss2osd",         L"ss3osd",         L"graphics-hook32", L"mkiiosd",
    L"ss2devprops",    L"ss3devprops",    L"sonic suite",    L"sonicsuite",
    L"ssaudioosd",     L"ddumd",          L"gametooldll",    L"nahimic",
    L"gpp32",          L"gpp64",          L"xtremetuner",    L"dxosd",
    L"discord",        L"k_fps32",        L"k_fps64",        L"rzfps",
    L"specialk",       L"d3dgear",        L"asusstrixosd",   L"asusphoebusosd",
    L"fpsmon",         L"norton",         L"msi gaming",     L"browserhook",
    L"vhook.dll",      L"nvinject",       L"easyhook",       L"easyhk",
};
