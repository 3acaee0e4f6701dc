#pragma once
// The known crash culprits: which faulting modules get which hint, and which loaded
// modules belong to hook and overlay software.
#include <array>

enum class CrashHintAction {
    None,
    DisablePlugins,   // the plug-in SDK crashed us: switch plug-ins off for the next start
    AntivirusTest,    // a crash inside the system library: the text depends on an antivirus filter
};

struct CrashHintRule {
    std::array<const wchar_t*, 2> patterns;   // lower case; the second may be null
    const wchar_t* text;                      // null when the action chooses the text
    CrashHintAction action;
};

// Tested in order; the first rule with a pattern in the folded module path wins.
extern const std::array<CrashHintRule, 10> CrashHintRules;

// Lower-case substrings of the paths of hook and overlay modules, in test order.
extern const std::array<const wchar_t*, 44> HookModulePatterns;

// The module of the antivirus filter whose presence explains a crash in the system library.
constexpr wchar_t kAntivirusModulePattern[] = L"atcuf";
constexpr wchar_t kAntivirusCrashText[] =
    L"BitDefender hacked and possibly crashed Vistora through its 'Advanced Threat Defense'. "
    L"Try excluding Vistora there or disabling it.";
constexpr wchar_t kSystemCrashText[] = L"Vistora crashed in the Windows System.";
