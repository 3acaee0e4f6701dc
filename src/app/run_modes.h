#pragma once
// The ways one run of the program can go; each returns the exit code, which is always 0.

// Runs the DLL load probe and writes its report into the current directory.
int RunDependencyMode();

// Starts the 64-bit sibling "sysprobe64.exe" from this program's folder, and from nowhere
// else; the folder also becomes the current directory. False when it could not be started.
bool RunHandOverMode();

// Picks the mode from CommandLineOptions and the bitness of the system: the dependency
// probe when asked for, else the hand-over in a 32-bit process on 64-bit Windows, else the
// interactive mode (also when the hand-over fails, so the user is not left with nothing).
int RunSelectedMode();
