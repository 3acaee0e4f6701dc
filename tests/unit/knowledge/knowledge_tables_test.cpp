#include "knowledge/hint_catalogue.h"
#include "knowledge/signature_tables.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/encoding.h"

namespace {

struct NamedTable {
    const char* name;
    const SignatureTable& table;
    size_t rows;
};

const NamedTable kSignatureTables[] = {
    {"ModuleSignatures", ModuleSignatures, 41},
    {"ExplorerModuleSignatures", ExplorerModuleSignatures, 2},
    {"RundllModuleSignatures", RundllModuleSignatures, 1},
    {"ProcessSignatures", ProcessSignatures, 20},
};

// Non-empty and only printable ASCII without capitals: the subjects are folded with the
// ASCII rule and the patterns are compared as stored.
bool IsLowerAscii(const std::wstring& text) {
    if (text.empty()) return false;
    for (const wchar_t c : text) {
        if (c < 0x20 || c > 0x7E || (c >= L'A' && c <= L'Z')) return false;
    }
    return true;
}

// The names written in braces: "{a}x{b}" gives "a" and "b".
std::vector<std::wstring> Placeholders(const std::wstring& text) {
    std::vector<std::wstring> names;
    for (size_t open = text.find(L'{'); open != std::wstring::npos; open = text.find(L'{', open + 1)) {
        const size_t close = text.find(L'}', open);
        if (close == std::wstring::npos) break;
        names.push_back(text.substr(open + 1, close - open - 1));
    }
    return names;
}

std::vector<std::wstring> Keys(const std::map<std::wstring, HintEntry>& catalogue) {
    std::vector<std::wstring> keys;
    for (const auto& row : catalogue) keys.push_back(row.first);
    return keys;
}

}  // namespace

TEST(KnowledgeTables, AreConsistent) {
    EXPECT_EQ(HintFragment.size(), 10u);
    EXPECT_EQ(HintCatalogue.size(), 57u);
    EXPECT_EQ(ProductExecutables.size(), 4u);

    std::set<std::wstring> reachable;
    for (const auto& [tableName, table, rows] : kSignatureTables) {
        EXPECT_EQ(table.size(), rows) << tableName;
        for (const auto& [key, patterns] : table) {
            reachable.insert(key);
            EXPECT_EQ(HintCatalogue.count(key), 1u) << tableName << ": " << WideToUtf8(key);
            EXPECT_FALSE(patterns.empty()) << tableName << ": " << WideToUtf8(key);
            for (const auto& pattern : patterns) {
                EXPECT_TRUE(IsLowerAscii(pattern)) << tableName << ": " << WideToUtf8(pattern);
            }
        }
    }
    for (const auto& row : HintCatalogue) {
        EXPECT_EQ(reachable.count(row.first), 1u) << "no signature reports " << WideToUtf8(row.first);
    }
    for (const auto& name : ProductExecutables) EXPECT_TRUE(IsLowerAscii(name)) << WideToUtf8(name);

    // Templates name fragments, {author} or {app}; fragment texts name only {app}, since a
    // fragment brought in by another fragment would expand only if it sorted later.
    for (const auto& [key, entry] : HintCatalogue) {
        for (const auto& name : Placeholders(entry.templateText)) {
            EXPECT_TRUE(HintFragment.count(name) || name == L"author" || name == L"app")
                << WideToUtf8(key) << ": {" << WideToUtf8(name) << "}";
        }
    }
    for (const auto& [fragmentName, text] : HintFragment) {
        for (const auto& name : Placeholders(text)) {
            EXPECT_EQ(name, L"app") << WideToUtf8(fragmentName) << ": {" << WideToUtf8(name) << "}";
        }
    }
}

TEST(KnowledgeTables, IterateInCodeUnitOrder) {
    const std::vector<std::wstring> keys = Keys(HintCatalogue);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.front(), L"360sec");
    EXPECT_EQ(keys.back(), L"zonealarm");
    const auto position = [&keys](const std::wstring& key) {
        return std::distance(keys.begin(), std::find(keys.begin(), keys.end(), key));
    };
    EXPECT_LT(position(L"nahimic"), position(L"nahimicORsonicsuiteORalienwaresound"));
    EXPECT_LT(position(L"nahimicORsonicsuiteORalienwaresound"), position(L"norton"));
    EXPECT_LT(position(L"norton"), static_cast<std::ptrdiff_t>(keys.size()));

    std::vector<std::wstring> fragmentNames;
    for (const auto& row : HintFragment) fragmentNames.push_back(row.first);
    const std::vector<std::wstring> expected = {
        L"antivirus", L"bulletAudio", L"bulletCrash", L"bulletUi", L"installed",
        L"installedAndHooked", L"notMaintained", L"recommendExcludeOrDisable", L"referFaq",
        L"referMoreAndFaq",
    };
    EXPECT_EQ(fragmentNames, expected);

    std::vector<std::wstring> processKeys;
    for (const auto& row : ProcessSignatures) processKeys.push_back(row.first);
    EXPECT_EQ(processKeys.front(), L"ambibox");
    EXPECT_EQ(processKeys.back(), L"zonealarm");
}

TEST(KnowledgeTables, BitDefenderHasTwoEntriesOfOneName) {
    ASSERT_EQ(HintCatalogue.count(L"bitdefender"), 1u);
    ASSERT_EQ(HintCatalogue.count(L"bitdefenderact"), 1u);
    EXPECT_EQ(HintCatalogue.at(L"bitdefender").name, L"BitDefender");
    EXPECT_EQ(HintCatalogue.at(L"bitdefenderact").name, L"BitDefender");
    EXPECT_NE(HintCatalogue.at(L"bitdefender").templateText,
              HintCatalogue.at(L"bitdefenderact").templateText);
}
