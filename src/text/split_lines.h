#pragma once
#include <string>
#include <vector>

// Lines split at LF (dropped); a last line without LF counts; "" gives no lines.
std::vector<std::string> SplitLines(const std::string& text);
