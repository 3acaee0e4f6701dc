#pragma once
// Facts about the installed Steam client, read once at start-up.
#include <cstdint>
#include <string>

#include "knowledge/steam_outdated.h"

struct SteamInfo {
    std::string version;       // "a.b.c.d" from the client's file version; "" when unknown
    std::int64_t ageDays = 0;  // days since the client executable was last written
};

// Fills what can be read from the executable registered under "SteamExe"; the fields keep
// their values when Steam is not registered. True when the version was read. A registered
// executable that is missing counts as written on 1970-01-01.
bool ReadSteamInfo(SteamInfo& steam);

// Whole days from one time to another, both in seconds since 1970, truncated toward zero.
std::int64_t DaysBetween(std::int64_t fromSeconds, std::int64_t toSeconds);
