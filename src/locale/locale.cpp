#include "locale/locale.h"
#include "locale/locale_settings.h"

#include <array>
#include <filesystem>

#include <json/json.h>

#include "log/log.h"
#include "text/case_folding.h"
#include "text/encoding.h"
#include "text/json.h"
#include "text/paths.h"
#include "text/text_file.h"

namespace {

struct Language {
    const char* code;  // as it appears in the file names
    const char* name;
    const char* englishName;
};

// By language index. Only the code is read; the names say which language a row is.
constexpr std::array<Language, 36> kLanguages = {{
    {"en-us", "english", "English"},
    {"de-de", "german", "German"},
    {"pt-br", "brazilian", "Portuguese - Brazil"},
    {"bg-bg", "bulgarian", "Bulgarian"},
    {"cs-cz", "czech", "Czech"},
    {"da-dk", "danish", "Danish"},
    {"nl-nl", "dutch", "Dutch"},
    {"fi-fi", "finnish", "Finnish"},
    {"fr-fr", "french", "French"},
    {"el-gr", "greek", "Greek"},
    {"hu-hu", "hungarian", "Hungarian"},
    {"it-it", "italian", "Italian"},
    {"ja-jp", "japanese", "Japanese"},
    {"ko-kr", "koreana", "Korean"},
    {"nb-no", "norwegian", "Norwegian"},
    {"pl-pl", "polish", "Polish"},
    {"pt-pt", "portuguese", "Portuguese - Portugal"},
    {"ro-ro", "romanian", "Romanian"},
    {"ru-ru", "russian", "Russian"},
    {"zh-chs", "schinese", "Simplified Chinese"},
    {"es-es", "spanish", "Spanish"},
    {"sv-se", "swedish", "Swedish"},
    {"zh-cht", "tchinese", "Traditional Chinese"},
    {"th-th", "thai", "Thai"},
    {"tr-tr", "turkish", "Turkish"},
    {"ar-sa", "arabic", "Arabic"},
    {"uk-ua", "ukrainian", "Ukrainian"},
    {"lt-lt", "lithuanian", "Lithuanian"},
    {"id-id", "indonesian", "Indonesian"},
    {"vi-vn", "vietnamese", "Vietnamese"},
    {"he-il", "hebrew", "Hebrew"},
    {"sk-sk", "slovak", "Slovak"},
    {"sl-si", "slovenian", "Slovenian"},
    {"eu-es", "basque", "Basque"},
    {"fa-ir", "farsi", "Farsi"},
    {"be-by", "belarusian", "Belarusian"},
}};

constexpr std::array<const char*, 3> kGroupPrefixes = {"locale/core_", "locale/ui_", "locale/var_"};

struct LocaleTable {
    std::int32_t currentLanguage = 0;
    // Slot = language index + 36 * group. A slot holding an object counts as loaded; a
    // failed load leaves an empty object so that the file is not tried again, and marks
    // the slot failed so that later calls still report the failure.
    std::array<Json::Value, kLanguages.size() * kGroupPrefixes.size()> groups;
    std::array<bool, kLanguages.size() * kGroupPrefixes.size()> failed{};
};

LocaleTable& Table() {
    static LocaleTable table;
    return table;
}

size_t LanguageIndex(std::int32_t languageIndex) {
    return languageIndex < 0 || static_cast<size_t>(languageIndex) >= kLanguages.size()
               ? 0
               : static_cast<size_t>(languageIndex);
}

size_t SlotIndex(std::int32_t languageIndex, LocaleGroup group) {
    return LanguageIndex(languageIndex) + kLanguages.size() * static_cast<size_t>(group);
}

Json::Value& Slot(std::int32_t languageIndex, LocaleGroup group) {
    return Table().groups[SlotIndex(languageIndex, group)];
}

bool MarkFailed(std::int32_t languageIndex, LocaleGroup group) {
    Slot(languageIndex, group) = Json::Value(Json::objectValue);
    Table().failed[SlotIndex(languageIndex, group)] = true;
    return false;
}

// The member's text when the slot is an object holding a string under the key.
bool FindText(const Json::Value& slot, const std::string& key, std::wstring& text) {
    // JsonCpp refuses member lookups in arrays and scalars by throwing.
    if (!slot.isObject()) return false;
    const Json::Value* member = slot.find(key.data(), key.data() + key.size());
    if (!member || !member->isString()) return false;
    text = Utf8ToWide(member->asString());
    return true;
}

LocaleGroup GroupOfKey(const std::string& key) {
    const std::string lower = ToLowerAscii(key);
    if (lower.compare(0, 2, "ui") == 0) return LocaleGroup::Ui;
    if (lower.compare(0, 4, "core") == 0) return LocaleGroup::Core;
    return LocaleGroup::Var;
}

}  // namespace

void SetLocaleLanguage(std::int32_t languageIndex) {
    Table().currentLanguage = languageIndex;
}

bool LoadLocaleGroup(std::int32_t languageIndex, LocaleGroup group) {
    if (Table().failed[SlotIndex(languageIndex, group)]) return false;
    Json::Value& slot = Slot(languageIndex, group);
    if (slot.isObject()) return true;

    const std::string fileName = std::string(kGroupPrefixes[static_cast<size_t>(group)]) +
                                 kLanguages[LanguageIndex(languageIndex)].code + ".json";
    std::filesystem::path candidate = CurrentDirectory();
    AppendPath(candidate, fileName);
    if (!IsRegularFile(candidate)) {
        candidate = CurrentDirectory();
        ParentDirectory(candidate);
        AppendPath(candidate, fileName);
    }
    if (!IsRegularFile(candidate)) {
        // The "var" files are optional; only a missing "core" or "ui" file is logged.
        if (group != LocaleGroup::Var) LogInfo("Failed loading locale: %s\n", fileName.c_str());
        return MarkFailed(languageIndex, group);
    }

    std::string errors;
    if (!ParseJson(ReadTextFile(candidate), slot, errors)) {
        LogInfo("Failed parsing locale: %s\n", fileName.c_str());
        return MarkFailed(languageIndex, group);
    }
    return true;
}

std::wstring LocaleText(const std::string& key) {
    const LocaleGroup group = GroupOfKey(key);
    const std::int32_t language = Table().currentLanguage;
    std::wstring text;
    LoadLocaleGroup(language, group);
    if (FindText(Slot(language, group), key, text)) return text;
    LoadLocaleGroup(0, group);
    if (FindText(Slot(0, group), key, text)) return text;
    return Utf8ToWide(key);
}

void ResetLocaleTable() {
    LocaleTable& table = Table();
    table.currentLanguage = 0;
    for (Json::Value& slot : table.groups) slot = Json::Value();
    table.failed.fill(false);
}
