#include "collectors/product_config.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"
#include "fuzz/reference_json.h"
#include "support/temp_folder.h"
#include "text/control_characters.h"
#include "text/json.h"
#include "text/text_file.h"

namespace {

// Member names the dump looks for, so that generated documents reach every branch.
const char* const kNames[] = {"general", "user", "shared", "wallpaperconfig",
                              "wallpaperconfigscreensaver", "virtualdesktops", "profile",
                              "wallpaperconfigvd0", "wallpaperconfigvd98", "v", "vd"};

std::string Name(RandomInput& random) {
    if (random.OneIn(3)) return random.Text(random.Below(0, 6), std::string("a\0\n\xC3\xA9\xED\xA0\x80\xFF", 10));
    return kNames[random.Below(0, std::size(kNames) - 1)];
}

Json::Value Scalar(RandomInput& random) {
    switch (random.Below(0, 8)) {
    case 0: return Json::Value(std::numeric_limits<std::uint64_t>::max());
    case 1: return Json::Value(std::numeric_limits<std::int64_t>::min());
    case 2: return Json::Value(random.OneIn(2) ? 1e308 : -4.9e-324);
    case 3: return Json::Value(std::numeric_limits<double>::infinity());
    case 4: return Json::Value(std::numeric_limits<double>::quiet_NaN());
    case 5: return Json::Value(random.OneIn(2));
    case 6: return Json::Value();
    default: {
        // Invalid UTF-8, lone surrogates encoded in UTF-8, NULs and control characters.
        const std::string text = random.Text(random.Below(0, 20), std::string("x\0\x01\n\"\\\xC3\xA9\xED\xA0\x80\xC0\xFF", 13));
        return Json::Value(text.data(), text.data() + text.size());
    }
    }
}

Json::Value Document(RandomInput& random, int depth) {
    if (depth == 0 || random.OneIn(4)) return Scalar(random);
    const bool array = random.OneIn(4);
    Json::Value value(array ? Json::arrayValue : Json::objectValue);
    for (std::size_t i = random.Below(0, 5); i > 0; --i) {
        if (array) {
            value.append(Document(random, depth - 1));
        } else {
            const std::string name = Name(random);
            value[name] = Document(random, depth - 1);
        }
    }
    return value;
}

bool IsPlaceholder(const std::string& dump) {
    return dump.size() >= 4 && dump.compare(0, 2, "< ") == 0 &&
           dump.compare(dump.size() - 2, 2, " >") == 0;
}

// The dump of a config.json holding exactly these bytes, and the file's text as the tool
// reads it (line ends and all).
std::string DumpBytes(const std::string& bytes, std::string* text = nullptr) {
    TempFolder product;
    product.EnterSubfolder(L"tools");
    std::ofstream(product / L"config.json", std::ios::binary) << bytes;
    if (text) *text = ReadTextFile(product / L"config.json");
    return DumpProductConfig();
}

enum class DumpForm { EmptyFile, ParseError, Profiles, NoProfiles };

// Checks the dump of a file of these bytes against what the file's text calls for: the
// exact placeholder of an empty or unparsable text, else a heading for every profile (and
// nothing when there is none). Gives the form it found.
DumpForm ExpectSoundDump(const std::string& bytes) {
    std::string text;
    const std::string dump = DumpBytes(bytes, &text);
    if (text.empty()) {
        EXPECT_EQ(dump, "< Config file empty >");
        return DumpForm::EmptyFile;
    }
    Json::Value root;
    std::string errors;
    if (!ReferenceParseJson(text, root, errors)) {
        EXPECT_EQ(dump, "< Error parsing config: " + errors + " >") << text.substr(0, 200);
        return DumpForm::ParseError;
    }
    EXPECT_FALSE(IsPlaceholder(dump)) << dump.substr(0, 200);
    bool anyProfile = false;
    if (root.isObject()) {
        for (const std::string& name : root.getMemberNames()) {
            if (!root[name].isObject()) continue;
            anyProfile = true;
            EXPECT_NE(dump.find("User " + name + "\n"), std::string::npos) << name;
        }
    }
    if (!anyProfile) {
        EXPECT_EQ(dump, "");
        return DumpForm::NoProfiles;
    }
    EXPECT_EQ(dump.compare(0, 5, "User "), 0) << dump.substr(0, 200);
    return DumpForm::Profiles;
}

}  // namespace

TEST(ProductConfigFuzz, GeneratedDocumentsPrintEveryProfile) {
    RandomInput random(1210);
    for (int round = 0; round < 400; ++round) {
        const Json::Value root = Document(random, 6);
        const std::string dump = FormatProductConfig(root);
        if (!root.isObject()) {
            EXPECT_EQ(dump, "");
            continue;
        }
        for (const std::string& name : root.getMemberNames()) {
            if (root[name].isObject()) {
                // Each on a line of its own, whatever characters the name holds.
                ASSERT_NE(dump.find("User " + EscapeControlCharacters(name) + "\n"),
                          std::string::npos)
                    << name;
            }
        }
    }
}

TEST(ProductConfigFuzz, DamagedFilesGiveADumpOrAPlaceholder) {
    RandomInput random(4711);
    for (int round = 0; round < 60; ++round) {
        const std::string text = JsonToText(Document(random, 5));
        ExpectSoundDump(random.Mutate(text));
    }
}

TEST(ProductConfigFuzz, ExtremeFilesGiveADumpOrAPlaceholder) {
    const std::string deep(200000, '[');
    std::string nested;  // deep, but within what the reader accepts
    for (int i = 0; i < 900; ++i) nested += R"({"a":)";
    nested += "1" + std::string(900, '}');
    const std::string huge(10 * 1024 * 1024, 'x');
    const std::string hugeMember = R"({"p":{"general":{"user":{"s":")" + huge + R"("}}}})";
    struct Case {
        std::string bytes;
        DumpForm form;
    };
    const Case cases[] = {
        {deep, DumpForm::ParseError},
        {R"({"p":{"general":{"user":)" + nested + "}}}", DumpForm::Profiles},
        // JsonCpp refuses a number beyond the range of a double, but not one beyond 64 bits.
        {R"({"p":{"general":{"user":{"n":1e99999,"m":-1e99999}}}})", DumpForm::ParseError},
        {R"({"p":{"general":{"user":{"i":123456789012345678901234567890,"d":-1.7e308}}}})",
         DumpForm::Profiles},
        // A lone surrogate escape is a syntax error.
        {std::string(R"({"p":{"general":{"shared":{"s":"a)") + '\0' + R"(b\u0000c\ud800"}}}})",
         DumpForm::ParseError},
        {R"({"p":{"general":{"shared":{"s":"a\u0000b"}}}})", DumpForm::Profiles},
        {R"({"p":{"general":{"shared":{"s":")" + std::string("\xFF\xFE\xC0\x80\xED\xA0\x80") +
             R"("}}}})",
         DumpForm::Profiles},
        {hugeMember, DumpForm::Profiles},
        {std::string("\0\0\0", 3), DumpForm::ParseError},
        {"\xEF\xBB\xBF{}", DumpForm::NoProfiles},
        {"", DumpForm::EmptyFile},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpectSoundDump(c.bytes), c.form) << c.bytes.substr(0, 60);
    }

    // A long string is printed whole.
    EXPECT_NE(DumpBytes(hugeMember).find(huge), std::string::npos);
}
