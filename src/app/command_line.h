#pragma once
// The command line: blank-separated, double-quoted and raw ("RAW~(" ... ")~END") tokens,
// then "-key value" pairs. The only option the program asks for is "-analyzeDependencies".
#include <map>
#include <string>
#include <vector>

// Option text -> value text; lookups are exact and case-sensitive.
using CommandLineOptionMap = std::map<std::string, std::string>;

// Filled once by ParseCommandLine before anything reads it.
extern CommandLineOptionMap CommandLineOptions;

std::vector<std::string> TokenizeCommandLine(const char* line);

// A "-" token followed by a token that does not start with "-" takes that token as its
// value; every other non-empty token is an option with an empty value.
CommandLineOptionMap OptionsFromTokens(const std::vector<std::string>& tokens);

// Adds the line's options to CommandLineOptions; a null line adds nothing.
void ParseCommandLine(const char* line);
