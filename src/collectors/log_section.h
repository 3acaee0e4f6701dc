#pragma once
// A section of the full log: its title and its body. The heading above the body and the
// blank lines that close a section are added here alone, so every section has one shape.
#include <ostream>
#include <string>

struct LogSection {
    std::wstring title;
    std::wstring body;
};

// The title line and a line of 60 equals signs.
inline std::wstring LogSectionHeading(const std::wstring& title) {
    return title + L"\n" + std::wstring(60, L'=') + L"\n";
}

// The heading, the body and the closing "\n\n".
inline void WriteLogSection(std::wostream& out, const std::wstring& title,
                            const std::wstring& body) {
    out << LogSectionHeading(title) << body << L"\n\n";
}

inline void WriteLogSection(std::wostream& out, const LogSection& section) {
    WriteLogSection(out, section.title, section.body);
}
