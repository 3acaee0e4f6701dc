#pragma once

// The introduction box, the start-up findings and the Results dialog until it closes.
// Returns the exit code.
int RunInteractiveMode();
