#pragma once
// The names that give conflicting software away: lower-case patterns searched in module
// paths and process names, each row reporting one catalogue key.
#include <map>
#include <set>
#include <string>
#include <vector>

// Catalogue key -> patterns, tried in list order.
using SignatureTable = std::map<std::wstring, std::vector<std::wstring>>;

extern const SignatureTable ModuleSignatures;          // modules of the product executables
extern const SignatureTable ExplorerModuleSignatures;  // modules of "explorer.exe"
extern const SignatureTable RundllModuleSignatures;    // modules of "rundll32.exe"
extern const SignatureTable ProcessSignatures;         // every process's name and path

// Lower-case file names of the product's own executables.
extern const std::set<std::wstring> ProductExecutables;

// True when the pattern occurs in the already lower-cased subject.
bool ContainsPattern(const std::wstring& subjectLower, const std::wstring& pattern);

// The keys, in key order, of the rows with a pattern that occurs in the already
// lower-cased subject.
std::vector<std::wstring> MatchingKeys(const SignatureTable& table,
                                       const std::wstring& subjectLower);

bool IsProductExecutable(const std::wstring& fileNameLower);
