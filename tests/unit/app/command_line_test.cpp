#include "app/command_line.h"

#include <gtest/gtest.h>

TEST(ParseCommandLine, SplitsTokensAndPairsOptions) {
    struct Case {
        const char* line;
        std::vector<std::string> tokens;
        CommandLineOptionMap options;
    };
    const Case cases[] = {
        {"-analyzeDependencies", {"-analyzeDependencies"}, {{"-analyzeDependencies", ""}}},
        {"-x -analyzeDependencies", {"-x", "-analyzeDependencies"},
         {{"-x", ""}, {"-analyzeDependencies", ""}}},
        {R"("-analyzeDependencies")", {"-analyzeDependencies"}, {{"-analyzeDependencies", ""}}},
        {"RAW~(-analyzeDependencies)~END", {"-analyzeDependencies"},
         {{"-analyzeDependencies", ""}}},
        {"-AnalyzeDependencies", {"-AnalyzeDependencies"}, {{"-AnalyzeDependencies", ""}}},
        {R"(-name "two words")", {"-name", "two words"}, {{"-name", "two words"}}},
        {R"(-a RAW~(x "y" z)~END b)", {"-a", R"(x "y" z)", "b"},
         {{"-a", R"(x "y" z)"}, {"b", ""}}},
        {R"(ab"cd ef)", {"ab\"cd", "ef"}, {{"ab\"cd", ""}, {"ef", ""}}},
        {"\"", {}, {}},
        {"-a \"", {"-a"}, {{"-a", ""}}},
        {R"(-a "" -b)", {"-a", "", "-b"}, {{"-a", ""}, {"-b", ""}}},
        {R"("" x)", {"", "x"}, {{"x", ""}}},
        {R"(-a "open to the end)", {"-a", "open to the end"}, {{"-a", "open to the end"}}},
        {"-a RAW~(open )~EN", {"-a", "open )~EN"}, {{"-a", "open )~EN"}}},
        {"RAW~(", {}, {}},
        {"  -a   1  -a 2 ", {"-a", "1", "-a", "2"}, {{"-a", "2"}}},
        {"x-RAW~(y)~END", {"x-RAW~(y)~END"}, {{"x-RAW~(y)~END", ""}}},
        {"RAW~()~END\"q\"", {"", "q"}, {{"q", ""}}},
        {"a\tb", {"a\tb"}, {{"a\tb", ""}}},
        {"", {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TokenizeCommandLine(c.line), c.tokens) << c.line;
        EXPECT_EQ(OptionsFromTokens(TokenizeCommandLine(c.line)), c.options) << c.line;
    }
}

TEST(ParseCommandLine, FillsTheProcessWideOptions) {
    CommandLineOptions.clear();
    ParseCommandLine(nullptr);
    EXPECT_TRUE(CommandLineOptions.empty());

    ParseCommandLine(R"(-x "-analyzeDependencies" -name "a b")");
    const CommandLineOptionMap expected = {
        {"-x", ""}, {"-analyzeDependencies", ""}, {"-name", "a b"}};
    EXPECT_EQ(CommandLineOptions, expected);
    CommandLineOptions.clear();
}
