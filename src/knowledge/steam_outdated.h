#pragma once
// When the Steam client counts as outdated, and the notice that says so.
#include <cstdint>
#include <string>

bool IsSteamOutdated(std::int64_t ageDays);

// The notice shown for an outdated client, with its age in whole months of 30 days.
std::wstring SteamOutdatedText(std::int64_t ageDays);
