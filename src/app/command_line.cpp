#include "app/command_line.h"

#include <cstring>

CommandLineOptionMap CommandLineOptions;

namespace {

constexpr char kRawOpen[] = "RAW~(";
constexpr char kRawClose[] = ")~END";
constexpr std::size_t kRawMarkerLength = sizeof(kRawOpen) - 1;

bool StartsWithAt(const char* text, const char* marker) {
    return std::strncmp(text, marker, std::strlen(marker)) == 0;
}

}  // namespace

std::vector<std::string> TokenizeCommandLine(const char* line) {
    std::vector<std::string> tokens;
    if (!line) return tokens;

    enum class Open { None, Plain, Quoted, Raw };
    Open open = Open::None;
    std::string token;
    const auto close = [&] {
        tokens.push_back(token);
        token.clear();
        open = Open::None;
    };

    for (const char* at = line; *at;) {
        switch (open) {
        case Open::None:
            if (*at == ' ') {
                ++at;
            } else if (*at == '"') {
                open = Open::Quoted;
                ++at;
            } else if (StartsWithAt(at, kRawOpen)) {
                open = Open::Raw;
                at += kRawMarkerLength;
            } else {
                open = Open::Plain;
                token += *at++;
            }
            break;
        case Open::Quoted:
            if (*at == '"') close(); else token += *at;
            ++at;
            break;
        case Open::Raw:
            if (StartsWithAt(at, kRawClose)) {
                close();
                at += kRawMarkerLength;
            } else {
                token += *at++;
            }
            break;
        case Open::Plain:
            if (*at == ' ') close(); else token += *at;
            ++at;
            break;
        }
    }
    // An unterminated quoted or raw token runs to the end of the line.
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

CommandLineOptionMap OptionsFromTokens(const std::vector<std::string>& tokens) {
    const auto isKey = [](const std::string& token) { return !token.empty() && token[0] == '-'; };
    CommandLineOptionMap options;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token.empty()) continue;
        if (isKey(token) && i + 1 < tokens.size() && !isKey(tokens[i + 1])) {
            options[token] = tokens[++i];
        } else {
            options[token] = "";
        }
    }
    return options;
}

void ParseCommandLine(const char* line) {
    for (const auto& [key, value] : OptionsFromTokens(TokenizeCommandLine(line))) {
        CommandLineOptions[key] = value;
    }
}
