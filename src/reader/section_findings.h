#pragma once
// One reader per part of the log; each appends what its sections show and leaves out
// what a missing section cannot show.
#include "reader/finding.h"
#include "reader/log_document.h"

// Status, Steam info, Firewall status, Windows settings, Windows version info, Config info.
void AddStateFindings(const LogDocument& log, Findings& findings);
// Detected Applications and the module listings of the product's processes.
void AddConflictFindings(const LogDocument& log, Findings& findings);
void AddDependencyFindings(const LogDocument& log, Findings& findings);
void AddDesktopFindings(const LogDocument& log, Findings& findings);
void AddDxDiagFindings(const LogDocument& log, Findings& findings);
// Log contents: the product's own log tails.
void AddProductLogFindings(const LogDocument& log, Findings& findings);
