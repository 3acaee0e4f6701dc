#pragma once
// The body of the full log's "Dependency error analysis" section. Vistora's own libraries
// are 32-bit, so the section shows what a 32-bit process can load: the 64-bit build asks
// its 32-bit sibling for the report and probes in-process only when that cannot be had.
#include <filesystem>
#include <ostream>
#include <string>

#include <windows.h>

void WriteDependencySection(std::wostream& report);

// Starts program with "-analyzeDependencies" in a fresh probe folder, waits at most
// timeoutMs for it (ending it after that) and takes the "sysprobeloader32.txt" it wrote
// there, when that is a 32-bit probe's report. The folder is emptied and removed
// afterwards; a crash dump the probe left is moved into the current directory, and a line
// for it and for each other entry left in place follows in text. False, with one line
// saying why in text, when the report cannot be had.
bool RunDependencyProbeProgram(const std::filesystem::path& program, DWORD timeoutMs,
                               std::wstring& text);
