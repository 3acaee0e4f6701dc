#pragma once
// Vistora's translated texts: per language a "core", a "ui" and a "var" JSON file in the
// installation's "locale" folder, each read at most once per run, on first use.
#include <cstdint>
#include <string>

enum class LocaleGroup : int { Core = 0, Ui = 1, Var = 2 };

// Index into the fixed language table (0 is "en-us"); an index out of range counts as 0.
void SetLocaleLanguage(std::int32_t languageIndex);

// True when the group's file of that language is loaded. The file is looked for below the
// current directory, then below its parent; a missing or unparseable file is not tried again.
bool LoadLocaleGroup(std::int32_t languageIndex, LocaleGroup group);

// The key's text in the current language, else in English, else the key itself. Keys
// starting with "ui" or "core" (any letter case) are in those groups, all others in "var".
std::wstring LocaleText(const std::string& key);
