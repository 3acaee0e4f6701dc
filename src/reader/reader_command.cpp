#include "reader/reader_command.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "reader/reports.h"

const char* const kReaderUsage =
    "usage: sysprobe-read [--json] [--html PAGE] LOG\n"
    "Reads a full log saved by Vistora System Diagnostics and lists what it shows, most "
    "important first.\n";

namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
}

// Through a file beside the target, renamed over it: a reader of the page never sees half.
bool WriteWholeFile(const fs::path& path, const std::string& bytes) {
    fs::path partial = path;
    partial += ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) ||
            !file.flush()) {
            file.close();
            std::error_code ignored;
            fs::remove(partial, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(partial, path, error);
    if (error) fs::remove(partial, error);
    return !error;
}

}  // namespace

std::optional<ReaderCommand> ParseReaderCommand(const std::vector<fs::path>& arguments,
                                                std::string& error) {
    ReaderCommand command;
    bool haveLog = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const fs::path& argument = arguments[i];
        if (argument == "--json") {
            command.json = true;
        } else if (argument == "--html") {
            if (i + 1 == arguments.size()) {
                error = "--html needs the page's file name";
                return std::nullopt;
            }
            command.html = arguments[++i];
        } else if (!haveLog && !argument.empty()) {
            command.log = argument;
            haveLog = true;
        } else {
            error = "unexpected argument: " + argument.u8string();
            return std::nullopt;
        }
    }
    if (!haveLog) {
        error = "no log named";
        return std::nullopt;
    }
    return command;
}

int RunReaderCommand(const ReaderCommand& command, std::ostream& out, std::ostream& err) {
    const std::string name = command.log.u8string();
    std::optional<std::string> bytes = ReadWholeFile(command.log);
    if (!bytes) {
        err << "sysprobe-read: cannot read " << name << "\n";
        return kExitNoLog;
    }
    const std::optional<Diagnosis> diagnosis = DiagnoseLog(std::move(*bytes));
    if (!diagnosis) {
        err << "sysprobe-read: " << name
            << " is not a full log of Vistora System Diagnostics (no section heading found)\n";
        return kExitNoLog;
    }
    const std::string fileName = command.log.filename().u8string();
    if (command.html && !WriteWholeFile(*command.html, FormatHtmlReport(*diagnosis, fileName))) {
        err << "sysprobe-read: cannot write " << command.html->u8string() << "\n";
        return kExitNoLog;
    }
    if (command.json) {
        out << FormatJsonReport(*diagnosis);
    } else {
        out << FormatTextReport(*diagnosis, fileName);
    }
    return kExitRead;
}

fs::path PageBesideLog(const fs::path& log) {
    fs::path page = log;
    return page.replace_extension(".html");
}
