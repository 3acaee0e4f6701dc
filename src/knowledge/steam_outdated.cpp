#include "knowledge/steam_outdated.h"

namespace {

constexpr std::int64_t kOutdatedAfterDays = 60;

}  // namespace

bool IsSteamOutdated(std::int64_t ageDays) { return ageDays >= kOutdatedAfterDays; }

std::wstring SteamOutdatedText(std::int64_t ageDays) {
    return L"It looks like your Steam client is over " + std::to_wstring(ageDays / 30) +
           L" months old and possibly out of date. Vistora may not work properly and may not be "
           L"able to connect to Steam. If you experience such issues, please update your Steam "
           L"client or reinstall Steam to fix it.";
}
