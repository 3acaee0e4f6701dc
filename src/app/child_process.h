#pragma once
// Starts one other program at a time and lets the UI thread find out, without blocking,
// whether it has ended. A failed start is explained in a "Process Error" box and the log.
// Texts passed in are UTF-8.
#include <mutex>
#include <string>

#include <windows.h>

#include "text/win_handles.h"

// The one child of the process. Its exit is noticed by a thread-pool wait whose callback
// only sets `exited` under the lock; the next poll on the UI thread releases the child.
struct ChildProcess {
    UniqueHandle process;
    UniqueWait wait;  // after `process`: unregistered before the handle is closed
    std::mutex lock;
    bool exited = false;
};

// The process-wide launcher state.
ChildProcess& CurrentChildProcess();

// Releases an ended earlier child, then starts the program with the command line "<its
// file name> <arguments>" (null arguments: nothing after the blank), in its own folder
// when it is a file. False, after a "Process Error" box, when it could not be started; a
// second launch replaces the first child.
bool LaunchProcess(const std::string& executable, const char* arguments);

// Releases the child if its exit callback has run since the last poll.
void PollChildProcess();

// True while a child is held: launched and not yet released.
bool HoldsChildProcess();

// True when the child ends within the time-out.
bool WaitChildProcess(DWORD timeoutMs);

// Forgets the child without ending it.
void ReleaseChildProcess();

// Forgets the child without ending it and hands its process handle over; null when no
// child is held.
UniqueHandle DetachChildProcess();

// The thread-pool callback; the context is the ChildProcess.
void CALLBACK ChildExitCallback(void* context, BOOLEAN timedOut);
