#include "collectors/steam_section.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"
#include "support/temp_folder.h"

namespace {

const std::string kCaches[] = {
    R"({"user": 76561197960265729, "items": [{"id": 1, "title": "Gr\u00fc\u00dfe"}]})",
    R"({"items": {}, "user": 18446744073709551615})",
    R"({"user": 1.2e3})",
};

// The section holds exactly one workshop-cache line, in one of its four forms.
void ExpectOneCacheLine(const std::wstring& section, const std::string& cache) {
    static const std::wregex kLine(
        L"Workshop cache (empty|invalid|user missing|last user: [0-9]{1,20})\n");
    const auto lines = std::distance(
        std::wsregex_iterator(section.begin(), section.end(), kLine), std::wsregex_iterator());
    EXPECT_EQ(lines, 1) << cache;
}

}  // namespace

TEST(WorkshopCacheFuzz, DamagedCachesGiveOneCacheLine) {
    RandomInput random(76561);
    for (int round = 0; round < 1500; ++round) {
        const std::string cache = random.Mutate(kCaches[random.Below(0, std::size(kCaches) - 1)]);
        ExpectOneCacheLine(FormatSteamSection({{"1.0", 1}, cache, std::nullopt}), cache);
    }
}

TEST(WorkshopCacheFuzz, DamagedCacheFilesGiveOneCacheLine) {
    RandomInput random(1197);
    TempFolder product;
    product.EnterSubfolder(L"tools");
    std::filesystem::create_directory(product / L"bin");
    for (int round = 0; round < 40; ++round) {
        std::string cache = random.Mutate(kCaches[0]);
        if (round == 0) cache = "{\"user\": \"" + std::string(8 * 1024 * 1024, '7') + "\"}";
        if (round == 1) cache = std::string(100000, '{');
        std::ofstream(product / L"bin" / L"workshopcache.json", std::ios::binary) << cache;
        std::wostringstream out;
        WriteSteamSection(out, {"1.0", 1});
        ExpectOneCacheLine(out.str(), cache.substr(0, 200));
    }
}
