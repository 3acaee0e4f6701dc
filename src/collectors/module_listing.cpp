#include "collectors/module_listing.h"

#include <iomanip>

#include "text/control_characters.h"

namespace {

// Decimal, blank fill, no width: what a fresh stream uses, so the sections after a block
// are not printed in hexadecimal.
void ResetFormatting(std::wostream& stream) {
    stream.flags(std::ios_base::dec | std::ios_base::skipws);
    stream.fill(L' ');
    stream.width(0);
}

}  // namespace

void WriteModuleListing(std::wostream& stream, const RunningProcesses& processes,
                        const std::wstring& fileName) {
    const auto process = processes.find(fileName);
    if (process == processes.end()) return;

    stream << L"All Modules " << fileName << L"\n"
           << std::wstring(60, L'=') << L"\n"
           << L"Offset             Size             Path\n"
           << std::wstring(60, L'-') << L"\n";
    for (const ModuleInfo& module : process->second.modules) {
        stream << L"0x" << std::hex << std::uppercase << std::setfill(L'0') << std::setw(16)
               << module.baseAddress;
        ResetFormatting(stream);
        stream << L" " << std::setw(16) << module.size;
        ResetFormatting(stream);
        stream << L" " << EscapeControlCharacters(module.path) << L"\n";
    }
    stream << L"\n\n";
}
