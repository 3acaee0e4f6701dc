#pragma once
// The "Windows version info" section of the full log: the string values of the Windows
// "CurrentVersion" key, without the registered owner's name.
#include <optional>
#include <string>
#include <vector>

#include "collectors/log_section.h"

struct RegistryStringValue {
    std::wstring name;
    bool plainString = false;  // REG_SZ, as opposed to expandable strings and numbers
    std::wstring data;         // up to the first NUL
};

// "name: data" lines of the values worth showing, in the given order.
std::wstring FormatWindowsVersionValues(const std::vector<RegistryStringValue>& values);

// The lines for this machine's key (64-bit view); "" when the key cannot be read.
std::wstring ReadWindowsVersionValues();

// The section of this machine; none when there is nothing to show.
std::optional<LogSection> WindowsVersionSection();
