#include "collectors/steam_section.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include <windows.h>

#include "text/control_characters.h"
#include "text/encoding.h"
#include "text/json.h"
#include "text/paths.h"
#include "text/text_file.h"
#include "text/win_handles.h"

namespace {

// The 64-bit Steam identifier of account number 0; a user subkey is named by its account.
constexpr std::uint64_t kSteamIdOfAccountZero = 0x0110000100000000;

std::wstring DescribeWorkshopCache(const std::string& text) {
    if (text.empty()) return L"Workshop cache empty\n";
    Json::Value root;
    std::string errors;
    if (!ParseJson(text, root, errors) || !root.isObject()) return L"Workshop cache invalid\n";
    const Json::Value& user = root["user"];
    if (!user.isUInt64()) return L"Workshop cache user missing\n";
    return L"Workshop cache last user: " + std::to_wstring(user.asUInt64()) + L"\n";
}

std::wstring DescribeUsers(const std::vector<std::string>& names) {
    std::wstring text = L"Users: ";
    for (const std::string& name : names) {
        // Wraps instead of overflowing for a name far beyond any account number.
        const auto id = static_cast<std::int64_t>(
            static_cast<std::uint64_t>(std::strtoll(name.c_str(), nullptr, 10)) +
            kSteamIdOfAccountZero);
        text += std::to_wstring(id) + L", ";
    }
    return text + L"\n";
}

std::optional<std::vector<std::string>> ReadUserKeyNames() {
    const UniqueRegistryKey key =
        OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\Valve\\Steam\\Users", KEY_ALL_ACCESS);
    if (!key) return std::nullopt;
    DWORD count = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (DWORD index = 0; index < count; ++index) {
        char name[256] = {};
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS &&
            name[0] != '\0') {
            names.emplace_back(name);
        }
    }
    return names;
}

}  // namespace

LogSection FormatSteamSection(const SteamSectionFacts& facts) {
    std::wstring text =
        L"Version: " + EscapeControlCharacters(Utf8ToWide(facts.steam.version)) + L"\n";
    text += L".exe days old: " + std::to_wstring(facts.steam.ageDays) + L"\n";
    text += DescribeWorkshopCache(facts.workshopCacheText);
    if (facts.userKeyNames) text += DescribeUsers(*facts.userKeyNames);
    return {L"Steam info", text};
}

LogSection SteamSection(const SteamInfo& steam) {
    // Without the current directory the cache cannot be found, as when it is missing.
    std::string cacheText;
    if (const std::optional<std::filesystem::path> directory = KnownProductDirectory()) {
        std::filesystem::path cache = *directory;
        AppendPath(cache, std::string("bin/workshopcache.json"));
        cacheText = ReadTextFile(cache);
    }
    return FormatSteamSection({steam, cacheText, ReadUserKeyNames()});
}
