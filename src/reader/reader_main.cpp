// sysprobe-read: support's reader of saved full logs.
#include <iostream>
#include <string>
#include <vector>

#include "reader/reader_command.h"

#ifdef _WIN32
#include "reader/dropped_log.h"
#endif

namespace {

int Run(const std::vector<std::filesystem::path>& arguments) {
    std::string error;
    const std::optional<ReaderCommand> command = ParseReaderCommand(arguments, error);
    if (!command) {
        std::cerr << "sysprobe-read: " << error << "\n" << kReaderUsage;
        return kExitUsage;
    }
    return RunReaderCommand(*command, std::cout, std::cerr);
}

}  // namespace

#ifdef _WIN32
// Wide arguments, so that a log whose path holds any character can be opened.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
    PrepareConsoleForUtf8();
    if (arguments.size() == 1 && HasConsoleOfItsOwn()) {
        return ShowDroppedLog(arguments.front());
    }
    return Run(arguments);
}
#else
int main(int argc, char** argv) {
    return Run(std::vector<std::filesystem::path>(argv + 1, argv + argc));
}
#endif
