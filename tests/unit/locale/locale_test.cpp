#include "locale/locale.h"
#include "locale/locale_settings.h"

#include <filesystem>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "log/log_settings.h"
#include "support/expected_text.h"
#include "support/temp_folder.h"
#include "text/encoding.h"
#include "text/text_file.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(WriteTextFile(path, text)) << path.string();
}

// A Vistora installation with the tool's folder "tools" as the current directory, the
// log switched on and an empty locale table.
class LocaleFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder.EnterSubfolder(L"Vistora\\tools");
        SetLogSettings(1, true);
    }
    void TearDown() override {
        SetLogSettings(0, false);
        SetLogLineCount(0);
        ResetLocaleTable();
    }
    // Path relative to the installation folder.
    void Write(const std::wstring& relative, const std::string& text) {
        WriteFile(folder / (L"Vistora\\" + relative), text);
    }
    std::string Logged() const { return ReadTextFile(folder / L"Vistora\\tools\\log.txt"); }

    TempFolder folder;
};

}  // namespace

TEST_F(LocaleFiles, WithoutFolderEveryKeyStandsForItself) {
    EXPECT_EQ(LocaleText("var_url_faq"), L"var_url_faq");
    EXPECT_EQ(Logged(), "");  // a missing "var" file is not logged

    EXPECT_EQ(LocaleText("ui_close"), L"ui_close");
    EXPECT_EQ(LocaleText("core_title"), L"core_title");
    EXPECT_FALSE(LoadLocaleGroup(1, LocaleGroup::Core));
    const std::string logged = Logged();
    EXPECT_EQ(Count(logged, ": Failed loading locale: locale/ui_en-us.json\n"), 1u) << logged;
    EXPECT_EQ(Count(logged, ": Failed loading locale: locale/core_en-us.json\n"), 1u) << logged;
    EXPECT_EQ(Count(logged, ": Failed loading locale: locale/core_de-de.json\n"), 1u) << logged;
    EXPECT_EQ(Count(logged, "var_"), 0u) << logged;
}

TEST(LocaleFolder, IsLookedForInTheCurrentDirectoryThenItsParent) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::wstring, std::string>> files;  // below the temporary folder
        std::wstring faq;
    };
    const std::string current = R"({"var_url_faq": "https://current.example/faq"})";
    const std::string parent = R"({"var_url_faq": "https://parent.example/faq"})";
    const Case cases[] = {
        {"current", {{L"Vistora\\tools\\locale\\var_en-us.json", current}},
         L"https://current.example/faq"},
        {"parent", {{L"Vistora\\locale\\var_en-us.json", parent}}, L"https://parent.example/faq"},
        {"both",
         {{L"Vistora\\tools\\locale\\var_en-us.json", current},
          {L"Vistora\\locale\\var_en-us.json", parent}},
         L"https://current.example/faq"},
        {"a folder of that name in the current directory",
         {{L"Vistora\\tools\\locale\\var_en-us.json\\x", current},
          {L"Vistora\\locale\\var_en-us.json", parent}},
         L"https://parent.example/faq"},
        {"two levels up", {{L"locale\\var_en-us.json", parent}}, L"var_url_faq"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        for (const auto& [relative, text] : c.files) WriteFile(folder / relative, text);
        folder.EnterSubfolder(L"Vistora\\tools");
        EXPECT_EQ(LocaleText("var_url_faq"), c.faq) << c.what;
        ResetLocaleTable();
    }
}

TEST_F(LocaleFiles, KeyPrefixChoosesTheGroup) {
    const char* const keys[] = {"UI_title", "ui", "Ui_x", "Core_caption", "CORE", "cor",
                                "var_url_faq", "xui", "u", ""};
    for (const std::string group : {"core", "ui", "var"}) {
        std::string text = "{";
        for (const char* key : keys) text += "\"" + std::string(key) + "\": \"" + group + "\",";
        text.back() = '}';
        Write(L"locale\\" + Utf8ToWide(group) + L"_en-us.json", text);
    }
    struct Case { const char* key; std::wstring text; };
    const Case cases[] = {
        {"UI_title", L"ui"}, {"ui", L"ui"}, {"Ui_x", L"ui"},
        {"Core_caption", L"core"}, {"CORE", L"core"}, {"cor", L"var"},
        {"var_url_faq", L"var"}, {"xui", L"var"}, {"u", L"var"}, {"", L"var"},
    };
    for (const auto& c : cases) EXPECT_EQ(LocaleText(c.key), c.text) << c.key;
}

