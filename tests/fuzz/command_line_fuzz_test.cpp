#include "app/command_line.h"

#include <algorithm>
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
    }
}

TEST(CommandLineFuzz, AnyLineGivesOptionsNamedByItsTokens) {
    RandomInput random(9);
    for (int round = 0; round < 3000; ++round) {
        std::string line = random.Text(random.Below(0, 80), "- \"ab~()RAWEND\t\x80\xFF");
        if (random.OneIn(50)) line = random.Text(200000);  // any bytes, long
        const std::vector<std::string> tokens = TokenizeCommandLine(line.c_str());
        const CommandLineOptionMap options = OptionsFromTokens(tokens);
        for (const auto& [key, value] : options) {
            ASSERT_FALSE(key.empty()) << line;
            ASSERT_NE(std::find(tokens.begin(), tokens.end(), key), tokens.end()) << line;
            if (!value.empty()) {
                ASSERT_EQ(key[0], '-') << line;
            }
        }
        CommandLineOptions.clear();
        ParseCommandLine(line.c_str());
        ASSERT_EQ(CommandLineOptions, options) << line;
    }
    CommandLineOptions.clear();
}
