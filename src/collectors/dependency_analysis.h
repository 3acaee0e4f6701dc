#pragma once
// The DLL load probe: tries to load each library that Vistora depends on into this
// process and reports every one that does not load cleanly.
#include <ostream>

// Appends the header line and one "Error module: <name>, loaded: <0|1>" line per failure.
void AnalyzeDependencies(std::wostream& report);
