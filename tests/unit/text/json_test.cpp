#include "text/json.h"
#include "text/split_lines.h"

#include <gtest/gtest.h>

TEST(ParseJson, AcceptsOnlyObjectsAndArrays) {
    struct Case { std::string text; bool ok; bool hasErrors; };
    const Case cases[] = {
        {"{}", true, false},
        {"[]", true, false},
        {"{\"a\": [1, {\"b\": null}]}", true, false},
        {"42", false, false},
        {"\"text\"", false, false},
        {"null", false, false},
        {"{\"a\": }", false, true},
        {"", false, true},
        {std::string(5000, '[') + std::string(5000, ']'), false, true},  // too deep
    };
    for (const auto& c : cases) {
        Json::Value value;
        std::string errors = "stale";
        EXPECT_EQ(ParseJson(c.text, value, errors), c.ok) << c.text.substr(0, 40);
        EXPECT_EQ(!errors.empty(), c.hasErrors) << c.text.substr(0, 40) << ": " << errors;
    }
}

TEST(ParseJson, IgnoresComments) {
    Json::Value value;
    std::string errors;
    ASSERT_TRUE(ParseJson("// note\n{\"a\": 1 /* one */}", value, errors)) << errors;
    EXPECT_EQ(value["a"].asInt(), 1);
    // Collected comments would be attached to the values.
    EXPECT_FALSE(value.hasComment(Json::commentBefore));
    EXPECT_FALSE(value["a"].hasComment(Json::commentAfterOnSameLine));
}

TEST(JsonToText, WritesTabIndentedUtf8WithEightDigits) {
    Json::Value value;
    std::string errors;
    ASSERT_TRUE(ParseJson(u8R"({"name": "Grüße", "inner": {"pi": 3.14159265358979, "list": [1, 2],
                             "deep": {"empty": {}}}, "n": -7})",
                          value, errors));
    // Members come out in sorted order; short scalar arrays stay on one line.
    const std::string expected =
        "{\n"
        "\t\"inner\" : \n"
        "\t{\n"
        "\t\t\"deep\" : \n"
        "\t\t{\n"
        "\t\t\t\"empty\" : {}\n"
        "\t\t},\n"
        "\t\t\"list\" : [ 1, 2 ],\n"
        "\t\t\"pi\" : 3.1415927\n"
        "\t},\n"
        "\t\"n\" : -7,\n"
        "\t\"name\" : \"Gr\xC3\xBC\xC3\x9F" "e\"\n"
        "}";
    EXPECT_EQ(JsonToText(value), expected);
}

TEST(SplitLines, SplitsAtEveryLineFeed) {
    struct Case { std::string text; std::vector<std::string> lines; };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\n", {"one"}},
        {"one\ntwo", {"one", "two"}},
        {"\n\nx\n", {"", "", "x"}},
        {"a\r\nb", {"a\r", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
    }
}

TEST(SplitLines, GivesTheLinesOfAnObjectsText) {
    Json::Value value(Json::objectValue);
    value["a"] = 1;
    value["b"] = "x";
    EXPECT_EQ(SplitLines(JsonToText(value)),
              (std::vector<std::string>{"{", "\t\"a\" : 1,", "\t\"b\" : \"x\"", "}"}));
}
