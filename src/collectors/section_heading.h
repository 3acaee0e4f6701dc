#pragma once
// Every full-log section opens with its title line and a line of 60 equals signs.
#include <string>

inline std::wstring SectionHeading(const std::wstring& title) {
    return title + L"\n" + std::wstring(60, L'=') + L"\n";
}
