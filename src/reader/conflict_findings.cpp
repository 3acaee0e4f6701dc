// Conflicts the tool detected, mapped back to the catalogue, and modules in the product's
// processes that no signature knows.
#include <set>

#include "knowledge/hint_expansion.h"
#include "knowledge/signature_tables.h"
#include "reader/section_findings.h"
#include "reader/utf8.h"

namespace {

constexpr std::string_view kDetected = "Detected ";
constexpr std::string_view kMissingInfo = "Missing info for key ";
constexpr std::string_view kModuleListing = "All Modules ";

// The product's processes whose modules count (Explorer's are not Vistora's).
const char* const kProductProcesses[] = {"vistora32.exe", "vistora64.exe", "vistoraui.exe",
                                         "webvistora64.exe"};

const SignatureTable* const kSignatureTables[] = {&ModuleSignatures, &ExplorerModuleSignatures,
                                                  &RundllModuleSignatures, &ProcessSignatures};

bool MatchesSignatureOf(const std::wstring& key, const std::string& pathLower) {
    for (const SignatureTable* table : kSignatureTables) {
        const auto row = table->find(key);
        if (row == table->end()) continue;
        for (const std::wstring& pattern : row->second) {
            if (pathLower.find(WideToUtf8Text(pattern)) != std::string::npos) return true;
        }
    }
    return false;
}

// The catalogue key of a display name. Names are not unique (two BitDefender entries), so
// the key whose signatures match the found paths wins; else the first in key order.
std::wstring KeyOfDisplayName(std::string_view name, const std::vector<std::string>& pathsLower) {
    std::wstring first;
    for (const auto& [key, entry] : HintCatalogue) {
        if (WideToUtf8Text(entry.name) != name) continue;
        if (first.empty()) first = key;
        for (const std::string& path : pathsLower) {
            if (MatchesSignatureOf(key, path)) return key;
        }
    }
    return first;
}

Finding ConflictFinding(const std::wstring& key) {
    const HintEntry* hint = FindHint(key);
    const std::string name = hint ? WideToUtf8Text(hint->name) : WideToUtf8Text(key);
    return {"conflict:" + WideToUtf8Text(key),
            Severity::Problem,
            name + " interferes with Vistora",
            hint ? WideToUtf8Text(ExpandHint(*hint)) : std::string(),
            {}};
}

void AddDetected(const LogDocument& log, Findings& findings) {
    const LogSection* detected = FindSection(log, "Detected Applications");
    if (!detected) return;
    for (std::size_t i = detected->bodyBegin; i < detected->bodyEnd; ++i) {
        const std::string_view line = log.lines[i];
        if (StartsWith(line, kMissingInfo)) {
            // A key the tool found but could not describe; support should still see it.
            Finding finding = ConflictFinding(Utf8ToWideText(line.substr(kMissingInfo.size())));
            finding.evidence.push_back(EvidenceAt(log, *detected, i));
            findings.push_back(std::move(finding));
            continue;
        }
        if (!StartsWith(line, kDetected)) continue;
        // The block: "Detected <name>", "Modules:", one found path a line, an empty line.
        std::vector<std::size_t> pathLines;
        std::size_t p = i + 1;
        if (p < detected->bodyEnd && log.lines[p] == "Modules:") ++p;
        for (; p < detected->bodyEnd && !log.lines[p].empty(); ++p) pathLines.push_back(p);
        std::vector<std::string> pathsLower;
        for (std::size_t at : pathLines) pathsLower.push_back(LowerAscii(log.lines[at]));
        const std::wstring key = KeyOfDisplayName(line.substr(kDetected.size()), pathsLower);
        Finding finding =
            key.empty()
                ? Finding{"conflict:unknown",
                          Severity::Problem,
                          std::string(line.substr(kDetected.size())) + " interferes with Vistora",
                          "",
                          {}}
                : ConflictFinding(key);
        finding.evidence.push_back(EvidenceAt(log, *detected, i));
        for (std::size_t at : pathLines) finding.evidence.push_back(EvidenceAt(log, *detected, at));
        findings.push_back(std::move(finding));
        i = p;
    }
}

// The module path of a listing row "0x<base> <size> <path>", or empty.
std::string_view ModulePath(std::string_view row) {
    if (!StartsWith(row, "0x")) return {};
    const std::size_t afterBase = row.find(' ');
    if (afterBase == std::string_view::npos) return {};
    const std::size_t size = row.find_first_not_of(' ', afterBase);
    if (size == std::string_view::npos) return {};
    const std::size_t afterSize = row.find(' ', size);
    return afterSize == std::string_view::npos ? std::string_view() : row.substr(afterSize + 1);
}

std::string FolderOf(const std::string& pathLower) {
    const std::size_t slash = pathLower.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : pathLower.substr(0, slash + 1);
}

// "x:\windows\..." on any drive.
bool IsUnderWindowsFolder(const std::string& pathLower) {
    return pathLower.size() > 3 && pathLower[1] == ':' &&
           pathLower.compare(2, 9, "\\windows\\") == 0;
}

bool IsKnownModule(const std::string& pathLower) {
    static const std::vector<std::string> patterns = [] {
        std::vector<std::string> all;
        for (const SignatureTable* table : kSignatureTables) {
            for (const auto& row : *table) {
                for (const std::wstring& pattern : row.second)
                    all.push_back(WideToUtf8Text(pattern));
            }
        }
        return all;
    }();
    for (const std::string& pattern : patterns) {
        if (pathLower.find(pattern) != std::string::npos) return true;
    }
    return false;
}

void AddUnknownModules(const LogDocument& log, Findings& findings) {
    std::vector<const LogSection*> listings;
    for (const LogSection& section : log.sections) {
        for (const char* process : kProductProcesses) {
            if (section.title == std::string(kModuleListing) + process) {
                listings.push_back(&section);
            }
        }
    }
    // The installation is where the product's executables lie; those in its "bin" folder
    // count for the folder above it.
    std::set<std::string> installation;
    for (const LogSection* listing : listings) {
        const std::string process = LowerAscii(listing->title.substr(kModuleListing.size()));
        for (std::size_t i = listing->bodyBegin; i < listing->bodyEnd; ++i) {
            const std::string path = LowerAscii(ModulePath(log.lines[i]));
            if (path.size() <= process.size() ||
                path.compare(path.size() - process.size(), process.size(), process) != 0) {
                continue;
            }
            std::string folder = FolderOf(path);
            if (folder.size() > 4 && folder.compare(folder.size() - 4, 4, "bin\\") == 0) {
                folder = FolderOf(folder.substr(0, folder.size() - 1));
            }
            if (!folder.empty()) installation.insert(folder);
        }
    }
    Finding finding{"unknown-module",
                    Severity::Warning,
                    "Modules from other software are loaded into Vistora",
                    "These modules come neither from Windows nor from Vistora and match no "
                    "known conflict. If the problem fits an injected hook, ask what software "
                    "they belong to; each is a candidate for the catalogue.",
                    {}};
    std::set<std::string> reported;
    for (const LogSection* listing : listings) {
        for (std::size_t i = listing->bodyBegin; i < listing->bodyEnd; ++i) {
            const std::string path = LowerAscii(ModulePath(log.lines[i]));
            if (path.empty() || IsUnderWindowsFolder(path)) continue;
            bool inInstallation = false;
            for (const std::string& folder : installation) {
                inInstallation = inInstallation || path.compare(0, folder.size(), folder) == 0;
            }
            if (inInstallation || IsKnownModule(path) || !reported.insert(path).second) continue;
            finding.evidence.push_back(EvidenceAt(log, *listing, i));
        }
    }
    if (!finding.evidence.empty()) findings.push_back(std::move(finding));
}

}  // namespace

void AddConflictFindings(const LogDocument& log, Findings& findings) {
    AddDetected(log, findings);
    AddUnknownModules(log, findings);
}
