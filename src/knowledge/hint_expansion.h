#pragma once
// Turning a catalogue key into the text the user reads.
#include <string>

#include "knowledge/hint_catalogue.h"

// The entry stored under exactly this key, or null.
const HintEntry* FindHint(const std::wstring& key);

// The entry's template with fragments, {author} and {app} filled in.
std::wstring ExpandHint(const HintEntry& entry);

// Replaces every occurrence left to right; the search resumes after each inserted
// replacement, so a replacement containing the needle is never expanded again.
void ReplaceAll(std::wstring& text, const std::wstring& needle, const std::wstring& replacement);