TEST_F(LocaleFiles, FallsBackToEnglishThenToTheKey) {
    Write(L"locale\\var_de-de.json",
          R"({"var_both": "de", "var_onlyDe": "de", "var_number": 5, "var_deNumber": 7})");
    Write(L"locale\\var_en-us.json",
          R"({"var_both": "en", "var_onlyEn": "en", "var_number": 6, "var_deNumber": "en",
              "var_text": "Gr\u00fc\u00dfe \u2713"})");
    SetLocaleLanguage(1);
    struct Case { const char* key; std::wstring text; };
    const Case cases[] = {
        {"var_both", L"de"},
        {"var_onlyDe", L"de"},
        {"var_onlyEn", L"en"},
        {"var_deNumber", L"en"},
        {"var_number", L"var_number"},
        {"var_missing", L"var_missing"},
        {"var_text", L"Gr\u00FC\u00DFe \u2713"},
    };
    for (const auto& c : cases) EXPECT_EQ(LocaleText(c.key), c.text) << c.key;

    SetLocaleLanguage(36);  // out of range: English
    EXPECT_EQ(LocaleText("var_both"), L"en");
    EXPECT_TRUE(LoadLocaleGroup(-1, LocaleGroup::Var));
}

TEST_F(LocaleFiles, EachLanguageIndexReadsTheFilesOfItsCode) {
    const char* const codes[] = {
        "en-us", "de-de", "pt-br", "bg-bg", "cs-cz", "da-dk", "nl-nl", "fi-fi", "fr-fr",
        "el-gr", "hu-hu", "it-it", "ja-jp", "ko-kr", "nb-no", "pl-pl", "pt-pt", "ro-ro",
        "ru-ru", "zh-chs", "es-es", "sv-se", "zh-cht", "th-th", "tr-tr", "ar-sa", "uk-ua",
        "lt-lt", "id-id", "vi-vn", "he-il", "sk-sk", "sl-si", "eu-es", "fa-ir", "be-by",
    };
    for (const std::string code : codes) {
        Write(L"locale\\var_" + Utf8ToWide(code) + L".json", "{\"var_code\": \"" + code + "\"}");
    }
    for (int index = 0; index < 36; ++index) {
        SetLocaleLanguage(index);
        EXPECT_EQ(LocaleText("var_code"), Utf8ToWide(codes[index])) << index;
    }
}

TEST_F(LocaleFiles, FailedLoadsAreNotRepeated) {
    EXPECT_FALSE(LoadLocaleGroup(0, LocaleGroup::Ui));
    Write(L"tools\\locale\\ui_en-us.json", R"({"ui_ok": "loaded"})");
    EXPECT_EQ(LocaleText("ui_ok"), L"ui_ok");
    EXPECT_FALSE(LoadLocaleGroup(0, LocaleGroup::Ui));  // still reported as failed

    Write(L"tools\\locale\\core_en-us.json", R"({"core_ok": )");
    EXPECT_FALSE(LoadLocaleGroup(0, LocaleGroup::Core));
    Write(L"tools\\locale\\core_en-us.json", R"({"core_ok": "loaded"})");
    EXPECT_EQ(LocaleText("core_ok"), L"core_ok");

    Write(L"tools\\locale\\var_en-us.json", "42");
    EXPECT_EQ(LocaleText("var_ok"), L"var_ok");
    Write(L"tools\\locale\\var_en-us.json", R"({"var_ok": "loaded"})");
    EXPECT_EQ(LocaleText("var_ok"), L"var_ok");

    const std::string logged = Logged();
    EXPECT_EQ(Count(logged, ": Failed loading locale: locale/ui_en-us.json\n"), 1u) << logged;
    EXPECT_EQ(Count(logged, ": Failed parsing locale: locale/core_en-us.json\n"), 1u) << logged;
    EXPECT_EQ(Count(logged, ": Failed parsing locale: locale/var_en-us.json\n"), 1u) << logged;
}

TEST_F(LocaleFiles, ArrayFileHoldsNoKeysAndIsReadAgain) {
    Write(L"tools\\locale\\var_en-us.json", R"(["var_url_faq"])");
    EXPECT_TRUE(LoadLocaleGroup(0, LocaleGroup::Var));
    EXPECT_EQ(LocaleText("var_url_faq"), L"var_url_faq");
    Write(L"tools\\locale\\var_en-us.json", R"({"var_url_faq": "https://example.com/faq"})");
    EXPECT_EQ(LocaleText("var_url_faq"), L"https://example.com/faq");
    EXPECT_EQ(Logged(), "");
}
