#include "collectors/steam_section.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"
#include "fuzz/reference_json.h"
#include "support/temp_folder.h"
#include "text/text_file.h"

namespace {

const std::string kCaches[] = {
    R"({"user": 76561197960265729, "items": [{"id": 1, "title": "Gr\u00fc\u00dfe"}]})",
    R"({"items": {}, "user": 18446744073709551615})",
    R"({"user": 1.2e3})",
    R"({"user": 18446744073709551616.0, "id": -7})",
};

// The number a "user" value stands for: a non-negative integer, or a whole floating-point
// number within the unsigned 64-bit range.
std::optional<std::uint64_t> UserNumber(const Json::Value& user) {
    if (user.type() == Json::uintValue) return user.asLargestUInt();
    if (user.type() == Json::intValue && user.asLargestInt() >= 0) {
        return static_cast<std::uint64_t>(user.asLargestInt());
    }
    if (user.type() == Json::realValue) {
        const double number = user.asDouble();
        if (number >= 0 && number < 18446744073709551616.0 && std::floor(number) == number) {
            return static_cast<std::uint64_t>(number);
        }
    }
    return std::nullopt;
}

// The workshop-cache line that a cache of this text calls for.
std::wstring ExpectedCacheLine(const std::string& text) {
    if (text.empty()) return L"Workshop cache empty\n";
    Json::Value root;
    std::string errors;
    if (!ReferenceParseJson(text, root, errors) || !root.isObject()) return L"Workshop cache invalid\n";
    const std::optional<std::uint64_t> user = UserNumber(root["user"]);
    if (!user) return L"Workshop cache user missing\n";
    return L"Workshop cache last user: " + std::to_wstring(*user) + L"\n";
}

// The section holds exactly one workshop-cache line, the one its cache calls for.
void ExpectCacheLine(const std::wstring& section, const std::wstring& expected,
                     const std::string& cache) {
    static const std::wregex kLine(L"Workshop cache [^\n]*\n");
    std::vector<std::wstring> lines;
    for (auto line = std::wsregex_iterator(section.begin(), section.end(), kLine);
         line != std::wsregex_iterator(); ++line) {
        lines.push_back(line->str());
    }
    EXPECT_EQ(lines, std::vector<std::wstring>{expected}) << cache.substr(0, 200);
}

// The section's body as gathered for a workshop cache file of these bytes, and the file's
// text as the tool reads it.
std::wstring SectionForCacheFile(const TempFolder& product, const std::string& cache,
                                 std::string* text = nullptr) {
    const std::filesystem::path file = product / L"bin" / L"workshopcache.json";
    std::ofstream(file, std::ios::binary) << cache;
    if (text) *text = ReadTextFile(file);
    return SteamSection({"1.0", 1}).body;
}

}  // namespace

TEST(WorkshopCacheFuzz, DamagedCachesGiveTheirCacheLine) {
    RandomInput random(76561);
    for (int round = 0; round < 1500; ++round) {
        const std::string cache = random.Mutate(kCaches[random.Below(0, std::size(kCaches) - 1)]);
        ExpectCacheLine(FormatSteamSection({{"1.0", 1}, cache, std::nullopt}).body,
                        ExpectedCacheLine(cache), cache);
    }
}

TEST(WorkshopCacheFuzz, DamagedCacheFilesGiveTheirCacheLine) {
    TempFolder product;
    product.EnterSubfolder(L"tools");
    std::filesystem::create_directory(product / L"bin");

    const struct {
        std::string cache;
        const wchar_t* line;
    } extremes[] = {
        {"{\"user\": \"" + std::string(8 * 1024 * 1024, '7') + "\"}",
         L"Workshop cache user missing\n"},
        {std::string(100000, '{'), L"Workshop cache invalid\n"},
    };
    for (const auto& extreme : extremes) {
        ExpectCacheLine(SectionForCacheFile(product, extreme.cache), extreme.line, extreme.cache);
    }

    RandomInput random(1197);
    for (int round = 0; round < 40; ++round) {
        const std::string cache = random.Mutate(kCaches[0]);
        std::string text;
        const std::wstring section = SectionForCacheFile(product, cache, &text);
        ExpectCacheLine(section, ExpectedCacheLine(text), cache);
    }
}
