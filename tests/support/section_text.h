#pragma once
// A full-log section as the log writes it, heading and closing blank lines included, so
// that a collector's section is checked against the text support reads.
#include <sstream>
#include <string>

#include "collectors/log_section.h"

inline std::wstring SectionText(const LogSection& section) {
    std::wostringstream text;
    WriteLogSection(text, section);
    return text.str();
}
