#pragma once
// The one case-folding rule of the program: only the ASCII capitals A-Z are lowered, so
// comparisons do not depend on the user's locale. Every case-insensitive comparison
// folds both sides with these and then compares exactly.
#include <string>

std::string ToLowerAscii(std::string text);
std::wstring ToLowerAscii(std::wstring text);
