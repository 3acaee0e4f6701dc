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

// Language codes as they appear in the file names, by language index.
constexpr std::array<const char*, 36> kLanguageCodes = {
    "en-us", "de-de", "pt-br", "bg-bg", "cs-cz", "da-dk", "nl-nl", "fi-fi", "fr-fr",
    "el-gr", "hu-hu", "it-it", "ja-jp", "ko-kr", "nb-no", "pl-pl", "pt-pt", "ro-ro",
    "ru-ru", "zh-chs", "es-es", "sv-se", "zh-cht", "th-th", "tr-tr", "ar-sa", "uk-ua",
    "lt-lt", "id-id", "vi-vn", "he-il", "sk-sk", "sl-si", "eu-es", "fa-ir", "be-by",
};

constexpr std::array<const char*, 3> kGroupPrefixes = {"locale/core_", "locale/ui_", "locale/var_"};

struct LocaleTable {
    std::int32_t currentLanguage = 0;
    // Slot = language index + 36 * group. A slot holding an object counts as loaded; a
    // failed load leaves an empty object so that the file is not tried again, and marks
    // the slot failed so that later calls still report the failure.
    std::array<Json::Value, kLanguageCodes.size() * kGroupPrefixes.size()> groups;
    std::array<bool, kLanguageCodes.size() * kGroupPrefixes.size()> failed{};
};

LocaleTable& Table() {
    static LocaleTable table;
    return table;
}

size_t LanguageIndex(std::int32_t languageIndex) {
    return languageIndex < 0 || static_cast<size_t>(languageIndex) >= kLanguageCodes.size()
               ? 0
               : static_cast<size_t>(languageIndex);
}

size_t SlotIndex(std::int32_t languageIndex, LocaleGroup group) {
    return LanguageIndex(languageIndex) + kLanguageCodes.size() * static_cast<size_t>(group);
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
                                 kLanguageCodes[LanguageIndex(languageIndex)] + ".json";
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
