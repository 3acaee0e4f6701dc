#pragma once
// Raising the log settings; the product leaves them off, tests raise them.

void SetLogSettings(int level, bool fileOutput);

// Sets how many messages count as already appended in this process.
void SetLogLineCount(unsigned count);
