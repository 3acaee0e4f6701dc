// The logic over the knowledge tables: finding and expanding hints, matching signatures.
#include <algorithm>

#include "knowledge/hint_expansion.h"
#include "knowledge/signature_tables.h"

const HintEntry* FindHint(const std::wstring& key) {
    const auto found = HintCatalogue.find(key);
    return found == HintCatalogue.end() ? nullptr : &found->second;
}

std::wstring ExpandHint(const HintEntry& entry) {
    std::wstring text = entry.templateText;
    // In key order, once each: a fragment placeholder brought in by an earlier fragment's
    // text is expanded only when its own fragment comes later.
    for (const auto& [name, fragment] : HintFragment) ReplaceAll(text, L"{" + name + L"}", fragment);
    ReplaceAll(text, L"{author}", entry.author.empty() ? L"the developers of {app}" : entry.author);
    ReplaceAll(text, L"{app}", entry.name);
    return text;
}

void ReplaceAll(std::wstring& text, const std::wstring& needle, const std::wstring& replacement) {
    // An empty needle occurs everywhere; replacing it would never end.
    if (needle.empty()) return;
    size_t position = 0;
    while (needle.size() <= text.size() && position <= text.size() - needle.size()) {
        position = text.find(needle, position);
        if (position == std::wstring::npos) return;
        text.replace(position, needle.size(), replacement);
        position += replacement.size();
    }
}

bool ContainsPattern(const std::wstring& subjectLower, const std::wstring& pattern) {
    return subjectLower.find(pattern) != std::wstring::npos;
}

std::vector<std::wstring> MatchingKeys(const SignatureTable& table,
                                       const std::wstring& subjectLower) {
    std::vector<std::wstring> keys;
    for (const auto& [key, patterns] : table) {
        if (std::any_of(patterns.begin(), patterns.end(), [&](const std::wstring& pattern) {
                return ContainsPattern(subjectLower, pattern);
            })) {
            keys.push_back(key);
        }
    }
    return keys;
}

bool IsProductExecutable(const std::wstring& fileNameLower) {
    return ProductExecutables.count(fileNameLower) != 0;
}
