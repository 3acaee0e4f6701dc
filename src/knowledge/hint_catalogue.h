#pragma once
// The built-in knowledge of applications that conflict with Vistora: for each catalogue
// key the name shown to the user and a message template, plus the named text fragments
// that templates pull in as {name}. Built before the entry point runs, never changed.
#include <map>
#include <string>

struct HintEntry {
    std::wstring templateText;  // placeholders in braces: fragments, {author}, {app}
    std::wstring name;          // display name, substituted for {app}
    std::wstring author;        // may be empty
};

// Fragment name -> text.
extern const std::map<std::wstring, std::wstring> HintFragment;

// Catalogue key -> entry.
extern const std::map<std::wstring, HintEntry> HintCatalogue;
