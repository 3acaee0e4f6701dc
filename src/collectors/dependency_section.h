#pragma once
// The body of the full log's "Dependency error analysis" section. A library's start-up code
// can hang, crash or end its process, so the libraries are never probed in the tool's own
// process: child processes of the tool run its dependency mode, each in a fresh probe folder,
// while the save waits for them without blocking its window.
#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

#include "text/win_handles.h"

// A program whose dependency mode writes the report.
struct ProbeProgram {
    std::filesystem::path path;
    std::wstring reportName;  // the file it writes into its current folder
    std::wstring header;      // the first line of its report
};

// Vistora's own libraries are 32-bit, so the 32-bit view comes first: from the 32-bit
// sibling in the 64-bit build, with the 64-bit build itself for the 64-bit view when the
// sibling gives no report; from the 32-bit build itself otherwise.
std::vector<ProbeProgram> DependencyProbePrograms();

// The probes of one save, tried in turn until one gives its report.
struct DependencyProbes {
    std::vector<ProbeProgram> waiting;  // not yet started, in order
    ProbeProgram current;
    std::filesystem::path folder;  // the current probe's folder
    UniqueHandle process;          // the current probe; null when none runs
    ULONGLONG deadline = 0;        // GetTickCount64 time at which it is ended
    DWORD timeoutMs = 0;
    std::wstring text;  // the section so far
};

// Starts the first program that can be started; the lines of those that could not go into
// the text.
void StartDependencyProbes(DependencyProbes& probes, std::vector<ProbeProgram> programs,
                           DWORD timeoutMs = 30000);

// Takes the report of a probe that has ended, ends one past its deadline and starts the next
// program when a probe gave no report. Never waits; true while a probe runs.
bool PollDependencyProbes(DependencyProbes& probes);

// Polls until no probe runs, waiting on each at most until its deadline.
void WaitForDependencyProbes(DependencyProbes& probes);

// Ends a probe still running (a cancelled save), starts no other, and gives the section.
std::wstring FinishDependencyProbes(DependencyProbes& probes);
