#pragma once
// The "Steam info" section of the full log: the client's version and age, the product's
// Steam Workshop cache and the Steam accounts known on this machine.
#include <optional>
#include <string>
#include <vector>

#include "collectors/log_section.h"
#include "collectors/steam_info.h"

struct SteamSectionFacts {
    SteamInfo steam;
    std::string workshopCacheText;  // "bin/workshopcache.json", "" when missing or empty
    // Subkey names of the Steam users key; none when the key cannot be opened or queried.
    std::optional<std::vector<std::string>> userKeyNames;
};

LogSection FormatSteamSection(const SteamSectionFacts& facts);

// Gathers the cache and the accounts for the section.
LogSection SteamSection(const SteamInfo& steam);
