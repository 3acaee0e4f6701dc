#include "app/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/random_input.h"

namespace {

// One token written the way the command line allows it: plain when it has no blank or
// quote, quoted when it has no quote, raw otherwise.
std::string Written(const std::string& token) {
    if (!token.empty() && token.find_first_of(" \"") == std::string::npos &&
        token.rfind("RAW~(", 0) != 0)
        return token;
    if (token.find('"') == std::string::npos) return '"' + token + '"';
    return "RAW~(" + token + ")~END";
}

// The options of a token list, built the way the command line defines them, written apart
// from the program's own code so that each checks the other.
CommandLineOptionMap ExpectedOptions(const std::vector<std::string>& tokens) {
    const auto startsWithDash = [](const std::string& token) { return token.rfind('-', 0) == 0; };
    CommandLineOptionMap options;
    std::size_t i = 0;
    while (i < tokens.size()) {
        const std::string& token = tokens[i];
        const bool takesValue =
            startsWithDash(token) && i + 1 < tokens.size() && !startsWithDash(tokens[i + 1]);
        if (takesValue) {
            options[token] = tokens[i + 1];  // an empty next token is a value too
            i += 2;
            continue;
        }
        if (!token.empty()) options[token] = "";
        i += 1;
    }
    return options;
}

// The tokens of the line up to its first NUL, found by searching for where each token ends
// rather than by the program's character-by-character reading: blanks between tokens, a
// quoted token up to the next quote, a raw token up to ")~END", a plain token up to the
// next blank; an unclosed token runs to the end when it holds anything.
std::vector<std::string> ExpectedTokens(const std::string& bytes) {
    const std::string line = bytes.c_str();
    std::vector<std::string> tokens;
    for (std::size_t at = line.find_first_not_of(' '); at != std::string::npos;
         at = line.find_first_not_of(' ', at)) {
        std::size_t begin = at;
        std::string close = " ";
        if (line[at] == '"') {
            begin = at + 1;
            close = "\"";
        } else if (line.compare(at, 5, "RAW~(") == 0) {
            begin = at + 5;
            close = ")~END";
        }
        const std::size_t end = line.find(close, begin);
        if (end == std::string::npos) {
            if (begin < line.size()) tokens.push_back(line.substr(begin));
            break;
        }
        tokens.push_back(line.substr(begin, end - begin));
        at = end + close.size();
    }
    return tokens;
}

// The options that ParseCommandLine makes of the line, in a map of their own.
CommandLineOptionMap ParsedOptions(const std::string& line) {
    CommandLineOptions.clear();
    ParseCommandLine(line.c_str());
    CommandLineOptionMap options;
    options.swap(CommandLineOptions);
    return options;
}

}  // namespace

TEST(CommandLineFuzz, WrittenTokensReadBackUnchanged) {
    RandomInput random(20261210);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> tokens(random.Below(0, 6));
        for (std::string& token : tokens) {
            // Any byte but NUL (the line ends there) and no raw close marker inside.
            do {
                token = random.Text(random.Below(0, 12), "-ab \"~()RAWEND\x01\xC3\xA9\xFF");
            } while (token.find(")~END") != std::string::npos ||
                     (token.empty() && random.OneIn(2)));
        }
        std::string line;
        for (const std::string& token : tokens) line += Written(token) + std::string(random.Below(1, 3), ' ');
        ASSERT_EQ(TokenizeCommandLine(line.c_str()), tokens) << line;
        ASSERT_EQ(ParsedOptions(line), ExpectedOptions(tokens)) << line;
    }
}

TEST(CommandLineFuzz, AnyLineGivesTheOptionsOfItsTokens) {
    RandomInput random(9);
    for (int round = 0; round < 3000; ++round) {
        std::string line = random.Text(random.Below(0, 80), "- \"ab~()RAWEND\t\x80\xFF");
        if (random.OneIn(50)) line = random.Text(200000);  // any bytes, long
        const std::vector<std::string> tokens = ExpectedTokens(line);
        ASSERT_EQ(TokenizeCommandLine(line.c_str()), tokens) << line;
        ASSERT_EQ(ParsedOptions(line), ExpectedOptions(tokens)) << line;
    }
}
