#pragma once
#include <vector>

#include <windows.h>

#include "app/application_state.h"

// The libraries that register the Results dialog's "RichEdit20W" class, freed in load order.
class RichEditLibraries {
public:
    RichEditLibraries();
    RichEditLibraries(const RichEditLibraries&) = delete;
    RichEditLibraries& operator=(const RichEditLibraries&) = delete;
    ~RichEditLibraries();

private:
    std::vector<HMODULE> libraries_;
};

// The Steam facts, the scan and the firewall check, in that order; COM must be initialised.
// False when the scan could not take its process snapshot (the rest is then not gathered).
bool GatherStartupFindings(ApplicationState& state);

// The introduction box, the start-up findings and the Results dialog until it closes;
// modules64Unscanned when this 32-bit process runs in place of its 64-bit sibling.
// Returns the exit code.
int RunInteractiveMode(bool modules64Unscanned);
