#include "collectors/module_listing.h"

#include <iomanip>
#include <sstream>

#include "text/control_characters.h"

namespace {

// Decimal, blank fill, no width: each column sets only what it needs.
void ResetFormatting(std::wostream& stream) {
    stream.flags(std::ios_base::dec | std::ios_base::skipws);
    stream.fill(L' ');
    stream.width(0);
}

}  // namespace

std::optional<LogSection> ModuleListingSection(const RunningProcesses& processes,
                                               const std::wstring& fileName) {
    const auto process = processes.find(fileName);
    if (process == processes.end()) return std::nullopt;

    std::wostringstream rows;
    rows << L"Offset             Size             Path\n" << std::wstring(60, L'-') << L"\n";
    for (const ModuleInfo& module : process->second.modules) {
        rows << L"0x" << std::hex << std::uppercase << std::setfill(L'0') << std::setw(16)
             << module.baseAddress;
        ResetFormatting(rows);
        rows << L" " << std::setw(16) << module.size;
        ResetFormatting(rows);
        rows << L" " << EscapeControlCharacters(module.path) << L"\n";
    }
    return LogSection{L"All Modules " + fileName, rows.str()};
}
