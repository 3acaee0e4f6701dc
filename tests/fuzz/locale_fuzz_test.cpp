#include "locale/locale.h"
#include "locale/locale_settings.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"
#include "fuzz/reference_json.h"
#include "support/temp_folder.h"
#include "text/encoding.h"
#include "text/text_file.h"

namespace {

const char* const kKeys[] = {"var_url_faq", "var_help", "var_gr\xC3\xBC\xC3\x9F", "var_"};

const std::string kGerman = R"({
	"var_url_faq" : "https://www.vistora.app/de/faq",
	"var_help" : "Hilfe \u2713 \ud83d\ude00",
	"var_gr\u00fc\u00df" : "Gr\u00fc\u00dfe",
	"var_" : ["not", "text"]
})";
const std::string kEnglish = R"({
	"var_url_faq" : "https://www.vistora.app/faq",
	"var_help" : "Help",
	"var_" : "empty key"
})";

// The key's text in a file, as the locale reader is expected to find it.
bool TextInFile(const std::filesystem::path& path, const std::string& key, std::wstring& text) {
    Json::Value root;
    std::string errors;
    if (!ReferenceParseJson(ReadTextFile(path), root, errors) || !root.isObject()) return false;
    const Json::Value* member = root.find(key.data(), key.data() + key.size());
    if (!member || !member->isString()) return false;
    text = Utf8ToWide(member->asString());
    return true;
}

}  // namespace

TEST(LocaleFuzz, DamagedFilesGiveTheirTextTheEnglishTextOrTheKey) {
    RandomInput random(36);
    for (int round = 0; round < 150; ++round) {
        TempFolder folder;
        folder.EnterSubfolder(L"Vistora\\tools");
        std::filesystem::create_directories(folder / L"Vistora\\locale");
        const std::filesystem::path german = folder / L"Vistora\\locale\\var_de-de.json";
        const std::filesystem::path english = folder / L"Vistora\\locale\\var_en-us.json";
        std::ofstream(german, std::ios::binary) << random.Mutate(kGerman);
        std::ofstream(english, std::ios::binary)
            << (random.OneIn(3) ? random.Mutate(kEnglish) : kEnglish);

        SetLocaleLanguage(1);
        for (const std::string key : kKeys) {
            std::wstring expected;
            if (!TextInFile(german, key, expected) && !TextInFile(english, key, expected))
                expected = Utf8ToWide(key);
            ASSERT_EQ(LocaleText(key), expected) << "round " << round << ", key " << key;
        }
        ResetLocaleTable();
    }
}
