#pragma once
// The command line of sysprobe-read and what it does, apart from the Windows edge.
#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

struct ReaderCommand {
    std::filesystem::path log;
    bool json = false;
    std::optional<std::filesystem::path> html;  // where to write the page
};

// Empty when the arguments make no command; `error` then says why.
std::optional<ReaderCommand> ParseReaderCommand(const std::vector<std::filesystem::path>& arguments,
                                                std::string& error);

// Exit codes: 0 read, 1 a bad command line, 2 no full log or no file to read or write.
constexpr int kExitRead = 0, kExitUsage = 1, kExitNoLog = 2;

// Reads the log and writes the text or JSON to `out`, the page to its file; errors are
// one line on `err`.
int RunReaderCommand(const ReaderCommand& command, std::ostream& out, std::ostream& err);

// The page's place when a log is dropped onto the program: beside it, named like it.
std::filesystem::path PageBesideLog(const std::filesystem::path& log);

extern const char* const kReaderUsage;
